// The settings dialogs and the about box, offscreen.
#include <QtTest/QTest>
#include <QtWidgets/QApplication>
#include <QtWidgets/QAbstractButton>
#include <QtWidgets/QCheckBox>
#include <QtWidgets/QLabel>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QListWidget>
#include <QtWidgets/QPlainTextEdit>
#include <gtest/gtest.h>

#include "about_dlg.h"
#include "account_dlg.h"
#include "auto_set_dlg.h"
#include "modal_closer.h"
#include "option_set_dlg.h"
#include "qt_text.h"
#include "snd_condition_dlg.h"
#include "text_codec.h"

namespace mirte {
namespace {

using testing::ModalCloser;

std::string Repeat(const char* utf8, int n) {
  std::string s;
  for (int i = 0; i < n; ++i) s += utf8;
  return s;
}

// Types `text` into the focused field as a person would, one key a
// character.
void Type(QWidget* field, const QString& text) {
  field->setFocus();
  for (char32_t c : text.toUcs4()) {
    QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, QString::fromUcs4(&c, 1),
                        Qt::NoModifier);
  }
}

// Shows `dialog` as the active window, as a person would see it.
void ShowActive(QWidget& dialog) {
  dialog.show();
  QApplication::setActiveWindow(&dialog);
  dialog.activateWindow();
  EXPECT_TRUE(QTest::qWaitForWindowActive(&dialog, 1000));
}

void Settle() {
  for (int i = 0; i < 5; ++i) {
    QApplication::processEvents();
    QTest::qWait(10);
  }
}

class DialogTest : public ::testing::Test {
 protected:
  void TearDown() override { QApplication::processEvents(); }
  ModalCloser closer_;
};

TEST_F(DialogTest, AccountDialogLimitsAndOrder) {
  struct Case {
    const char* name;
    std::string address;
    std::string pop3;
    bool accepted;
    int failing;  // control reported, or 0
  };
  const std::vector<Case> cases = {
      {"empty fields", "", "", true, 0},
      {"256 bytes", std::string(256, 'a'), "", true, 0},
      {"128 double-byte characters", Cp932(Repeat("あ", 128)), "", true, 0},
      {"257 bytes", std::string(257, 'a'), "", false, 1003},
      {"two too long: the first is reported", std::string(300, 'a'), std::string(300, 'b'),
       false, 1003},
      {"second too long", "ok", Cp932(Repeat("い", 129)), false, 1004},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    closer_.boxes.clear();
    CAccountDlg dlg;
    dlg.m_strMailAddress = c.address;
    dlg.m_strPop3Server = c.pop3;
    dlg.m_strPassword = "pw";
    ShowActive(dlg);
    // A longer text put in by the program is shown whole.
    EXPECT_EQ(ToCp932(dlg.field(1003)->text()), c.address);
    dlg.OnOK();
    Settle();
    EXPECT_EQ(dlg.result(), c.accepted ? DialogBase::IDOK : 0);
    if (c.accepted) {
      EXPECT_TRUE(closer_.boxes.empty());
      EXPECT_EQ(dlg.m_strMailAddress, c.address);
      EXPECT_EQ(dlg.m_strPassword, "pw");
    } else {
      ASSERT_EQ(closer_.boxes.size(), 1u);
      EXPECT_EQ(closer_.boxes[0].text, "Please enter no more than 256 characters.");
      EXPECT_EQ(closer_.boxes[0].caption, "ミルテ");
      EXPECT_EQ(closer_.boxes[0].icon, QMessageBox::Warning);
      EXPECT_EQ(dlg.focusWidget(), dlg.field(c.failing));
      EXPECT_EQ(dlg.field(c.failing)->selectedText(), dlg.field(c.failing)->text());
    }
  }
}

TEST_F(DialogTest, AccountDialogKeysAndMask) {
  CAccountDlg dlg;
  ShowActive(dlg);
  EXPECT_EQ(dlg.field(1007)->echoMode(), QLineEdit::Password);
  Type(dlg.field(1007), "s3cret");
  QTest::keyClick(dlg.field(1007), Qt::Key_Return);
  EXPECT_EQ(dlg.result(), DialogBase::IDOK) << "Enter in a field accepts";
  EXPECT_EQ(dlg.m_strPassword, "s3cret");

  CAccountDlg cancelled;
  cancelled.m_strUserName = "kept";
  ShowActive(cancelled);
  Type(cancelled.field(1006), "x");
  QTest::keyClick(cancelled.field(1006), Qt::Key_Escape);
  EXPECT_EQ(cancelled.result(), DialogBase::IDCANCEL);
  EXPECT_EQ(cancelled.m_strUserName, "kept");
}

TEST_F(DialogTest, TextsThatCannotBeStoredAreRefusedAtEntry) {
  CAccountDlg dlg;
  ShowActive(dlg);
  Type(dlg.field(1006), QString::fromUtf8("ab\xF0\x9F\x98\x80"));
  Settle();
  EXPECT_EQ(dlg.field(1006)->text(), "ab");
  ASSERT_EQ(closer_.boxes.size(), 1u);
  EXPECT_NE(closer_.boxes[0].text.find("Shift_JIS"), std::string::npos);

  // A password whose scrambled form would hold a zero byte: 0x9C plus the
  // first key byte is 256, so any character led by 0x9C in first place.
  closer_.boxes.clear();
  QString first = FromCp932("\x9C\x40");
  Type(dlg.field(1007), first);
  Settle();
  EXPECT_EQ(dlg.field(1007)->text(), "");
  ASSERT_EQ(closer_.boxes.size(), 1u);
  EXPECT_NE(closer_.boxes[0].text.find("パスワード"), std::string::npos);

  // Typing stops at 256 bytes.
  dlg.field(1003)->setText(QString(255, 'a'));
  Type(dlg.field(1003), QString::fromUtf8("あb"));
  EXPECT_EQ(dlg.field(1003)->text().size(), 256);
  EXPECT_TRUE(dlg.field(1003)->text().endsWith("b"));
}

TEST_F(DialogTest, AutoReplyDialog) {
  CAutoSetDlg dlg;
  ShowActive(dlg);
  EXPECT_EQ(dlg.focusWidget(), dlg.m_listInterval);
  ASSERT_EQ(dlg.m_listInterval->count(), 6);
  std::vector<std::string> rows;
  for (int i = 0; i < 6; ++i) rows.push_back(dlg.m_listInterval->item(i)->text().toStdString());
  EXPECT_EQ(rows, (std::vector<std::string>{"60秒", "３分", "５分", "10分", "60分", "90分"}));
  EXPECT_EQ(dlg.m_listInterval->currentRow(), 0);

  // Enter in the body is a line break; in the subject it accepts.
  Type(dlg.m_editBody, "line1");
  QTest::keyClick(dlg.m_editBody, Qt::Key_Return);
  Type(dlg.m_editBody, "line2");
  EXPECT_EQ(dlg.result(), 0);
  dlg.m_listInterval->setCurrentRow(4);
  Type(dlg.m_editSubject, QString::fromUtf8("件名"));
  QTest::keyClick(dlg.m_editSubject, Qt::Key_Return);
  EXPECT_EQ(dlg.result(), DialogBase::IDOK);
  EXPECT_EQ(dlg.m_strReplyBody, "line1\r\nline2");
  EXPECT_EQ(dlg.m_strReplySubject, Cp932("件名"));
  EXPECT_EQ(dlg.m_nInterval, 4);
}

TEST_F(DialogTest, AutoReplyDialogEnterInTheListAccepts) {
  CAutoSetDlg dlg;
  dlg.m_nInterval = 2;
  ShowActive(dlg);
  EXPECT_EQ(dlg.m_listInterval->currentRow(), 2);
  QTest::keyClick(dlg.m_listInterval, Qt::Key_Down);
  QTest::keyClick(dlg.m_listInterval, Qt::Key_Return);
  EXPECT_EQ(dlg.result(), DialogBase::IDOK);
  EXPECT_EQ(dlg.m_nInterval, 3);

  CAutoSetDlg cancelled;
  cancelled.m_nInterval = 1;
  ShowActive(cancelled);
  QTest::keyClick(cancelled.m_listInterval, Qt::Key_Down);
  QTest::keyClick(cancelled.m_listInterval, Qt::Key_Escape);
  EXPECT_EQ(cancelled.result(), DialogBase::IDCANCEL);
  EXPECT_EQ(cancelled.m_nInterval, 1) << "the member is set only by OK";
}

TEST_F(DialogTest, AutoReplyDialogBodyLimitAndStrayInterval) {
  struct Case {
    std::string body;
    bool accepted;
  };
  // 1024 bytes with line breaks counted as CR LF.
  std::string exact = std::string(510, 'x') + "\r\n" + std::string(512, 'y');
  const Case cases[] = {{exact, true}, {exact + "z", false}, {Cp932(Repeat("本", 512)), true}};
  for (const Case& c : cases) {
    closer_.boxes.clear();
    CAutoSetDlg dlg;
    dlg.m_strReplyBody = c.body;
    dlg.m_strReplySubject = std::string(5000, 's');  // never refused
    dlg.m_nInterval = 9;
    ShowActive(dlg);
    EXPECT_EQ(dlg.m_listInterval->selectedItems().size(), 0u);
    dlg.OnOK();
    Settle();
    EXPECT_EQ(dlg.result(), c.accepted ? DialogBase::IDOK : 0) << c.body.size();
    EXPECT_EQ(dlg.m_nInterval, 0) << "no row selected stores the first";
    if (c.accepted) {
      EXPECT_EQ(dlg.m_strReplyBody, c.body);
      EXPECT_EQ(dlg.m_strReplySubject.size(), 5000u);
    } else {
      ASSERT_EQ(closer_.boxes.size(), 1u);
      EXPECT_EQ(closer_.boxes[0].text, "Please enter no more than 1024 characters.");
      EXPECT_EQ(dlg.focusWidget(), dlg.m_editBody);
    }
  }
}

TEST_F(DialogTest, SendConditionsDialog) {
  CSndConDitionDlg dlg;
  dlg.m_bKeywordCheck = 5;
  dlg.m_bEmptyBodyCheck = 1;
  ShowActive(dlg);
  EXPECT_FALSE(dlg.keyword_check->isChecked()) << "a stray flag shows off";
  EXPECT_TRUE(dlg.empty_body_check->isChecked());
  Type(dlg.keyword_edit, QString::fromUtf8("至急"));
  dlg.OnOK();
  EXPECT_EQ(dlg.result(), DialogBase::IDOK);
  EXPECT_EQ(dlg.m_bKeywordCheck, 0);
  EXPECT_EQ(dlg.m_bEmptyBodyCheck, 1);
  EXPECT_EQ(dlg.m_strKeyword, Cp932("至急"));

  CSndConDitionDlg too_long;
  too_long.m_strKeyword = std::string(257, 'k');
  too_long.m_bKeywordCheck = 1;
  ShowActive(too_long);
  too_long.keyword_check->setChecked(false);
  too_long.OnOK();
  Settle();
  EXPECT_EQ(too_long.result(), 0);
  ASSERT_EQ(closer_.boxes.size(), 1u);
  EXPECT_EQ(closer_.boxes[0].text, "Please enter no more than 256 characters.");
  EXPECT_EQ(too_long.m_bKeywordCheck, 1) << "the check boxes were not read";
}

TEST_F(DialogTest, OptionsDialogPorts) {
  struct Case {
    const char* pop3;
    const char* smtp;
    const char* message;  // empty: accepted
    int failing;          // 3 POP3, 4 SMTP
    uint32_t pop3_value;
  };
  const Case cases[] = {
      {"0", "65535", "", 0, 0},
      {"  995", "587abc", "", 0, 995},
      {"+110", "25", "", 0, 110},
      {"-0", "25", "", 0, 0},
      {"65536", "25", "Please enter an integer between 0 and 65535.", 3, 0},
      {"", "25", "Please enter a positive integer.", 3, 0},
      {"abc", "25", "Please enter a positive integer.", 3, 0},
      {"-1", "25", "Please enter an integer between 0 and 65535.", 3, 0},
      {"99999999999999999999", "25", "Please enter an integer between 0 and 65535.", 3, 0},
      {"x", "y", "Please enter a positive integer.", 3, 0},
      {"110", "70000", "Please enter an integer between 0 and 65535.", 4, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.pop3) + " / " + c.smtp);
    closer_.boxes.clear();
    COptionSetDlg dlg;
    ShowActive(dlg);
    dlg.pop3_edit->setText(c.pop3);
    dlg.smtp_edit->setText(c.smtp);
    dlg.OnOK();
    Settle();
    if (*c.message == '\0') {
      EXPECT_EQ(dlg.result(), DialogBase::IDOK);
      EXPECT_EQ(dlg.m_nPop3Port, c.pop3_value);
      EXPECT_TRUE(closer_.boxes.empty());
    } else {
      EXPECT_EQ(dlg.result(), 0);
      ASSERT_EQ(closer_.boxes.size(), 1u);
      EXPECT_EQ(closer_.boxes[0].text, c.message);
      QLineEdit* failing = c.failing == 3 ? dlg.pop3_edit : dlg.smtp_edit;
      EXPECT_EQ(dlg.focusWidget(), failing);
    }
  }
}

