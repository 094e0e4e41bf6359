#include "poll_and_reply.h"

#include <gtest/gtest.h>

#include "activity_log.h"
#include "nmail.h"
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

ScriptedMessage Msg(const std::string& from, const std::string& tag,
                    const std::string& subject = "hello", const std::string& body = "text",
                    const std::string& auto_headers = "") {
  return {subject, tag, from, auto_headers, body};
}

class PollAndReplyTest : public testing::WorkDirTest {
 protected:
  void SetUp() override {
    doc_.SetMailAddress("me@example.jp");
    doc_.SetPop3Server("pop.example.jp");
    doc_.SetSmtpServer("smtp.example.jp");
    doc_.SetUserName("me");
    doc_.SetPassword("secret");
    doc_.SetSmtpPort(587);
    doc_.SetReplySubject(Cp932("自動返信"));
    doc_.SetReplyBody(Cp932("ありがとうございます"));
  }

  int Cycle() { return PollAndReply(doc_, library_, ui_); }

  std::vector<std::string> SentTo() const {
    std::vector<std::string> to;
    for (const auto& m : library_.sent) to.push_back(m.to);
    return to;
  }

  std::string Stamp() const { return LogTimeStamp(ui_.now); }

  RecordingUiPort ui_;
  CPenwickDoc doc_{ui_};
  ScriptedMailLibrary library_;
};

TEST_F(PollAndReplyTest, EmptyMailboxEmptiesTheRecordsAndSavesTwice) {
  doc_.SetRecordArraySize(3);
  doc_.SetRecordCount(3);
  // A directory in the way makes both saves fail visibly.
  ASSERT_EQ(::mkdir("RvData.dat", 0755), 0);
  EXPECT_EQ(Cycle(), 0);
  EXPECT_TRUE(doc_.m_aFrom.empty() && doc_.m_aMailTag.empty() &&
              doc_.m_aBodyLength.empty() && doc_.m_aFlags.empty());
  EXPECT_EQ(doc_.GetRecordCount(), 0);
  EXPECT_EQ(ui_.Boxes(), (std::vector<std::string>{"box warning 保存エラー？",
                                                    "box warning 保存エラー？"}));
  EXPECT_TRUE(library_.sent.empty());
}

TEST_F(PollAndReplyTest, NewMessagesAreAnsweredOnceInOrder) {
  library_.mailbox = {Msg("a@example.com", "1"), Msg("b@example.com", "2"),
                      Msg("c@example.com", "3")};
  EXPECT_EQ(Cycle(), 3);
  EXPECT_EQ(SentTo(), (std::vector<std::string>{"a@example.com", "b@example.com", "c@example.com"}));
  EXPECT_EQ(library_.sent[0].from, "me@example.jp");
  EXPECT_EQ(library_.sent[0].server, "smtp.example.jp");
  EXPECT_EQ(library_.sent[0].port, 587);
  EXPECT_EQ(Cp932ToUtf8(library_.sent[0].subject), "自動返信");
  EXPECT_EQ(Cp932ToUtf8(library_.sent[0].body), "ありがとうございます");
  const std::string stamp = Cp932ToUtf8(Stamp());
  EXPECT_EQ(LogLines(), (std::vector<std::string>{
                            "送信アドレス(me@example.jpa@example.com)" + stamp,
                            "送信アドレス(me@example.jpb@example.com)" + stamp,
                            "送信アドレス(me@example.jpc@example.com)" + stamp}));
  EXPECT_EQ(doc_.m_aFlags, (std::vector<uint8_t>{0x11, 0x11, 0x11}));
  EXPECT_EQ(doc_.GetRecordCount(), 3);

  // The records file holds what the store reads back.
  CPenwickDoc stored(ui_);
  stored.SetSettingsMode(0);
  stored.LoadFile("RvData.dat");
  EXPECT_EQ(stored.m_aFrom, doc_.m_aFrom);
  EXPECT_EQ(stored.m_aFlags, doc_.m_aFlags);

  library_.sent.clear();
  EXPECT_EQ(Cycle(), 3);
  EXPECT_TRUE(library_.sent.empty());

  library_.mailbox.push_back(Msg("d@example.com", "4"));
  EXPECT_EQ(Cycle(), 4);
  EXPECT_EQ(SentTo(), std::vector<std::string>{"d@example.com"});
}

