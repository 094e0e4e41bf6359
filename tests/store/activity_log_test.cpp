#include "activity_log.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include "temp_dir.h"
#include "text_codec.h"

namespace mirte {
namespace {

using testing::FileExists;
using testing::ReadFile;
using testing::RecordingMessagePort;
using testing::WriteFile;

class ActivityLogTest : public testing::WorkDirTest {
 protected:
  int Append(std::string_view text) { return AppendLog("log.txt", text, port_); }
  RecordingMessagePort port_;
};

std::string Lines(int from, int to, const char* end = "\r\n") {
  std::string s;
  for (int i = from; i <= to; ++i) s += "line " + std::to_string(i) + end;
  return s;
}

TEST_F(ActivityLogTest, NoLogCreatesOneLineAndReturnsMinusOne) {
  const std::string text = Cp932("自動返信実行") + LogTimeStamp(0);
  EXPECT_EQ(Append(text), -1);
  EXPECT_EQ(ReadFile("log.txt"), text + "\r\n");
  EXPECT_TRUE(port_.messages.empty());
  EXPECT_EQ(Append("second"), 0);
  EXPECT_EQ(ReadFile("log.txt"), text + "\r\nsecond\r\n");
}

TEST_F(ActivityLogTest, CapAtOneThousandLines) {
  struct Case {
    const char* name;
    std::string before;
    std::string after;
  };
  const Case cases[] = {
      {"999 lines", Lines(1, 999), Lines(1, 999) + "new\r\n"},
      {"1000 lines", Lines(1, 1000), Lines(2, 1000) + "new\r\n"},
      {"1500 lines", Lines(1, 1500), Lines(2, 1000) + "new\r\n"},
      {"LF endings", Lines(1, 3, "\n"), Lines(1, 3) + "new\r\n"},
      {"mixed endings and a lone CR", "a\r\nb\nc\rd\r\r\ne", "a\r\nb\r\nc\rd\r\r\ne\r\nnew\r\n"},
      {"empty lines count", "\r\n\n" + Lines(3, 1000), "\r\n" + Lines(3, 1000) + "new\r\n"},
      {"0x1A ends the file", "a\r\nb\x1A" "c\r\nd\r\n", "a\r\nb\r\nnew\r\n"},
      {"empty log", "", "new\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteFile("log.txt", c.before);
    EXPECT_EQ(Append("new"), 0);
    EXPECT_EQ(ReadFile("log.txt"), c.after);
  }
  EXPECT_TRUE(port_.messages.empty());
}

TEST_F(ActivityLogTest, LongLineSurvivesWhole) {
  std::string long_line(70000, 'x');
  WriteFile("log.txt", long_line + "\r\n");
  Append("new");
  EXPECT_EQ(ReadFile("log.txt"), long_line + "\r\nnew\r\n");
}

TEST_F(ActivityLogTest, ReadOnlyLogKeepsItsContent) {
  WriteFile("log.txt", "old\r\n");
  ASSERT_EQ(::chmod("log.txt", 0444), 0);
  EXPECT_EQ(Append("new"), -1);
  EXPECT_EQ(port_.Texts(), std::vector<std::string>{"書き込みファイル作成失敗"});
  EXPECT_EQ(port_.messages[0].second, MessageIcon::kWarning);
  EXPECT_EQ(ReadFile("log.txt"), "old\r\n");
}

TEST_F(ActivityLogTest, UnreadableLogIsNotReplacedByOneLine) {
  // A directory where the log should be cannot be read as a log.
  ASSERT_EQ(::mkdir("log.txt", 0755), 0);
  EXPECT_EQ(Append("new"), -1);
  EXPECT_EQ(port_.Texts(), std::vector<std::string>{"書き込みファイル作成失敗"});
}

TEST_F(ActivityLogTest, LogThatCannotBeCreatedSaysSo) {
  EXPECT_EQ(AppendLog("missing-dir/log.txt", "new", port_), -1);
  EXPECT_EQ(port_.Texts(), std::vector<std::string>{"書き込みファイル作成失敗"});
  EXPECT_FALSE(FileExists("missing-dir"));
}

TEST_F(ActivityLogTest, RewriteKeepsTheLogsPermissions) {
  WriteFile("log.txt", "old\r\n");
  ASSERT_EQ(::chmod("log.txt", 0640), 0);
  Append("new");
  struct stat st;
  ASSERT_EQ(::stat("log.txt", &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST(LogTimeStamp, FormatsLocalTime) {
  std::tm t{};
  t.tm_year = 2006 - 1900;
  t.tm_mon = 0;
  t.tm_mday = 15;
  t.tm_hour = 9;
  t.tm_min = 5;
  t.tm_sec = 3;
  t.tm_isdst = -1;
  EXPECT_EQ(LogTimeStamp(std::mktime(&t)), " 06 01/15 09:05:03");
}

}  // namespace
}  // namespace mirte
