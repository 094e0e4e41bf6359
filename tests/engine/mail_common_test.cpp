#include "mail_common.h"

#include <gtest/gtest.h>

#include "scripted_mail_library.h"

namespace mirte {
namespace {

using testing::ScriptedMailLibrary;
using testing::ScriptedMessage;

TEST(CMailCommon, ConvertsTheLibrarysResults) {
  struct Case {
    const char* name;
    int library;
    int (*call)(CMailCommon&);
    int expected;
  };
  auto connect = [](CMailCommon& m) { return m.Pop3ConnectPortNo("host", 110); };
  auto connect_default = [](CMailCommon& m) { return m.Pop3Connect("host"); };
  auto close = [](CMailCommon& m) { return m.Pop3Close(); };
  auto auth = [](CMailCommon& m) { return m.Pop3Authenticate("u", "p", 1); };
  auto send = [](CMailCommon& m) {
    return m.SmtpSendMailPortNo("smtp", "subj", "body", "me@x", "you@y", 25);
  };
  auto send_default = [](CMailCommon& m) {
    return m.SmtpSendMail("smtp", "subj", "body", "me@x", "you@y");
  };
  auto init = [](CMailCommon& m) { return m.InitializeWinSock(); };
  const Case cases[] = {
      {"connect -1", -1, connect, -1},
      {"connect 0", 0, connect, 0},
      {"connect 12", 12, connect, 0},
      {"connect -2", -2, connect, 0},
      {"connect without port -1", -1, connect_default, -1},
      {"close 1", 1, close, 0},
      {"close 0", 0, close, -1},
      {"close 2", 2, close, -1},
      {"auth 0", 0, auth, 0},
      {"auth 5", 5, auth, 5},
      {"auth -4", -4, auth, -4},
      {"auth -3", -3, auth, -3},
      {"send 1", 1, send, 0},
      {"send 0", 0, send, 0},
      {"send 2", 2, send, 2},
      {"send -3", -3, send, -3},
      {"send without port -3", -3, send_default, -3},
      {"init -1", -1, init, -1},
      {"init 0", 0, init, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedMailLibrary library;
    library.init_result = library.connect_result = library.close_result =
        library.auth_result = c.library;
    library.send_results = {c.library};
    CMailCommon mail(library);
    mail.m_nPop3Handle = 3;
    EXPECT_EQ(c.call(mail), c.expected);
  }
}

TEST(CMailCommon, PassesArgumentsInTheLibrarysOrder) {
  ScriptedMailLibrary library;
  library.connect_result = 42;
  CMailCommon mail(library);
  mail.Pop3ConnectPortNo("pop.example", 995);
  EXPECT_EQ(mail.m_nPop3Handle, 42u);
  mail.Pop3Authenticate("user", "secret", 0);
  mail.Pop3Authenticate("user", "secret");
  mail.SmtpSendMailPortNo("smtp.example", "subject", "body", "me@example.jp",
                          "you@example.com", 587);
  mail.Pop3Close();
  EXPECT_EQ(library.calls,
            (std::vector<std::string>{"Connect pop.example:995",
                                      "Auth 42 user secret 0",
                                      "Auth 42 user secret 1",
                                      "Send you@example.com", "Close 42"}));
  ASSERT_EQ(library.sent.size(), 1u);
  EXPECT_EQ(library.sent[0].server, "smtp.example");
  EXPECT_EQ(library.sent[0].from, "me@example.jp");
  EXPECT_EQ(library.sent[0].subject, "subject");
  EXPECT_EQ(library.sent[0].body, "body");
  EXPECT_EQ(library.sent[0].port, 587);
}

TEST(CMailCommon, GetMailFillsTheOutputsWhateverTheResult) {
  const std::string longest(8191, 'x');
  ScriptedMailLibrary library;
  library.mailbox = {
      {"subject", "tag", "from@example", "fourth", "body text"},
      {"s2", "t2", "f2", "", "unread", /*size_fails=*/true},
      {"s3", "t3", "f3", "x", "unread", false, /*fetch_fails=*/true},
      {longest, longest, longest, longest, ""},
      {"", "", "", "", std::string("ab\0cd", 5)},
  };
  CMailCommon mail(library);
  mail.Pop3ConnectPortNo("h", 110);
  std::string o1, o2, o3, o4;

  EXPECT_EQ(mail.Pop3GetMail(1, o1, o2, o3, o4), 0);
  EXPECT_EQ(o1, "subject");
  EXPECT_EQ(o2, "tag");
  EXPECT_EQ(o3, "from@example");
  EXPECT_EQ(o4, "fourth");
  EXPECT_EQ(mail.m_nBodyLength, 9);

  EXPECT_EQ(mail.Pop3GetMail(2, o1, o2, o3, o4), -1);
  EXPECT_EQ(o1 + o2 + o3 + o4, "");
  EXPECT_EQ(mail.m_nBodyLength, 0);

  EXPECT_EQ(mail.Pop3GetMail(3, o1, o2, o3, o4), -1);
  EXPECT_EQ(o1, "s3");
  EXPECT_EQ(o3, "f3");
  EXPECT_EQ(mail.m_nBodyLength, 0);

  EXPECT_EQ(mail.Pop3GetMail(4, o1, o2, o3, o4), 0);
  EXPECT_EQ(o1, longest);
  EXPECT_EQ(o4, longest);
  EXPECT_EQ(mail.m_nBodyLength, 0);

  // The length counts the bytes before the first zero byte.
  EXPECT_EQ(mail.Pop3GetMail(5, o1, o2, o3, o4), 0);
  EXPECT_EQ(mail.m_nBodyLength, 2);
}

}  // namespace
}  // namespace mirte
