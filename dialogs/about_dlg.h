// CAboutDlg (template 100): the program's icon, name and version.
#pragma once

#include "dialog_base.h"

namespace mirte {

class CAboutDlg : public DialogBase {
  Q_OBJECT

 public:
  CAboutDlg();

 protected:
  bool StoreFields() override { return true; }
};

}  // namespace mirte
