// mirte-cli end to end, against the real POP3 and SMTP test servers.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "penwick_doc.h"
#include "recording_ui_port.h"
#include "temp_dir.h"
#include "test_servers.h"
#include "text_codec.h"

namespace mirte {
namespace {

using testing::LogLines;
using testing::TestServers;

struct Outcome {
  int exit_code;
  std::string stderr_text;
};

// Runs mirte-cli with `args` in the current directory.
Outcome RunCli(const std::string& args) {
  std::string command = std::string(MIRTE_CLI_PATH) + " " + args + " 2>cli-stderr.txt";
  int status = std::system(command.c_str());
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, testing::ReadFile("cli-stderr.txt")};
}

class MirteCliTest : public testing::WorkDirTest {
 protected:
  void SetUp() override {
    const auto& servers = TestServers::Get();
    servers.ClearMailbox(kUser);
    servers.ClearCaptured();
    testing::RecordingUiPort ui;
    CPenwickDoc doc(ui);
    doc.SetMailAddress("carol@example.jp");
    doc.SetPop3Server("127.0.0.1");
    doc.SetPop3Port(servers.pop3_port);
    doc.SetSmtpServer("127.0.0.1");
    doc.SetSmtpPort(servers.smtp_port);
    doc.SetUserName(kUser);
    doc.SetPassword(servers.password);
    doc.SetApop(1);
    doc.SetReplySubject(Cp932("自動返信：受け付けました"));
    doc.SetReplyBody(Cp932("お問い合わせありがとうございます。\r\n"));
    ASSERT_EQ(doc.SaveFile("MyData.dat"), 1);
    settings_ = testing::ReadFile("MyData.dat");
  }

  void Deliver(const std::string& from, const std::string& subject) {
    TestServers::Get().Deliver(kUser, "From: " + from + "\r\nSubject: " + subject +
                                          "\r\nMessage-ID: <" + subject + "@example.com>\r\n\r\n"
                                          "question\r\n");
  }

  std::vector<std::string> Recipients() const {
    std::vector<std::string> to;
    for (const auto& m : TestServers::Get().CapturedMail()) {
      to.insert(to.end(), m.rcpt_to.begin(), m.rcpt_to.end());
    }
    return to;
  }

  static constexpr const char* kUser = "carol";
  std::string settings_;
};

TEST_F(MirteCliTest, CheckAnswersEachMessageOnceAcrossRuns) {
  Deliver("one@example.com", "first");
  Deliver("two@example.com", "second");
  Outcome first = RunCli("check");
  EXPECT_EQ(first.exit_code, 0) << first.stderr_text;
  EXPECT_EQ(Recipients(), (std::vector<std::string>{"one@example.com NOTIFY=NEVER",
                                                    "two@example.com NOTIFY=NEVER"}));
  std::vector<std::string> log = LogLines();
  ASSERT_EQ(log.size(), 4u);
  EXPECT_EQ(log[0].rfind("自動返信実行 ", 0), 0u) << log[0];
  EXPECT_EQ(log[1].rfind("送信アドレス(carol@example.jpone@example.com) ", 0), 0u) << log[1];
  EXPECT_EQ(log[2].rfind("送信アドレス(carol@example.jptwo@example.com) ", 0), 0u) << log[2];
  EXPECT_EQ(log[3].rfind("接続OK POPサーバー(2件) ", 0), 0u) << log[3];

  testing::RecordingUiPort ui;
  CPenwickDoc records(ui);
  records.SetSettingsMode(0);
  EXPECT_EQ(records.LoadFile("RvData.dat"), 1);
  EXPECT_TRUE(ui.events.empty());
  EXPECT_EQ(records.m_aFrom, (std::vector<std::string>{"one@example.com", "two@example.com"}));
  EXPECT_EQ(records.m_aFlags, (std::vector<uint8_t>{0x11, 0x11}));

  // A new run reads the records: nothing is answered twice.
  Outcome second = RunCli("check");
  EXPECT_EQ(second.exit_code, 0);
  EXPECT_EQ(Recipients().size(), 2u);
  EXPECT_EQ(LogLines().back().rfind("接続OK POPサーバー(2件) ", 0), 0u);

  Deliver("three@example.com", "third");
  EXPECT_EQ(RunCli("check").exit_code, 0);
  ASSERT_EQ(Recipients().size(), 3u);
  EXPECT_EQ(Recipients().back(), "three@example.com NOTIFY=NEVER");

  EXPECT_EQ(testing::ReadFile("MyData.dat"), settings_) << "never written";
}

TEST_F(MirteCliTest, FailedCheckSaysWhyAndExitsNonZero) {
  testing::RecordingUiPort ui;
  CPenwickDoc doc(ui);
  doc.LoadFile("MyData.dat");
  doc.SetPassword("wrong");
  doc.SaveFile("MyData.dat");
  Outcome outcome = RunCli("check");
  EXPECT_EQ(outcome.exit_code, 1);
  EXPECT_NE(outcome.stderr_text.find("認証失敗"), std::string::npos) << outcome.stderr_text;
  std::vector<std::string> log = LogLines();
  ASSERT_EQ(log.size(), 3u);
  EXPECT_EQ(log[1].rfind("自動返信停止 ", 0), 0u);
  EXPECT_EQ(log[2].rfind("認証失敗 ", 0), 0u);
  EXPECT_EQ(RunCli("nonsense").exit_code, 2);
}

TEST_F(MirteCliTest, RunUntilTerminated) {
  Deliver("four@example.com", "fourth");
  pid_t pid = ::fork();
  if (pid == 0) {
    ::execl(MIRTE_CLI_PATH, MIRTE_CLI_PATH, "run", static_cast<char*>(nullptr));
    ::_exit(127);
  }
  // Wait for the first cycle's result line.
  for (int i = 0; i < 200; ++i) {
    auto log = testing::FileExists("log.txt") ? LogLines() : std::vector<std::string>{};
    if (!log.empty() && log.back().rfind("接続OK", 0) == 0) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  ::kill(pid, SIGTERM);
  int status = 0;
  ::waitpid(pid, &status, 0);
  EXPECT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  std::vector<std::string> log = LogLines();
  ASSERT_EQ(log.size(), 4u);
  EXPECT_EQ(log[0].rfind("自動返信実行 ", 0), 0u);
  EXPECT_EQ(log[1].rfind("送信アドレス(carol@example.jpfour@example.com) ", 0), 0u);
  EXPECT_EQ(log[2].rfind("接続OK POPサーバー(1件) ", 0), 0u);
  EXPECT_EQ(log[3].rfind("自動返信停止 ", 0), 0u);
}

}  // namespace
}  // namespace mirte
