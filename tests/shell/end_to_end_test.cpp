// The desktop program end to end: an account set up through the dialogs,
// check-now against the real test servers, the reply captured.
#include <QtCore/QElapsedTimer>
#include <QtWidgets/QApplication>
#include <QtWidgets/QCheckBox>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QPlainTextEdit>
#include <gtest/gtest.h>

#include "account_dlg.h"
#include "auto_set_dlg.h"
#include "main_frame.h"
#include "modal_closer.h"
#include "nmail_library.h"
#include "option_set_dlg.h"
#include "penwick_app.h"
#include "temp_dir.h"
#include "test_servers.h"
#include "recording_ui_port.h"

namespace mirte {
namespace {

using testing::TestServers;

TEST(EndToEnd, AccountFromTheDialogsThenCheckNowAnswersTheMail) {
  testing::ScopedWorkDir work_dir;
  qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(work_dir.path() + "/config"));
  const auto& servers = TestServers::Get();
  servers.ClearMailbox("dave");
  servers.ClearCaptured();
  servers.Deliver("dave", "From: customer@example.com\r\nSubject: question\r\n"
                          "Message-ID: <q1@example.com>\r\n\r\nHello?\r\n");

  testing::ModalCloser closer;
  NMailLibrary library;
  CPenwickApp app(library);
  ASSERT_TRUE(app.InitInstance({}));
  // The first start has no settings file yet: one message says so.
  ASSERT_EQ(closer.Texts(), std::vector<std::string>{"ファイル読取りオープン失敗"});

  closer.on_dialog = [&](QWidget* dialog) {
    if (auto* account = qobject_cast<CAccountDlg*>(dialog)) {
      account->field(1003)->setText("dave@example.jp");
      account->field(1004)->setText("127.0.0.1");
      account->field(1005)->setText("127.0.0.1");
      account->field(1006)->setText("dave");
      account->field(1007)->setText(QString::fromStdString(servers.password));
    } else if (auto* reply = qobject_cast<CAutoSetDlg*>(dialog)) {
      reply->m_editSubject->setText(QString::fromUtf8("自動返信"));
      reply->m_editBody->setPlainText(QString::fromUtf8("受け付けました。\n担当より連絡します。"));
    } else if (auto* options = qobject_cast<COptionSetDlg*>(dialog)) {
      options->pop3_edit->setText(QString::number(servers.pop3_port));
      options->smtp_edit->setText(QString::number(servers.smtp_port));
    }
    static_cast<DialogBase*>(dialog)->OnOK();
  };
  for (int id : {130, 134, 148}) app.frame()->action(id)->trigger();
  closer.on_dialog = nullptr;

  app.frame()->action(137)->trigger();
  QElapsedTimer wait;
  wait.start();
  while (wait.elapsed() < 200) QApplication::processEvents();
  EXPECT_EQ(closer.boxes.size(), 1u) << closer.boxes.back().text;

  auto mail = servers.CapturedMail();
  ASSERT_EQ(mail.size(), 1u);
  EXPECT_EQ(mail[0].mail_from, "dave@example.jp");
  EXPECT_EQ(mail[0].rcpt_to, std::vector<std::string>{"customer@example.com NOTIFY=NEVER"});
  EXPECT_NE(mail[0].content.find("Subject: =?ISO-2022-JP?B?"), std::string::npos);
  std::vector<std::string> log = testing::LogLines();
  ASSERT_EQ(log.size(), 3u);
  EXPECT_EQ(log[1].rfind("送信アドレス(dave@example.jpcustomer@example.com) ", 0), 0u);
  EXPECT_EQ(log[2].rfind("接続OK POPサーバー(1件) ", 0), 0u);
}

}  // namespace
}  // namespace mirte
