// The desktop application, offscreen: menus, commands, the status view and
// the auto-start rule, over the scripted mail library.
#include <QtCore/QCoreApplication>
#include <QtCore/QElapsedTimer>
#include <QtCore/QSettings>
#include <QtGui/QImage>
#include <QtTest/QTest>
#include <QtWidgets/QCheckBox>
#include <QtWidgets/QLabel>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QListWidget>
#include <QtWidgets/QMenuBar>
#include <QtWidgets/QStatusBar>
#include <QtWidgets/QToolBar>
#include <gtest/gtest.h>

#include "about_dlg.h"
#include "account_dlg.h"
#include "activity_log.h"
#include "auto_set_dlg.h"
#include "option_set_dlg.h"
#include "snd_condition_dlg.h"
#include "main_frame.h"
#include "modal_closer.h"
#include "penwick_app.h"
#include "penwick_view.h"
#include "recording_ui_port.h"
#include "scripted_mail_library.h"
#include "temp_dir.h"
#include "text_codec.h"

namespace mirte {
namespace {

using testing::LogLines;
using testing::ModalCloser;
using testing::ScriptedMailLibrary;
using testing::ScriptedMessage;

void Settle(int ms = 50) {
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

int Inits(const ScriptedMailLibrary& library) {
  return static_cast<int>(std::count(library.calls.begin(), library.calls.end(), "Init"));
}

class ShellTest : public testing::WorkDirTest {
 protected:
  void SetUp() override {
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(work_dir_.path() + "/config"));
  }

  // Writes "MyData.dat" with the given interval and auto-start.
  void WriteSettings(int interval, int auto_start, const std::string& file = "MyData.dat",
                     const std::string& server = "pop.example.jp") {
    testing::RecordingUiPort port;
    CPenwickDoc doc(port);
    doc.SetMailAddress("me@example.jp");
    doc.SetPop3Server(server);
    doc.SetInterval(interval);
    doc.SetAutoStart(auto_start);
    doc.SaveFile(file);
  }

  void Start(const QStringList& arguments = {}) {
    app_ = std::make_unique<CPenwickApp>(library_);
    ASSERT_TRUE(app_->InitInstance(arguments));
    Settle();
  }

  CMainFrame* frame() { return app_->frame(); }
  CPenwickView* view() { return app_->view(); }
  std::string Title() { return frame()->windowTitle().toStdString(); }

  ModalCloser closer_;
  ScriptedMailLibrary library_;
  std::unique_ptr<CPenwickApp> app_;
};

TEST_F(ShellTest, MenuTextsAndCommandNumbers) {
  WriteSettings(0, 0);
  Start();
  std::vector<std::string> menus;
  for (QAction* popup : frame()->menuBar()->actions()) {
    std::string line = popup->text().toStdString() + ":";
    for (QAction* item : popup->menu()->actions()) line += " " + item->text().toStdString();
    menus.push_back(line);
  }
  EXPECT_EQ(menus, (std::vector<std::string>{
                       "ファイル(&F): アプリケーションの終了(&X)",
                       "自動返信: 自動返信実行(&X) 自動返信停止(&S) 受信問い合わせ(&I)",
                       "表示(&V): ツール バー(&T) ステータス バー(&S)",
                       "設定(&S): アカウント設定(&A) 自動返信設定(&M) 送信条件設定(&S) オプション設定(&O)",
                       "ヘルプ(&H): バージョン情報 ミルテ(&A)..."}));
  const std::pair<int, const char*> ids[] = {
      {57665, "アプリケーションの終了(&X)"}, {136, "自動返信実行(&X)"}, {139, "自動返信停止(&S)"},
      {137, "受信問い合わせ(&I)"}, {59392, "ツール バー(&T)"}, {59393, "ステータス バー(&S)"},
      {130, "アカウント設定(&A)"}, {134, "自動返信設定(&M)"}, {138, "送信条件設定(&S)"},
      {148, "オプション設定(&O)"}, {57664, "バージョン情報 ミルテ(&A)..."}};
  for (auto [id, text] : ids) {
    ASSERT_NE(frame()->action(id), nullptr) << id;
    EXPECT_EQ(frame()->action(id)->text().toStdString(), text);
  }
  EXPECT_EQ(frame()->action(136)->statusTip().toStdString(), "自動返信を実行します。");
  EXPECT_EQ(frame()->action(57664)->statusTip().toStdString(),
            "プログラム情報、バージョン、著作権を表示します。");
}

TEST_F(ShellTest, CommandsEnabledByTheRunningState) {
  WriteSettings(0, 0);
  Start();
  auto enabled = [&](int id) { return frame()->action(id)->isEnabled(); };
  EXPECT_TRUE(enabled(136) && enabled(137));
  EXPECT_FALSE(enabled(139));
  EXPECT_TRUE(enabled(57665) && enabled(59392) && enabled(59393));

  frame()->action(136)->trigger();
  EXPECT_EQ(view()->control().m_bRunning, 1);
  EXPECT_TRUE(enabled(139));
  for (int id : {136, 137, 130, 134, 138, 148}) EXPECT_FALSE(enabled(id)) << id;

  frame()->action(139)->trigger();
  EXPECT_EQ(view()->control().m_bRunning, 0);
  EXPECT_FALSE(enabled(139));
  EXPECT_TRUE(enabled(136));
}

TEST_F(ShellTest, AcceleratorsWithoutHandlersDoNothing) {
  WriteSettings(0, 0);
  Start();
  frame()->activateWindow();
  std::string settings_before = testing::ReadFile("MyData.dat");
  const std::pair<Qt::Key, Qt::KeyboardModifiers> keys[] = {
      {Qt::Key_Z, Qt::ControlModifier},   {Qt::Key_X, Qt::ControlModifier},
      {Qt::Key_C, Qt::ControlModifier},   {Qt::Key_V, Qt::ControlModifier},
      {Qt::Key_Backspace, Qt::AltModifier}, {Qt::Key_Delete, Qt::ShiftModifier},
      {Qt::Key_Insert, Qt::ControlModifier}, {Qt::Key_Insert, Qt::ShiftModifier},
      {Qt::Key_F6, Qt::NoModifier},       {Qt::Key_F6, Qt::ShiftModifier}};
  for (auto [key, modifiers] : keys) QTest::keyClick(frame(), key, modifiers);
  Settle();
  for (int id : {57643, 57635, 57634, 57637, 57680, 57681}) {
    EXPECT_FALSE(frame()->action(id)->isEnabled()) << id;
  }
  EXPECT_TRUE(closer_.boxes.empty());
  EXPECT_TRUE(library_.calls.empty());
  EXPECT_EQ(testing::ReadFile("MyData.dat"), settings_before);
  EXPECT_EQ(Title(), "ミルテ");
}

TEST_F(ShellTest, RunStartsTimerOneWithTheIntervalsPeriod) {
  const std::pair<int, int> periods[] = {{0, 60000},   {1, 180000},  {2, 300000},
                                         {3, 600000},  {4, 3600000}, {5, 5400000}, {9, 60000}};
  WriteSettings(0, 0);
  Start();
  for (auto [interval, period] : periods) {
    app_->document().SetInterval(interval);
    view()->OnRun();
    EXPECT_TRUE(view()->poll_timer().isActive());
    EXPECT_EQ(view()->poll_timer().interval(), period) << interval;
    view()->OnStop();
    EXPECT_FALSE(view()->poll_timer().isActive());
  }
}

TEST_F(ShellTest, FailedTickStopsShowsTheBoxThenLogs) {
  WriteSettings(2, 0);
  Start();
  view()->OnRun();
  library_.connect_result = -1;
  size_t lines_at_box = 0;
  closer_.on_box = [&](const ModalCloser::Box&) { lines_at_box = LogLines().size(); };
  view()->OnTimer(1);
  ASSERT_EQ(closer_.boxes.size(), 1u);
  EXPECT_EQ(closer_.boxes[0].text, "接続失敗");
  EXPECT_EQ(closer_.boxes[0].caption, "ミルテ");
  EXPECT_EQ(closer_.boxes[0].icon, QMessageBox::Critical);
  std::vector<std::string> log = LogLines();
  ASSERT_EQ(log.size(), 4u);
  EXPECT_EQ(log[0].rfind("自動返信実行 ", 0), 0u);
  EXPECT_EQ(log[1].rfind("接続OK POPサーバー(0件) ", 0), 0u);
  EXPECT_EQ(log[2].rfind("自動返信停止 ", 0), 0u);
  EXPECT_EQ(log[3].rfind("接続失敗 ", 0), 0u);
  EXPECT_EQ(lines_at_box, 3u);
  EXPECT_FALSE(view()->poll_timer().isActive());
  Settle();
  EXPECT_TRUE(frame()->action(136)->isEnabled());
}

TEST_F(ShellTest, AutoStartAtTheFirstPaintAndOnEveryRepaint) {
  WriteSettings(1, 1);
  Start();
  EXPECT_EQ(view()->control().m_bRunning, 1);
  EXPECT_EQ(view()->poll_timer().interval(), 180000);
  EXPECT_EQ(Inits(library_), 1);
  view()->repaint();
  Settle();
  EXPECT_EQ(Inits(library_), 2);
  std::vector<std::string> log = LogLines();
  EXPECT_EQ(std::count_if(log.begin(), log.end(),
                          [](const std::string& l) { return l.rfind("自動返信実行", 0) == 0; }),
            2);
  // The run and stop commands' own drawing never causes a further run.
  view()->OnStop();
  Settle();
  EXPECT_EQ(Inits(library_), 2);
}

TEST_F(ShellTest, PersistentFailureDoesNotRepeatAtEachRepaint) {
  WriteSettings(0, 1);
  library_.connect_result = -1;
  // Each box that closes repaints the view, as a real desktop does.
  closer_.on_box = [&](const ModalCloser::Box&) {
    QTimer::singleShot(0, [this] { view()->repaint(); });
  };
  Start();
  Settle(200);
  view()->repaint();
  Settle(100);
  EXPECT_EQ(Inits(library_), 1);
  EXPECT_EQ(closer_.boxes.size(), 1u);
  EXPECT_EQ(view()->control().m_bRunning, 0);

  // Once the server answers, the user's run command starts it again, and
  // so does the next paint after that.
  library_.connect_result = 7;
  frame()->action(136)->trigger();
  EXPECT_EQ(view()->control().m_bRunning, 1);
  EXPECT_EQ(Inits(library_), 2);
}

TEST_F(ShellTest, DrawStatusCopiesTheRightColumns) {
  WriteSettings(0, 0);
  Start();
  QImage picture(":/images/status.png");
  ASSERT_FALSE(picture.isNull());
  ASSERT_EQ(picture.size(), QSize(256, 110));
  view()->DrawStatus(0);
  const QImage& idle = view()->canvas();
  for (int y : {0, 50, 109}) {
    for (int x : {0, 64, 127}) {
      EXPECT_EQ(idle.pixel(175 + x, 10 + y), picture.pixel(x, y)) << x << "," << y;
    }
  }
  QRgb column_302 = idle.pixel(302, 40);
  view()->DrawStatus(1);
  const QImage& running = view()->canvas();
  for (int y : {0, 50, 109}) {
    for (int x : {0, 64, 126}) {
      EXPECT_EQ(running.pixel(175 + x, 10 + y), picture.pixel(129 + x, y)) << x << "," << y;
    }
  }
  EXPECT_EQ(running.pixel(302, 40), column_302) << "column 302 is left alone";
  EXPECT_EQ(running.pixel(10, 10), CPenwickView::kBackground);
  EXPECT_EQ(running.pixel(174, 60), CPenwickView::kBackground);
}

TEST_F(ShellTest, TitlesAfterStartNewAndOpen) {
  WriteSettings(0, 0);
  WriteSettings(0, 0, "other.dat", "other.example.jp");
  Start();
  EXPECT_EQ(Title(), "ミルテ");
  app_->OnFileNew();
  EXPECT_EQ(Title(), "Penwick - ミルテ");
  ASSERT_TRUE(app_->OpenDocumentFile("other.dat"));
  EXPECT_EQ(Title(), "Penwick - other.dat");
  EXPECT_EQ(app_->document().GetPop3Server(), "other.example.jp");
  EXPECT_TRUE(closer_.boxes.empty());
  EXPECT_FALSE(app_->OpenDocumentFile("missing.dat"));
  EXPECT_EQ(closer_.Texts(), std::vector<std::string>{"Failed to open document."});
  EXPECT_EQ(Title(), "Penwick - other.dat");
  // The file joined the recent-file list, written when the program ends.
  app_.reset();
  QSettings profile(RecentFiles::ProfilePath(), QSettings::IniFormat);
  EXPECT_TRUE(profile.value("Recent File List/File1").toString().endsWith("/other.dat"));
  EXPECT_NE(RecentFiles::ProfilePath().indexOf(QString::fromUtf8(
                "アプリケーション ウィザードで生成されたローカル アプリケーション/ミルテ/")),
            -1);
}

TEST_F(ShellTest, FileOnTheCommandLineIsReadInsteadOfTheSettings) {
  WriteSettings(3, 0, "other.dat", "other.example.jp");
  // No "MyData.dat": reading it would show a message.
  Start({"other.dat"});
  EXPECT_TRUE(closer_.boxes.empty());
  EXPECT_EQ(app_->document().GetPop3Server(), "other.example.jp");
  EXPECT_EQ(app_->document().GetInterval(), 3);
  EXPECT_EQ(Title(), "ミルテ");
}

TEST_F(ShellTest, FixedFrameWithToolbarAndStatusBar) {
  WriteSettings(0, 0);
  Start();
  EXPECT_EQ(frame()->minimumSize(), frame()->maximumSize());
  EXPECT_EQ(frame()->frameGeometry().size(), CMainFrame::kOuterSize);
  EXPECT_FALSE(frame()->windowFlags() & Qt::WindowMaximizeButtonHint);
  EXPECT_TRUE(frame()->windowFlags() & Qt::WindowMinimizeButtonHint);
  EXPECT_FALSE(frame()->statusBar()->isSizeGripEnabled());

  std::vector<QAction*> buttons;
  for (QAction* a : frame()->toolbar()->actions()) {
    if (a->isSeparator() || a->icon().isNull()) {
      buttons.push_back(a->isSeparator() ? nullptr : a);
      continue;
    }
    buttons.push_back(a);
  }
  ASSERT_EQ(buttons.size(), 5u);  // gripper, run, stop, separator, about
  EXPECT_EQ(buttons[1], frame()->action(136));
  EXPECT_EQ(buttons[2], frame()->action(139));
  EXPECT_EQ(buttons[3], nullptr);
  EXPECT_EQ(buttons[4], frame()->action(57664));
  EXPECT_EQ(frame()->toolbar()->widgetForAction(frame()->action(57664))->toolTip().toStdString(),
            "バージョン情報");
  EXPECT_FALSE(frame()->toolbar()->isMovable());

  // Both bars hide and show again, with the check mark following.
  frame()->action(59392)->trigger();
  EXPECT_TRUE(frame()->toolbar()->isHidden());
  EXPECT_FALSE(frame()->action(59392)->isChecked());
  frame()->action(59392)->trigger();
  EXPECT_FALSE(frame()->toolbar()->isHidden());
  EXPECT_TRUE(frame()->action(59392)->isChecked());
  EXPECT_EQ(frame()->toolBarArea(frame()->toolbar()), Qt::TopToolBarArea);
  frame()->action(59393)->trigger();
  EXPECT_TRUE(frame()->statusBar()->isHidden());
  EXPECT_FALSE(frame()->action(59393)->isChecked());
}

TEST_F(ShellTest, SettingsCommandsStoreAndSaveOnOkOnly) {
  WriteSettings(0, 0);
  Start();
  const std::string before = testing::ReadFile("MyData.dat");
  // Cancel: nothing changes.
  for (int id : {130, 134, 138, 148}) frame()->action(id)->trigger();
  Settle();
  EXPECT_EQ(testing::ReadFile("MyData.dat"), before);

  closer_.on_dialog = [](QWidget* dialog) {
    if (auto* account = qobject_cast<CAccountDlg*>(dialog)) {
      account->field(1004)->setText("pop.changed.jp");
      account->field(1007)->setText("new-secret");
    } else if (auto* reply = qobject_cast<CAutoSetDlg*>(dialog)) {
      reply->m_listInterval->setCurrentRow(3);
      reply->m_editSubject->setText(QString::fromUtf8("新しい件名"));
    } else if (auto* conditions = qobject_cast<CSndConDitionDlg*>(dialog)) {
      conditions->keyword_check->setChecked(true);
      conditions->keyword_edit->setText("KW");
    } else if (auto* options = qobject_cast<COptionSetDlg*>(dialog)) {
      options->pop3_edit->setText("995");
      options->apop_check->setChecked(false);
    }
    static_cast<DialogBase*>(dialog)->OnOK();
  };
  for (int id : {130, 134, 138, 148}) frame()->action(id)->trigger();
  Settle();
  testing::RecordingUiPort port;
  CPenwickDoc saved(port);
  ASSERT_EQ(saved.LoadFile("MyData.dat"), 1);
  EXPECT_EQ(saved.GetPop3Server(), "pop.changed.jp");
  EXPECT_EQ(saved.GetPassword(), "new-secret");
  EXPECT_EQ(saved.GetMailAddress(), "me@example.jp");
  EXPECT_EQ(saved.GetInterval(), 3);
  EXPECT_EQ(saved.GetReplySubject(), Cp932("新しい件名"));
  EXPECT_EQ(saved.GetKeywordCheck(), 1);
  EXPECT_EQ(saved.GetKeyword(), "KW");
  EXPECT_EQ(saved.GetPop3Port(), 995);
  EXPECT_EQ(saved.GetApop(), 0);
  EXPECT_EQ(app_->document().GetPop3Port(), 995);
}

TEST_F(ShellTest, AboutBoxWhileRunningDoesNotStopIt) {
  WriteSettings(0, 0);
  Start();
  frame()->action(136)->trigger();
  ASSERT_EQ(view()->control().m_bRunning, 1);
  bool shown = false;
  closer_.on_dialog = [&](QWidget* dialog) {
    shown = qobject_cast<CAboutDlg*>(dialog) != nullptr;
    static_cast<DialogBase*>(dialog)->OnCancel();
  };
  EXPECT_TRUE(frame()->action(57664)->isEnabled());
  frame()->action(57664)->trigger();
  EXPECT_TRUE(shown);
  EXPECT_EQ(view()->control().m_bRunning, 1);
  EXPECT_TRUE(view()->poll_timer().isActive());
}

TEST_F(ShellTest, OptionsReachableAfterAPersistentFailureWithAutoStart) {
  WriteSettings(0, 1);
  library_.connect_result = -1;
  closer_.on_box = [&](const ModalCloser::Box&) {
    QTimer::singleShot(0, [this] { view()->repaint(); });
  };
  Start();
  Settle(100);
  ASSERT_TRUE(frame()->action(148)->isEnabled());
  closer_.on_dialog = [](QWidget* dialog) {
    auto* options = qobject_cast<COptionSetDlg*>(dialog);
    ASSERT_NE(options, nullptr);
    options->auto_start_check->setChecked(false);
    options->OnOK();
  };
  frame()->action(148)->trigger();
  view()->repaint();
  Settle(100);
  EXPECT_EQ(app_->document().GetAutoStart(), 0);
  EXPECT_EQ(Inits(library_), 1) << "no cycle after the option was cleared";
}

}  // namespace
}  // namespace mirte
