// CSndConDitionDlg (template 146): the subject keyword and the two send
// conditions.
#pragma once

#include <cstdint>
#include <string>

#include "dialog_base.h"

class QCheckBox;
class QLineEdit;

namespace mirte {

class TextGuard;

class CSndConDitionDlg : public DialogBase {
  Q_OBJECT

 public:
  static constexpr size_t kLimit = 256;

  CSndConDitionDlg();

  std::string m_strKeyword;
  int32_t m_bKeywordCheck = 0;
  int32_t m_bEmptyBodyCheck = 0;

  QLineEdit* keyword_edit;
  QCheckBox* keyword_check;
  QCheckBox* empty_body_check;

 protected:
  bool StoreFields() override;
  void showEvent(QShowEvent* event) override;

 private:
  TextGuard* guard_;
  bool loaded_ = false;
};

}  // namespace mirte