TEST_F(DialogTest, OptionsDialogShowsStoredValuesAsTheyAre) {
  COptionSetDlg dlg;
  dlg.m_nPop3Port = static_cast<uint32_t>(-1);
  dlg.m_nSmtpPort = 25;
  dlg.m_bApop = 5;
  dlg.m_bAutoStart = 2;
  ShowActive(dlg);
  EXPECT_EQ(dlg.pop3_edit->text().toStdString(), "4294967295");
  EXPECT_FALSE(dlg.apop_check->isChecked());
  EXPECT_TRUE(dlg.auto_start_check->isChecked());
  // Typed letters do not go in; digits do.
  dlg.smtp_edit->clear();
  Type(dlg.smtp_edit, "5x8y7");
  EXPECT_EQ(dlg.smtp_edit->text().toStdString(), "587");
  dlg.OnOK();
  Settle();
  EXPECT_EQ(dlg.result(), 0) << "4294967295 is out of range";
  dlg.pop3_edit->setText("110");
  dlg.OnOK();
  EXPECT_EQ(dlg.result(), DialogBase::IDOK);
  EXPECT_EQ(dlg.m_nSmtpPort, 587u);
  EXPECT_EQ(dlg.m_bApop, 0);
  EXPECT_EQ(dlg.m_bAutoStart, 1);
}

