#include "account_dlg.h"

#include <QtWidgets/QLineEdit>
#include <QtWidgets/QPushButton>

#include "password_scrambler.h"
#include "text_guard.h"

namespace mirte {

CAccountDlg::CAccountDlg()
    : DialogBase("アカウント登録設定", 193, 121, QColor(255, 235, 255)) {
  QPushButton* ok = AddButton("OK", 127, 100, 14, 14, false);
  QPushButton* cancel = AddButton("キャンセル", 147, 100, 39, 13, false);
  connect(ok, &QPushButton::clicked, this, &CAccountDlg::OnOK);
  connect(cancel, &QPushButton::clicked, this, &CAccountDlg::OnCancel);
  const int rows[] = {7, 25, 42, 60, 81};
  std::string* members[] = {&m_strMailAddress, &m_strPop3Server, &m_strSmtpServer,
                            &m_strUserName, &m_strPassword};
  for (int i = 0; i < 5; ++i) {
    QLineEdit* edit = AddLineEdit(90, rows[i], 96, 13);
    TextGuard* guard;
    if (i == 4) {
      edit->setEchoMode(QLineEdit::Password);
      // A password whose scrambled form would hold a zero byte would come
      // back cut short from the settings file.
      guard = new TextGuard(edit, kLimit, CanStorePasswordIntact,
                            QString::fromUtf8("この文字の並びはパスワードとして保存できません。"
                                              "別の文字を入力してください。"));
    } else {
      guard = new TextGuard(edit, kLimit);
    }
    fields_[i] = {1003 + i, members[i], edit, guard};
  }
  AddLabel("メールアドレス", 7, 7, 44, 8);
  AddLabel("受信(POP3)サーバー名", 7, 25, 74, 8);
  AddLabel("送信(SMTP)サーバー名", 7, 42, 74, 8);
  AddLabel("ユーザー名", 7, 60, 36, 8);
  AddLabel("パスワード", 7, 81, 32, 8);
  // The toolkit puts the focus on the first control in tab order.
  ok->setFocus();
}

void CAccountDlg::LoadFields() {
  for (Field& f : fields_) f.guard->SetCp932Text(*f.member);
  loaded_ = true;
}

void CAccountDlg::showEvent(QShowEvent* event) {
  if (!loaded_) LoadFields();
  DialogBase::showEvent(event);
}

bool CAccountDlg::StoreFields() {
  for (Field& f : fields_) {
    std::string text = f.guard->Cp932Text();
    if (!CheckLength(f.edit, text, kLimit)) return false;
    *f.member = text;
  }
  return true;
}

QLineEdit* CAccountDlg::field(int id) const {
  for (const Field& f : fields_) {
    if (f.id == id) return f.edit;
  }
  return nullptr;
}

}  // namespace mirte
