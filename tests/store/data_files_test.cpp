#include <sys/stat.h>

#include <filesystem>

#include <gtest/gtest.h>

#include "penwick_doc.h"
#include "temp_dir.h"
#include "text_codec.h"

namespace mirte {
namespace {

using testing::FileExists;
using testing::Hex;
using testing::ReadFile;
using testing::RecordingMessagePort;
using testing::WriteFile;

class DataFilesTest : public testing::WorkDirTest {
 protected:
  RecordingMessagePort port_;
  CPenwickDoc doc_{port_};

  std::vector<std::string> Messages() const { return port_.Texts(); }
};

const std::string kDefaultSettings =
    std::string(20, '\0') + Hex("6E 00 00 00 19 00 00 00 01 00 00 00 00 00 00 00");

TEST_F(DataFilesTest, DefaultSettingsFileIsThe36BytesAndReadsBack) {
  EXPECT_EQ(doc_.SaveFile("MyData.dat"), 1);
  EXPECT_EQ(ReadFile("MyData.dat"), kDefaultSettings);

  CPenwickDoc other(port_);
  other.SetPop3Port(1);
  other.SetApop(0);
  EXPECT_EQ(other.LoadFile("MyData.dat"), 1);
  EXPECT_EQ(other.GetPop3Port(), 110);
  EXPECT_EQ(other.GetSmtpPort(), 25);
  EXPECT_EQ(other.GetApop(), 1);
  EXPECT_EQ(other.GetAutoStart(), 0);
  EXPECT_TRUE(port_.messages.empty());
}

TEST_F(DataFilesTest, SettingsFileIsPrivateToItsOwner) {
  doc_.SaveFile("MyData.dat");
  struct stat st;
  ASSERT_EQ(::stat("MyData.dat", &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(DataFilesTest, RecordsFilesOfThePartsExamples) {
  doc_.SetSettingsMode(0);
  EXPECT_EQ(doc_.SaveFile("RvData.dat"), 1);
  EXPECT_EQ(ReadFile("RvData.dat"), Hex("00 00 00 00"));

  doc_.SetRecordArraySize(1);
  doc_.m_aFrom[0] = "abc";
  doc_.m_aMailTag[0] = "x";
  doc_.m_aBodyLength[0] = 10;
  doc_.m_aFlags[0] = 0x11;
  doc_.SetRecordCount(1);
  EXPECT_EQ(doc_.SaveFile("RvData.dat"), 1);
  EXPECT_EQ(ReadFile("RvData.dat"),
            Hex("01 00 00 00 03 61 62 63 01 78 0A 00 00 00 11"));

  CPenwickDoc other(port_);
  other.SetSettingsMode(0);
  EXPECT_EQ(other.LoadFile("RvData.dat"), 1);
  EXPECT_EQ(other.GetRecordCount(), 1);
  EXPECT_EQ(other.m_aFrom, std::vector<std::string>{"abc"});
  EXPECT_EQ(other.m_aMailTag, std::vector<std::string>{"x"});
  EXPECT_EQ(other.m_aBodyLength, std::vector<uint32_t>{10});
  EXPECT_EQ(other.m_aFlags, std::vector<uint8_t>{0x11});
  EXPECT_TRUE(port_.messages.empty());
}

TEST_F(DataFilesTest, LengthPrefixesAtTheirBoundariesReadBackUnchanged) {
  struct Case {
    size_t length;
    std::string prefix;
  };
  for (const Case& c : {Case{254, Hex("FE")}, Case{255, Hex("FF FF 00")},
                        Case{65533, Hex("FF FD FF")},
                        Case{65534, Hex("FF FF FF FE FF 00 00")}}) {
    SCOPED_TRACE(c.length);
    std::string subject(c.length, 's');
    doc_.SetReplySubject(subject);
    ASSERT_EQ(doc_.SaveFile("MyData.dat"), 1);
    std::string file = ReadFile("MyData.dat");
    // Five empty texts and the interval come before the subject.
    EXPECT_EQ(file.substr(9, c.prefix.size()), c.prefix);
    CPenwickDoc other(port_);
    other.LoadFile("MyData.dat");
    EXPECT_EQ(other.GetReplySubject(), subject);
    EXPECT_EQ(other.GetPop3Port(), 110);
  }
  EXPECT_TRUE(port_.messages.empty());
}

TEST_F(DataFilesTest, SettingsAsTheWindowsProgramWroteThem) {
  // Address, servers, user, the password "パス" scrambled (83 70 83 58 plus
  // key bytes 64 35 25 74), interval 2, subject "自動返信", body "本文\r\n",
  // keyword on, empty body off, keyword "至急", ports 995 and 587, APOP off,
  // auto-start on.
  std::string file = Hex("0F") + "taro@example.jp" + Hex("0B") + "pop.example" +
                     Hex("0C") + "smtp.example" + Hex("04") + "taro" +
                     Hex("04 E7 A5 A8 CC") + Hex("02 00 00 00") +
                     Hex("08 8E A9 93 AE 95 D4 90 4D") +
                     Hex("06 96 7B 95 B6 0D 0A") + Hex("01 00 00 00") +
                     Hex("00 00 00 00") + Hex("04 8E 8A 8B 7D") +
                     Hex("E3 03 00 00 4B 02 00 00 00 00 00 00 01 00 00 00");
  WriteFile("MyData.dat", file);

  EXPECT_EQ(doc_.LoadFile("MyData.dat"), 1);
  EXPECT_TRUE(port_.messages.empty()) << Messages()[0];
  EXPECT_EQ(doc_.GetMailAddress(), "taro@example.jp");
  EXPECT_EQ(doc_.GetPop3Server(), "pop.example");
  EXPECT_EQ(doc_.GetSmtpServer(), "smtp.example");
  EXPECT_EQ(doc_.GetUserName(), "taro");
  EXPECT_EQ(Cp932ToUtf8(doc_.GetPassword()), "パス");
  EXPECT_EQ(doc_.GetInterval(), 2);
  EXPECT_EQ(Cp932ToUtf8(doc_.GetReplySubject()), "自動返信");
  EXPECT_EQ(Cp932ToUtf8(doc_.GetReplyBody()), "本文\r\n");
  EXPECT_EQ(doc_.GetKeywordCheck(), 1);
  EXPECT_EQ(doc_.GetEmptyBodyCheck(), 0);
  EXPECT_EQ(Cp932ToUtf8(doc_.GetKeyword()), "至急");
  EXPECT_EQ(doc_.GetPop3Port(), 995);
  EXPECT_EQ(doc_.GetSmtpPort(), 587);
  EXPECT_EQ(doc_.GetApop(), 0);
  EXPECT_EQ(doc_.GetAutoStart(), 1);

  // Written again, the file is the same bytes.
  doc_.SaveFile("Again.dat");
  EXPECT_EQ(ReadFile("Again.dat"), file);
}

TEST_F(DataFilesTest, MissingFileLeavesTheDocumentAndSaysSo) {
  doc_.SetPop3Server("kept");
  EXPECT_EQ(doc_.LoadFile("MyData.dat"), 0);
  EXPECT_EQ(Messages(), std::vector<std::string>{"ファイル読取りオープン失敗"});
  EXPECT_EQ(port_.messages[0].second, MessageIcon::kWarning);
  EXPECT_EQ(doc_.GetPop3Server(), "kept");
}

TEST_F(DataFilesTest, ZeroByteFileChangesNothingAndReportsTheError) {
  WriteFile("MyData.dat", "");
  doc_.SetMailAddress("kept");
  EXPECT_EQ(doc_.LoadFile("MyData.dat"), 1);
  EXPECT_EQ(Messages(), std::vector<std::string>{"保存エラー？"});
  EXPECT_EQ(doc_.GetMailAddress(), "kept");
}

TEST_F(DataFilesTest, FileEndingInsideField8KeepsFields8To15) {
  CPenwickDoc writer(port_);
  writer.SetMailAddress("a@b");
  writer.SetPassword("pw");
  writer.SetInterval(4);
  writer.SetReplySubject("subject");
  writer.SetReplyBody("a body that is cut");
  writer.SetKeyword("new keyword");
  writer.SetSmtpPort(2525);
  writer.SaveFile("MyData.dat");
  std::string file = ReadFile("MyData.dat");
  size_t body_at = file.find("a body");
  WriteFile("MyData.dat", file.substr(0, body_at + 3));

  doc_.SetReplyBody("old body");
  doc_.SetKeyword("old keyword");
  doc_.SetSmtpPort(25);
  EXPECT_EQ(doc_.LoadFile("MyData.dat"), 1);
  EXPECT_EQ(Messages(), std::vector<std::string>{"保存エラー？"});
  EXPECT_EQ(doc_.GetMailAddress(), "a@b");
  EXPECT_EQ(doc_.GetPassword(), "pw");
  EXPECT_EQ(doc_.GetInterval(), 4);
  EXPECT_EQ(doc_.GetReplySubject(), "subject");
  EXPECT_EQ(doc_.GetReplyBody(), "old body");
  EXPECT_EQ(doc_.GetKeyword(), "old keyword");
  EXPECT_EQ(doc_.GetSmtpPort(), 25);
}

TEST_F(DataFilesTest, StoredTextsInOtherFormsReadAsThePartSays) {
  struct Case {
    const char* name;
    std::string stored_address;
    std::string expected;  // UTF-8
    bool error;
  };
  const Case cases[] = {
      {"zero byte inside", Hex("05 61 62 00 63 64"), "ab", false},
      {"UTF-16", Hex("FF FE FF 03 42 30 44 30 3D D8"), "あい?", false},
      {"UTF-16 with a zero unit", Hex("FF FE FF 02 41 00 00 00"), "A", false},
      {"UTF-16 long prefix", Hex("FF FE FF FF 01 00 41 00"), "A", false},
      {"16-bit prefix", Hex("FF 02 00 68 69"), "hi", false},
      {"32-bit prefix", Hex("FF FF FF 01 00 00 00 7A"), "z", false},
      {"64-bit prefix", Hex("FF FF FF FF FF FF FF 01 00 00 00 00 00 00 00 79"),
       "y", false},
      {"refused 64-bit length",
       Hex("FF FF FF FF FF FF FF 00 00 00 80 00 00 00 00"), "old", true},
      {"length past the end", Hex("FF FF FF 00 00 00 10"), "old", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    port_.messages.clear();
    WriteFile("MyData.dat", c.stored_address + std::string(4, '\0'));
    CPenwickDoc doc(port_);
    doc.SetMailAddress("old");
    doc.SetPop3Server("server");
    EXPECT_EQ(doc.LoadFile("MyData.dat"), 1);
    EXPECT_EQ(Cp932ToUtf8(doc.GetMailAddress()), c.expected);
    // After a good address the four zero bytes are four empty texts, and
    // the file ends at the interval.
    EXPECT_EQ(doc.GetPop3Server(), c.error ? "server" : "");
    EXPECT_EQ(Messages(), std::vector<std::string>{"保存エラー？"});
  }
}

TEST_F(DataFilesTest, RecordsCountThatDisagreesWithTheRecords) {
  const std::string record = Hex("03 61 62 63 01 78 0A 00 00 00 11");
  const std::string half_record = Hex("03 64 65 66 01");
  struct Case {
    const char* name;
    std::string file;
    size_t records;
  };
  const Case cases[] = {
      {"count larger", Hex("05 00 00 00") + record + record, 2},
      {"negative count", Hex("FF FF FF FF") + record, 1},
      {"cut inside a record", Hex("02 00 00 00") + record + half_record, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    port_.messages.clear();
    WriteFile("RvData.dat", c.file);
    CPenwickDoc doc(port_);
    doc.SetSettingsMode(0);
    doc.SetRecordArraySize(7);
    EXPECT_EQ(doc.LoadFile("RvData.dat"), 1);
    EXPECT_EQ(Messages(), std::vector<std::string>{"保存エラー？"});
    EXPECT_EQ(doc.m_aFrom.size(), c.records);
    EXPECT_EQ(doc.m_aMailTag.size(), c.records);
    EXPECT_EQ(doc.m_aBodyLength.size(), c.records);
    EXPECT_EQ(doc.m_aFlags.size(), c.records);
    EXPECT_EQ(doc.GetRecordCount(), static_cast<int32_t>(c.records));
    EXPECT_EQ(doc.m_aFrom[0], "abc");
  }
}

TEST_F(DataFilesTest, SaveOverReadOnlyLongerFileSucceedsWithoutOldTail) {
  WriteFile("MyData.dat", std::string(100, 'x'));
  ASSERT_EQ(::chmod("MyData.dat", 0444), 0);
  EXPECT_EQ(doc_.SaveFile("MyData.dat"), 1);
  EXPECT_TRUE(port_.messages.empty());
  EXPECT_EQ(ReadFile("MyData.dat"), kDefaultSettings);
}

TEST_F(DataFilesTest, SaveWhereNoFileCanBeMadeSaysSo) {
  EXPECT_EQ(doc_.SaveFile("no-such-dir/MyData.dat"), 0);
  EXPECT_EQ(Messages(), std::vector<std::string>{"ファイル書込みオープン失敗"});
  EXPECT_FALSE(FileExists("no-such-dir"));
}

TEST_F(DataFilesTest, SaveLeavesNoTemporaryFileBehind) {
  doc_.SaveFile("MyData.dat");
  doc_.SaveFile("MyData.dat");
  size_t files = 0;
  for (auto& e : std::filesystem::directory_iterator(".")) {
    (void)e;
    ++files;
  }
  EXPECT_EQ(files, 1u);
}

TEST_F(DataFilesTest, NewDocumentReadsSettingsAndKeepsRecords) {
  // No settings file yet: one message, the defaults, success.
  EXPECT_TRUE(doc_.OnNewDocument());
  EXPECT_EQ(Messages(), std::vector<std::string>{"ファイル読取りオープン失敗"});
  EXPECT_EQ(Cp932ToUtf8(doc_.GetTitle()), "ミルテ");
  EXPECT_EQ(doc_.GetPop3Port(), 110);
  EXPECT_EQ(doc_.GetInterval(), 0);
  EXPECT_EQ(doc_.GetKeywordCheck(), 0);
  EXPECT_EQ(doc_.GetEmptyBodyCheck(), 0);
  EXPECT_TRUE(doc_.m_aFrom.empty());

  CPenwickDoc writer(port_);
  writer.SetInterval(9);  // out of range, kept as it is
  writer.SaveFile("MyData.dat");
  port_.messages.clear();

  doc_.SetSettingsMode(0);
  doc_.SetRecordArraySize(2);
  doc_.m_aFrom[1] = "kept@example.jp";
  EXPECT_TRUE(doc_.OnNewDocument());
  EXPECT_TRUE(port_.messages.empty());
  EXPECT_EQ(doc_.GetInterval(), 9);
  EXPECT_EQ(doc_.m_aFrom[1], "kept@example.jp");
  // The mode is back to settings: a save writes "MyData.dat"'s 36+ bytes.
  doc_.SaveFile("check.dat");
  EXPECT_EQ(ReadFile("check.dat").size(), 36u);
}

TEST_F(DataFilesTest, FirstInitialisationReadsTheRecordsOfEarlierRuns) {
  doc_.SaveFile("MyData.dat");
  WriteFile("RvData.dat", Hex("01 00 00 00 03 61 62 63 01 78 0A 00 00 00 11"));
  CPenwickDoc doc(port_);
  EXPECT_TRUE(doc.OnNewDocument());
  EXPECT_TRUE(port_.messages.empty());
  EXPECT_EQ(doc.m_aFrom, std::vector<std::string>{"abc"});
  EXPECT_EQ(doc.m_aFlags, std::vector<uint8_t>{0x11});
  EXPECT_EQ(doc.GetRecordCount(), 1);
  // Settings mode afterwards: a save writes the settings.
  doc.SaveFile("check.dat");
  EXPECT_EQ(ReadFile("check.dat"), kDefaultSettings);

  // Later initialisations keep the records in memory.
  doc.m_aFrom[0] = "changed";
  doc.OnNewDocument();
  EXPECT_EQ(doc.m_aFrom[0], "changed");

  // A damaged records file is reported once; what was read stays.
  WriteFile("RvData.dat", Hex("03 00 00 00 03 61 62 63 01 78 0A 00 00 00 11 03 64"));
  CPenwickDoc damaged(port_);
  damaged.OnNewDocument();
  EXPECT_EQ(port_.Texts(), std::vector<std::string>{"保存エラー？"});
  EXPECT_EQ(damaged.m_aFrom, std::vector<std::string>{"abc"});
  EXPECT_EQ(damaged.m_aFlags.size(), 1u);
}

TEST_F(DataFilesTest, PasswordsRoundTripThroughTheFile) {
  for (const std::string& password :
       {std::string(), std::string("s3cret"), std::string(255, 'p'),
        std::string(256, 'q'), Utf8ToCp932("パス①")}) {
    SCOPED_TRACE(password.size());
    doc_.SetPassword(password);
    doc_.SaveFile("MyData.dat");
    std::string file = ReadFile("MyData.dat");
    if (password.size() >= 256) {
      EXPECT_NE(file.find(password), std::string::npos) << "plain text";
    } else if (!password.empty()) {
      EXPECT_EQ(file.find(password), std::string::npos) << "scrambled";
    }
    CPenwickDoc other(port_);
    other.LoadFile("MyData.dat");
    EXPECT_EQ(other.GetPassword(), password);
  }
}

}  // namespace
}  // namespace mirte