// The names of the controls in tab order, starting at the focused one.
std::vector<std::string> TabOrder(QWidget& dialog) {
  std::vector<std::string> names;
  QWidget* start = dialog.focusWidget();
  QWidget* w = start;
  for (int i = 0; w != nullptr && i < 12; ++i) {
    if (auto* button = qobject_cast<QAbstractButton*>(w)) {
      names.push_back(button->text().toStdString());
    } else if (qobject_cast<QLineEdit*>(w)) {
      names.push_back("edit");
    } else if (qobject_cast<QPlainTextEdit*>(w)) {
      names.push_back("body");
    } else if (qobject_cast<QListWidget*>(w)) {
      names.push_back("list");
    }
    do {
      w = w->nextInFocusChain();
    } while (w != start && !(w->focusPolicy() & Qt::TabFocus));
    if (w == start) break;
  }
  return names;
}

TEST_F(DialogTest, FocusStartsWhereTheToolkitPutsItAndTabFollowsTheTemplates) {
  CAccountDlg account;
  ShowActive(account);
  EXPECT_EQ(TabOrder(account), (std::vector<std::string>{"OK", "キャンセル", "edit", "edit",
                                                         "edit", "edit", "edit"}));
  CSndConDitionDlg conditions;
  ShowActive(conditions);
  EXPECT_EQ(TabOrder(conditions), (std::vector<std::string>{"OK", "キャンセル", "edit",
                                                            "見出しキーワド", "本文空メール"}));
  COptionSetDlg options;
  ShowActive(options);
  EXPECT_EQ(TabOrder(options), (std::vector<std::string>{"OK", "edit", "edit", "APOP使用",
                                                         "キャンセル", "起動時に自動返信実行する。"}));
  CAutoSetDlg reply;
  ShowActive(reply);
  EXPECT_EQ(TabOrder(reply), (std::vector<std::string>{"list", "edit", "body", "OK", "キャンセル"}));
}

TEST_F(DialogTest, AboutBox) {
  CAboutDlg dlg;
  ShowActive(dlg);
  EXPECT_EQ(dlg.windowTitle().toStdString(), "バージョン情報 Penwick");
  bool found = false;
  for (QLabel* label : dlg.findChildren<QLabel*>()) {
    found |= label->text().toStdString() == "ミルテ Version 0.9.3.0b";
  }
  EXPECT_TRUE(found);
  QTest::keyClick(&dlg, Qt::Key_Return);
  EXPECT_EQ(dlg.result(), DialogBase::IDOK);
}

}  // namespace
}  // namespace mirte
