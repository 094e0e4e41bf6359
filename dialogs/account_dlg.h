// CAccountDlg (template 131): the mailbox's address, servers, user name and
// password.
#pragma once

#include <string>

#include "dialog_base.h"

class QLineEdit;

namespace mirte {

class TextGuard;

class CAccountDlg : public DialogBase {
  Q_OBJECT

 public:
  static constexpr size_t kLimit = 256;

  CAccountDlg();
  // Puts the members into the fields (the loading direction).
  void LoadFields();

  std::string m_strMailAddress;
  std::string m_strPop3Server;
  std::string m_strSmtpServer;
  std::string m_strUserName;
  std::string m_strPassword;

  // Fields by control number, for tests.
  QLineEdit* field(int id) const;

 protected:
  bool StoreFields() override;
  void showEvent(QShowEvent* event) override;

 private:
  struct Field {
    int id;
    std::string* member;
    QLineEdit* edit;
    TextGuard* guard;
  };
  Field fields_[5];
  bool loaded_ = false;
};

}  // namespace mirte
