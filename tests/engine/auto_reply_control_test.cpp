#include "auto_reply_control.h"

#include <gtest/gtest.h>

#include "activity_log.h"
#include "recording_ui_port.h"
#include "scripted_mail_library.h"
#include "temp_dir.h"
#include "text_codec.h"

namespace mirte {
namespace {

using testing::LogLines;
using testing::RecordingUiPort;
using testing::ScriptedMailLibrary;
using testing::ScriptedMessage;

class AutoReplyControlTest : public testing::WorkDirTest {
 protected:
  void SetUp() override { doc_.SetMailAddress("me@example.jp"); }

  std::string StampAt(int seconds_after_start) const {
    return Cp932ToUtf8(LogTimeStamp(start_ + seconds_after_start));
  }

  RecordingUiPort ui_;
  const std::time_t start_ = ui_.now;
  CPenwickDoc doc_{ui_};
  ScriptedMailLibrary library_;
  CAutoReplyControl control_{doc_, library_, ui_};
};

TEST_F(AutoReplyControlTest, RunStartsTheTimerWithTheIntervalsPeriod) {
  const std::pair<int, uint32_t> periods[] = {{0, 60000},   {1, 180000},  {2, 300000},
                                              {3, 600000},  {4, 3600000}, {5, 5400000},
                                              {6, 60000},   {-1, 60000}};
  for (auto [interval, period] : periods) {
    doc_.SetInterval(interval);
    ui_.events.clear();
    control_.OnRun();
    EXPECT_EQ(ui_.events.front(), "timer 1 " + std::to_string(period)) << interval;
  }
}

TEST_F(AutoReplyControlTest, RunLogsStartsACycleAndShowsRunning) {
  doc_.SetInterval(2);
  ui_.tick_seconds = 1;
  control_.OnRun();
  EXPECT_EQ(control_.m_bRunning, 1);
  EXPECT_EQ(ui_.events, (std::vector<std::string>{"timer 1 300000", "wait", "ready", "draw 1"}));
  // Clock readings: the run line (0), the tick (1), the cycle's stamp (2).
  EXPECT_EQ(LogLines(), (std::vector<std::string>{"自動返信実行" + StampAt(0),
                                                   "接続OK POPサーバー(0件)" + StampAt(1)}));
  EXPECT_FALSE(control_.IsCommandEnabled(kCmdRun));
  EXPECT_TRUE(control_.IsCommandEnabled(kCmdStop));
  for (int id : {kCmdCheckNow, kCmdAccountSettings, kCmdAutoReplySettings,
                 kCmdSendConditionSettings, kCmdOptionSettings}) {
    EXPECT_FALSE(control_.IsCommandEnabled(id)) << id;
  }
  EXPECT_TRUE(control_.IsCommandEnabled(57664));

  control_.OnStop();
  EXPECT_EQ(control_.m_bRunning, 0);
  EXPECT_EQ(LogLines().back(), "自動返信停止" + StampAt(3));
  EXPECT_EQ(ui_.events.back(), "draw 0");
  EXPECT_TRUE(control_.IsCommandEnabled(kCmdRun));
  EXPECT_FALSE(control_.IsCommandEnabled(kCmdStop));
}

TEST_F(AutoReplyControlTest, FailedTickStopsThenShowsTheBoxThenLogs) {
  control_.OnRun();
  ui_.events.clear();
  library_.connect_result = -1;
  ui_.tick_seconds = 1;
  size_t lines_when_box_opened = 0;
  ui_.inside_box = [&] { lines_when_box_opened = LogLines().size(); };
  control_.OnTimer(1);
  EXPECT_EQ(control_.m_bRunning, 0);
  EXPECT_EQ(ui_.events, (std::vector<std::string>{"wait", "ready", "kill 1", "draw 0",
                                                   "box error 接続失敗"}));
  std::vector<std::string> lines = LogLines();
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines_when_box_opened, 3u) << "the stop line comes before the box";
  EXPECT_EQ(lines[2], "自動返信停止" + StampAt(1));
  EXPECT_EQ(lines[3], "接続失敗" + StampAt(0)) << "stamped when the tick began";
  EXPECT_TRUE(control_.IsCommandEnabled(kCmdRun));
}

TEST_F(AutoReplyControlTest, EachFailureHasItsText) {
  const std::pair<int, const char*> texts[] = {
      {-1, "初期化失敗"}, {-2, "接続失敗"}, {-3, "認証失敗"}, {-4, "ﾀｲﾑアウト"},
      {-5, "送信時の接続エラー"}, {-6, "その他のエラー"}, {-100, "その他のエラー"}};
  for (auto [result, text] : texts) {
    EXPECT_EQ(Cp932ToUtf8(FailureText(result)), text);
  }
}

TEST_F(AutoReplyControlTest, ReplyLinesComeBeforeTheResultLineWhichKeepsTheTicksStamp) {
  library_.mailbox = {ScriptedMessage{"s", "1", "a@example.com", "", "b"},
                      ScriptedMessage{"s", "2", "b@example.com", "", "b"}};
  ui_.tick_seconds = 5;
  control_.OnTimer(1);
  EXPECT_EQ(LogLines(), (std::vector<std::string>{
                            "送信アドレス(me@example.jpa@example.com)" + StampAt(5),
                            "送信アドレス(me@example.jpb@example.com)" + StampAt(5),
                            "接続OK POPサーバー(2件)" + StampAt(0)}));
}

TEST_F(AutoReplyControlTest, CheckNowRunsOneCycleAndStaysIdle) {
  control_.OnCheckNow();
  EXPECT_EQ(control_.m_bRunning, 0);
  EXPECT_EQ(ui_.events, (std::vector<std::string>{"draw 1", "wait", "ready", "draw 0"}));
  EXPECT_EQ(LogLines(), (std::vector<std::string>{"自動返信実行" + StampAt(0),
                                                   "接続OK POPサーバー(0件)" + StampAt(0)}));
  library_.auth_result = -3;
  control_.OnCheckNow();
  EXPECT_EQ(LogLines().back(), "認証失敗" + StampAt(0));
  EXPECT_EQ(ui_.Boxes(), std::vector<std::string>{"box error 認証失敗"});
  EXPECT_EQ(control_.m_nLastResult, -3);
}

TEST_F(AutoReplyControlTest, TimerThatCannotStart) {
  ui_.timer_result = 0;
  control_.OnRun();
  EXPECT_EQ(control_.m_bRunning, 0);
  EXPECT_EQ(ui_.Boxes(), std::vector<std::string>{"box error タイマー不正"});
  EXPECT_EQ(LogLines(), std::vector<std::string>{"自動返信停止" + StampAt(0)});
  EXPECT_TRUE(library_.calls.empty()) << "no cycle";
}

TEST_F(AutoReplyControlTest, OtherTimersAndTicksInsideACycleRunNothing) {
  control_.OnTimer(2);
  EXPECT_TRUE(library_.calls.empty());

  // A save that fails opens a box inside the cycle; a tick delivered while
  // it is open must not start a second cycle.
  ASSERT_EQ(::mkdir("RvData.dat", 0755), 0);
  library_.mailbox = {ScriptedMessage{"s", "1", "a@example.com", "", "b"}};
  int nested = 0;
  ui_.inside_box = [&] {
    ++nested;
    control_.OnTimer(1);
  };
  control_.OnTimer(1);
  EXPECT_EQ(nested, 2);
  EXPECT_EQ(std::count(library_.calls.begin(), library_.calls.end(), "Init"), 1);
  EXPECT_EQ(library_.sent.size(), 1u);
}

TEST_F(AutoReplyControlTest, AutoStartRestartsOnEveryPaintUntilACycleFails) {
  control_.OnPaintAutoStart(0);
  EXPECT_TRUE(library_.calls.empty()) << "auto-start off";
  control_.OnPaintAutoStart(1);
  control_.OnPaintAutoStart(2);  // any non-zero value is on
  EXPECT_EQ(control_.m_bRunning, 1);
  EXPECT_EQ(std::count(library_.calls.begin(), library_.calls.end(), "Init"), 2);
  EXPECT_EQ(LogLines().size(), 4u) << "two run lines, two result lines";

  // A failure that persists: closing its box repaints, and that paint must
  // not start the next failing cycle.
  library_.connect_result = -1;
  ui_.inside_box = [&] { control_.OnPaintAutoStart(1); };
  control_.OnTimer(1);
  control_.OnPaintAutoStart(1);
  EXPECT_EQ(control_.m_bRunning, 0);
  EXPECT_EQ(ui_.Boxes().size(), 1u);
  EXPECT_EQ(std::count(library_.calls.begin(), library_.calls.end(), "Init"), 3);

  // The user's own run command, or new settings, end the suspension.
  library_.connect_result = 7;
  control_.OnRunCommand();
  EXPECT_EQ(control_.m_bRunning, 1);
  control_.OnStop();
  control_.OnPaintAutoStart(1);
  EXPECT_EQ(control_.m_bRunning, 1) << "after a stop the next paint starts it again";
}

}  // namespace
}  // namespace mirte