TEST_F(PollAndReplyTest, SendConditions) {
  struct Case {
    int keyword_check, empty_body_check;
    std::string subject;
    size_t body_length;
    bool sent;
  };
  const Case cases[] = {
      {1, 0, "KW", 10, true},   {1, 0, "kw", 10, false}, {1, 0, "KW ", 10, false},
      {0, 1, "x", 0, true},     {0, 1, "x", 1, true},    {0, 1, "x", 2, false},
      {0, 1, "x", 3, false},    {1, 1, "KW", 2, true},   {1, 1, "KW", 3, false},
      {1, 1, "x", 0, false},    {0, 0, "x", 5000, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.subject + " " + std::to_string(c.body_length) + " " +
                 std::to_string(c.keyword_check) + std::to_string(c.empty_body_check));
    CPenwickDoc doc(ui_);
    doc.SetMailAddress("me@example.jp");
    doc.SetKeyword("KW");
    doc.SetKeywordCheck(c.keyword_check);
    doc.SetEmptyBodyCheck(c.empty_body_check);
    ScriptedMailLibrary library;
    library.mailbox = {Msg("a@example.com", "1", c.subject, std::string(c.body_length, 'b'))};
    EXPECT_EQ(PollAndReply(doc, library, ui_), 1);
    EXPECT_EQ(library.sent.size(), c.sent ? 1u : 0u);
    EXPECT_EQ(doc.m_aFlags[0], c.sent ? 0x11 : 0x01);
  }
}

TEST_F(PollAndReplyTest, MessageThatFailedTheConditionsIsAnsweredOnceTheyChange) {
  doc_.SetKeyword("KW");
  doc_.SetKeywordCheck(1);
  library_.mailbox = {Msg("a@example.com", "1", "KW"), Msg("b@example.com", "2", "other")};
  EXPECT_EQ(Cycle(), 2);
  EXPECT_EQ(SentTo(), std::vector<std::string>{"a@example.com"});
  EXPECT_EQ(Cycle(), 2);
  EXPECT_EQ(SentTo(), std::vector<std::string>{"a@example.com"});
  doc_.SetKeywordCheck(0);
  EXPECT_EQ(Cycle(), 2);
  EXPECT_EQ(SentTo(), (std::vector<std::string>{"a@example.com", "b@example.com"}));
}

TEST_F(PollAndReplyTest, FailedSendStopsReplyingForThisCycle) {
  library_.mailbox = {Msg("a@example.com", "1"), Msg("b@example.com", "2"),
                      Msg("c@example.com", "3")};
  library_.send_results = {1, NMAIL_ERR_TEMPORARY};
  ASSERT_EQ(::mkdir("RvData.dat", 0755), 0);
  EXPECT_EQ(Cycle(), -5);
  EXPECT_EQ(library_.calls.back(), "End");
  const std::string stamp = Cp932ToUtf8(Stamp());
  EXPECT_EQ(LogLines(), (std::vector<std::string>{
                            "送信アドレス(me@example.jpa@example.com)" + stamp,
                            "送信失敗(me@example.jpb@example.com)" + stamp}));
  EXPECT_EQ(doc_.m_aFlags, (std::vector<uint8_t>{0x11, 0x01, 0x01}));
  EXPECT_EQ(ui_.Boxes().size(), 2u) << "two saves";
}

