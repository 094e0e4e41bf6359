// CAutoSetDlg (template 133): the reply's subject and body, and the polling
// interval.
#pragma once

#include <cstdint>
#include <string>

#include "dialog_base.h"

class QLineEdit;
class QListWidget;
class QPlainTextEdit;

namespace mirte {

class TextGuard;

class CAutoSetDlg : public DialogBase {
  Q_OBJECT

 public:
  static constexpr size_t kBodyLimit = 1024;

  CAutoSetDlg();
  void OnOK() override;

  std::string m_strReplyBody;
  int32_t m_nInterval = 0;
  std::string m_strReplySubject;

  QListWidget* m_listInterval;
  QLineEdit* m_editSubject;
  QPlainTextEdit* m_editBody;

 protected:
  bool StoreFields() override;
  void showEvent(QShowEvent* event) override;

 private:
  void OnInitDialog();

  TextGuard* body_guard_;
  TextGuard* subject_guard_;
  bool initialised_ = false;
};

}  // namespace mirte