TEST_F(PollAndReplyTest, FailuresBeforeTheMailboxIsOpen) {
  struct Case {
    const char* name;
    int init, connect, auth;
    int expected;
    std::vector<std::string> calls;
  };
  const std::vector<Case> cases = {
      {"init", -1, 7, 0, -1, {"Init", "End"}},
      {"connect", 0, -1, 0, -2, {"Init", "Connect pop.example.jp:110", "Close -1", "End"}},
      {"time-out", 0, 7, -4, -4,
       {"Init", "Connect pop.example.jp:110", "Auth 7 me secret 1", "Close 7", "End"}},
      {"refused", 0, 7, -3, -3,
       {"Init", "Connect pop.example.jp:110", "Auth 7 me secret 1", "Close 7", "End"}},
      {"no APOP", 0, 7, NMAIL_ERR_NO_APOP, -3,
       {"Init", "Connect pop.example.jp:110", "Auth 7 me secret 1", "Close 7", "End"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedMailLibrary library;
    library.init_result = c.init;
    library.connect_result = c.connect;
    library.auth_result = c.auth;
    EXPECT_EQ(PollAndReply(doc_, library, ui_), c.expected);
    EXPECT_EQ(library.calls, c.calls);
  }
  EXPECT_FALSE(testing::FileExists("RvData.dat"));
  EXPECT_FALSE(testing::FileExists("log.txt"));
  EXPECT_EQ(ui_.events.front(), "wait");
  EXPECT_EQ(ui_.events.back(), "ready");
}

// What the records must protect against when the mailbox changes between
// cycles or holds odd messages.
TEST_F(PollAndReplyTest, RecordsFollowTheirMessages) {
  struct Case {
    const char* name;
    std::vector<ScriptedMessage> before, after;
    std::vector<std::string> sent_after;
    std::vector<uint8_t> flags_after;
    int keyword_check;
  };
  auto a = Msg("a@example.com", "1", "KW"), b = Msg("b@example.com", "2", "KW"),
       c = Msg("c@example.com", "3", "KW"), other = Msg("o@example.com", "9", "other");
  const std::vector<Case> cases = {
      {"first message deleted: the second is not answered again", {a, b}, {b}, {}, {0x11}, 0},
      {"deleted and a new one arrives", {a, b}, {b, c}, {"c@example.com"}, {0x11, 0x11}, 0},
      // The unanswered record at position 0 must not send the reply for the
      // message that moved there to the other sender.
      {"never to the wrong person", {other, b}, {b}, {}, {0x11}, 1},
      {"the same message twice", {}, {a, a}, {"a@example.com"}, {0x11, 0x11}, 0},
      {"the same message twice, later cycle", {a}, {a, a}, {}, {0x11, 0x11}, 0},
  };
  for (const Case& t : cases) {
    SCOPED_TRACE(t.name);
    CPenwickDoc doc(ui_);
    doc.SetMailAddress("me@example.jp");
    doc.SetKeyword("KW");
    doc.SetKeywordCheck(t.keyword_check);
    ScriptedMailLibrary library;
    library.mailbox = t.before;
    PollAndReply(doc, library, ui_);
    library.sent.clear();
    library.mailbox = t.after;
    EXPECT_EQ(PollAndReply(doc, library, ui_), static_cast<int>(t.after.size()));
    std::vector<std::string> sent;
    for (const auto& m : library.sent) sent.push_back(m.to);
    EXPECT_EQ(sent, t.sent_after);
    EXPECT_EQ(doc.m_aFlags, t.flags_after);
    for (size_t i = 0; i < t.after.size(); ++i) {
      EXPECT_EQ(doc.m_aFrom[i], t.after[i].from) << i;
      EXPECT_EQ(doc.m_aMailTag[i], t.after[i].tag) << i;
    }
    // A third cycle sends nothing more.
    library.sent.clear();
    PollAndReply(doc, library, ui_);
    EXPECT_TRUE(library.sent.empty());
  }
}

TEST_F(PollAndReplyTest, FailedFetchForgetsNothing) {
  // The connection breaks off in the middle of a cycle: message 2 cannot be
  // read. Its record stays, and it is not answered a second time later.
  library_.mailbox = {Msg("a@example.com", "1"), Msg("b@example.com", "2"),
                      Msg("c@example.com", "3")};
  EXPECT_EQ(Cycle(), 3);
  library_.sent.clear();
  library_.mailbox[1].fetch_fails = true;
  library_.mailbox[2].size_fails = true;
  library_.mailbox.push_back(Msg("d@example.com", "4"));
  library_.mailbox[3].fetch_fails = true;
  EXPECT_EQ(Cycle(), 4);
  EXPECT_TRUE(library_.sent.empty());
  EXPECT_EQ(doc_.m_aFrom, (std::vector<std::string>{"a@example.com", "b@example.com",
                                                    "c@example.com", ""}));
  EXPECT_EQ(doc_.m_aFlags, (std::vector<uint8_t>{0x11, 0x11, 0x11, 0x01}));
  for (auto& m : library_.mailbox) m.fetch_fails = m.size_fails = false;
  EXPECT_EQ(Cycle(), 4);
  EXPECT_EQ(SentTo(), std::vector<std::string>{"d@example.com"});
}

TEST_F(PollAndReplyTest, MessagesThatAreNeverAnswered) {
  struct Case {
    const char* name;
    std::string from;
    std::string auto_headers;
  };
  const Case cases[] = {
      {"no sender", "", ""},
      {"sender without domain", "MAILER-DAEMON", ""},
      {"sender with a blank", "a b@example.com", ""},
      {"empty return path", "x@example.com", "Return-Path: <>\r\n"},
      {"auto-replied", "x@example.com", "Auto-Submitted: auto-replied\r\n"},
      {"auto-generated with a comment", "x@example.com",
       "Auto-Submitted: Auto-Generated (vacation)\r\n"},
      {"bulk", "x@example.com", "Precedence: bulk\r\n"},
      {"junk", "x@example.com", "Precedence: junk\r\n"},
      {"list precedence", "x@example.com", "Precedence: list\r\n"},
      {"list mail", "x@example.com", "List-Id: <l.example.com>\r\n"},
      {"list unsubscribe", "x@example.com", "List-Unsubscribe: <mailto:u@example.com>\r\n"},
      {"Exchange's suppression", "x@example.com", "X-Auto-Response-Suppress: DR, OOF\r\n"},
      {"Exchange's suppression of all", "x@example.com", "X-Auto-Response-Suppress: All\r\n"},
      {"bounce", "MAILER-DAEMON@example.com", ""},
      {"list server", "LISTSERV@example.com", ""},
      {"majordomo", "majordomo@example.com", ""},
      {"list owner", "owner-list@example.com", ""},
      {"list requests", "list-request@example.com", ""},
      {"our own mail", "ME@example.jp", ""},
  };
  auto replies = [&](const std::string& from, const std::string& headers) {
    CPenwickDoc doc(ui_);
    doc.SetMailAddress("me@example.jp");
    ScriptedMailLibrary library;
    library.mailbox = {Msg(from, "1", "s", "b", headers)};
    EXPECT_EQ(PollAndReply(doc, library, ui_), 1);
    EXPECT_EQ(doc.m_aFlags[0], library.sent.empty() ? 0x01 : 0x11) << "recorded";
    return library.sent.size();
  };
  for (const Case& c : cases) {
    EXPECT_EQ(replies(c.from, c.auto_headers), 0u) << c.name;
  }
  EXPECT_FALSE(testing::FileExists("log.txt")) << "these are no failures";
  // What still is answered.
  for (const std::string headers :
       {"Auto-Submitted: no\r\n", "Precedence: first-class\r\n",
        "X-Auto-Response-Suppress: DR\r\n", "Return-Path: <x@example.com>\r\n"}) {
    EXPECT_EQ(replies("x@example.com", headers), 1u) << headers;
  }
}

TEST_F(PollAndReplyTest, RefusalsThatConcernEveryReplyStopTheCycle) {
  // A refused sender address or a policy refusal is not the recipient's
  // fault: nothing is marked, and the messages wait for the next cycle.
  for (int refusal : {NMAIL_ERR_BAD_ADDRESS, NMAIL_ERR_REJECTED}) {
    CPenwickDoc doc(ui_);
    doc.SetMailAddress("me@example.jp");
    ScriptedMailLibrary library;
    library.mailbox = {Msg("a@example.com", "1"), Msg("b@example.com", "2")};
    library.send_results = {refusal};
    EXPECT_EQ(PollAndReply(doc, library, ui_), -5);
    EXPECT_EQ(doc.m_aFlags, (std::vector<uint8_t>{0x01, 0x01})) << refusal;
  }
}

TEST_F(PollAndReplyTest, RefusedRecipientIsNotedOnceAndDoesNotStopTheOthers) {
  library_.mailbox = {Msg("gone@example.com", "1"), Msg("b@example.com", "2")};
  library_.send_results = {NMAIL_ERR_RECIPIENT, 1};
  EXPECT_EQ(Cycle(), 2);
  const std::string stamp = Cp932ToUtf8(Stamp());
  EXPECT_EQ(LogLines(), (std::vector<std::string>{
                            "送信失敗(me@example.jpgone@example.com)" + stamp,
                            "送信アドレス(me@example.jpb@example.com)" + stamp}));
  EXPECT_EQ(doc_.m_aFlags, (std::vector<uint8_t>{0x11, 0x11}));
  library_.calls.clear();
  EXPECT_EQ(Cycle(), 2);
  EXPECT_EQ(LogLines().size(), 2u);
}

}  // namespace
}  // namespace mirte
