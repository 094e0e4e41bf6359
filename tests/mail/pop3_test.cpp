// The library's POP3 side against a real Dovecot on loopback.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

#include "fetch_message.h"
#include "nmail.h"
#include "test_servers.h"
#include "text_codec.h"
#include "tls_policy.h"

namespace mirte {
namespace {

using testing::TestServers;

using Fetched = testing::FetchedMail;

// One library session: connect, log in, fetch every message, close.
struct Session {
  int handle = -1;
  int count = 0;

  Session(const std::string& host, int port, const std::string& user, int apop,
          std::string password = "") {
    if (password.empty()) password = TestServers::Get().password;
    handle = NMailPop3ConnectPortNo(host.c_str(), port);
    if (handle >= 0) {
      count = NMailPop3Authenticate(handle, user.c_str(), password.c_str(), apop);
    }
  }
  ~Session() { NMailPop3Close(handle); }

  Fetched Get(int number) { return testing::FetchMessage(handle, number); }
};

std::string DovecotLog() {
  std::ifstream in(TestServers::Get().dir + "/dovecot.log");
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// The first line after `from` in Dovecot's log that holds `mark`; Dovecot
// writes its log a moment after the event.
std::string LogLineAfter(size_t from, const std::string& mark) {
  for (int tries = 0; tries < 100; ++tries) {
    std::string log = DovecotLog();
    size_t at = log.size() > from ? log.find(mark, from) : std::string::npos;
    if (at != std::string::npos) {
      size_t begin = log.rfind('\n', at) + 1;
      return log.substr(begin, log.find('\n', at) - begin);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return "(no log line with " + mark + ")";
}

class Pop3Test : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto& servers = TestServers::Get();
    mail::AddImplicitTlsPort(servers.pop3s_port);
    ASSERT_EQ(NMailInitializeWinSock(), 0);
    user_ = "alice";
    servers.ClearMailbox(user_);
  }
  void TearDown() override { NMailEndWinSock(); }
  std::string user_;
};

TEST_F(Pop3Test, LogsInOverEachKindOfConnection) {
  const auto& servers = TestServers::Get();
  servers.Deliver(user_, "Subject: hello\r\nFrom: a@example.com\r\n\r\nbody\r\n");
  struct Case {
    const char* name;
    std::string host;
    int port;
    int apop;
    const char* log_mark;  // what Dovecot logs of the login's channel
  };
  const Case cases[] = {
      {"plain, USER/PASS", "::1", servers.pop3_port, 0, "method=PLAIN, rip=::1"},
      {"STLS, APOP", "127.0.0.1", servers.pop3_port, 1, "method=APOP, rip=127.0.0.1"},
      {"implicit TLS, USER/PASS, host name", "localhost", servers.pop3s_port, 0,
       "method=PLAIN"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    size_t log_before = DovecotLog().size();
    {
      Session s(c.host, c.port, user_, c.apop);
      ASSERT_GE(s.handle, 0);
      EXPECT_EQ(s.count, 1);
      EXPECT_EQ(s.Get(1).subject, "hello");
    }
    std::string login = LogLineAfter(log_before, c.log_mark);
    bool tls = login.find(", TLS") != std::string::npos;
    EXPECT_EQ(tls, c.host != "::1") << login;
  }
}

TEST_F(Pop3Test, FailuresOfConnectAndLogIn) {
  const auto& servers = TestServers::Get();
  {
    Session wrong("127.0.0.1", servers.pop3_port, user_, 0, "wrong password");
    ASSERT_GE(wrong.handle, 0);
    EXPECT_EQ(wrong.count, NMAIL_ERR_AUTH);
  }
  {
    Session wrong_apop("127.0.0.1", servers.pop3_port, user_, 1, "wrong password");
    EXPECT_EQ(wrong_apop.count, NMAIL_ERR_AUTH);
  }
  {
    Session unknown("127.0.0.1", servers.pop3_port, "nobody-here", 0);
    EXPECT_EQ(unknown.count, NMAIL_ERR_AUTH);
  }
  // A port where nothing listens: the scripts' ports are taken from the
  // free range, and port 1 is never served here.
  EXPECT_EQ(NMailPop3ConnectPortNo("127.0.0.1", 1), -1);
  EXPECT_EQ(NMailPop3ConnectPortNo("no-such-host.invalid", 110), -1);
  EXPECT_EQ(NMailPop3Close(-1), NMAIL_ERR_BAD_HANDLE);
  EXPECT_EQ(NMailPop3Authenticate(-1, "u", "p", 0), NMAIL_ERR_BAD_HANDLE);
}

TEST_F(Pop3Test, CertificateFromAnUntrustedAuthorityFailsTheConnect) {
  const auto& servers = TestServers::Get();
  NMailEndWinSock();
  const char* old = std::getenv("SSL_CERT_FILE");
  std::string saved = old ? old : "";
  setenv("SSL_CERT_FILE", servers.other_ca_file.c_str(), 1);
  ASSERT_EQ(NMailInitializeWinSock(), 0);
  EXPECT_EQ(NMailPop3ConnectPortNo("127.0.0.1", servers.pop3_port), -1);
  EXPECT_EQ(NMailPop3ConnectPortNo("localhost", servers.pop3s_port), -1);
  NMailEndWinSock();
  setenv("SSL_CERT_FILE", saved.c_str(), 1);
  ASSERT_EQ(NMailInitializeWinSock(), 0);
  int handle = NMailPop3ConnectPortNo("localhost", servers.pop3s_port);
  EXPECT_GE(handle, 0);
  NMailPop3Close(handle);
}

TEST_F(Pop3Test, EmptyMailbox) {
  Session s("127.0.0.1", TestServers::Get().pop3_port, user_, 1);
  EXPECT_EQ(s.count, 0);
  Fetched f = s.Get(1);
  EXPECT_LT(f.size, 0);
  EXPECT_LT(f.result, 0);
}

struct MessageCase {
  const char* name;
  std::string raw;
  std::string subject;  // UTF-8 expectations, compared in CP932
  std::string from;
  std::string body;
  std::string header;
};

const MessageCase kMessages[] = {
    {"ISO-2022-JP subject split over padded words, CP932-only characters",
     "From: =?ISO-2022-JP?B?GyRCOzNFRBsoQg==?= <yamada@example.jp>\r\n"
     "To: alice@example.jp\r\n"
     "Subject: =?ISO-2022-JP?B?GyRCPCtGMEpWPy4bKEI=?=\r\n"
     " =?ISO-2022-JP?B?GyRCJUYlOSVILSEbKEI=?=\r\n"
     "Message-ID: <one@example.jp>\r\n"
     "MIME-Version: 1.0\r\n"
     "Content-Type: text/plain; charset=ISO-2022-JP\r\n"
     "Content-Transfer-Encoding: 7bit\r\n"
     "\r\n"
     "\x1b$BK\\J8$G$9!#-j\x1b(B\r\n"
     "\r\n"
     "\x1b$B!!\x1b(B\r\n",
     "自動返信テスト①", "yamada@example.jp", "本文です。㈱", ""},
    {"UTF-8 Q subject, base64 UTF-8 body, bare From",
     "From: bob@example.com\r\n"
     "Subject: =?UTF-8?Q?Gr=C3=BC=C3=9Fe_?= =?utf-8?B?5pel5pys?=\r\n"
     "Content-Type: text/plain; charset=utf-8\r\n"
     "Content-Transfer-Encoding: base64\r\n"
     "\r\n"
     "5pel5pys6Kqe44Gu5pys5paHCuS6jOihjOebrgo=\r\n",
     "Gr??e 日本", "bob@example.com", "日本語の本文\r\n二行目", ""},
    {"multipart with a Shift_JIS part and an attachment",
     "From: \"Carol\" <carol@example.org>\r\n"
     "Subject: =?Shift_JIS?B?k1mVdA==?=\r\n"
     "MIME-Version: 1.0\r\n"
     "Content-Type: multipart/mixed; boundary=\"b1\"\r\n"
     "\r\n"
     "--b1\r\n"
     "Content-Type: text/plain; charset=Shift_JIS\r\n"
     "Content-Transfer-Encoding: quoted-printable\r\n"
     "\r\n"
     "=93=59=95=74=82=B5=82=DC=82=B7\r\n"
     "--b1\r\n"
     "Content-Type: application/octet-stream; name=\"a.bin\"\r\n"
     "Content-Disposition: attachment; filename=\"a.bin\"\r\n"
     "Content-Transfer-Encoding: base64\r\n"
     "\r\n"
     "AAECAwQFBgcICQ==\r\n"
     "--b1--\r\n",
     "添付", "carol@example.org", "添付します", ""},
    {"empty body, no Subject, no Message-ID",
     "From: dave@example.net\r\n\r\n", "", "dave@example.net", "", ""},
    {"body of exactly CR LF, a phone's empty mail",
     "From: erin@example.net\r\nSubject: x\r\n\r\n\r\n", "x", "erin@example.net", "",
     ""},
    {"blank text part beside HTML",
     "From: frank@example.net\r\n"
     "Subject: empty\r\n"
     "Content-Type: multipart/alternative; boundary=zz\r\n"
     "\r\n"
     "--zz\r\n"
     "Content-Type: text/plain; charset=ISO-2022-JP\r\n"
     "\r\n"
     "\r\n"
     "\x1b$B!!\x1b(B \r\n"
     "--zz\r\n"
     "Content-Type: text/html; charset=utf-8\r\n"
     "\r\n"
     "<html><body><br></body></html>\r\n"
     "--zz--\r\n",
     "empty", "frank@example.net", "", ""},
    {"automatic message: its declaring fields in the fourth text",
     "Return-Path: <>\r\n"
     "From: MAILER-DAEMON@example.com\r\n"
     "Subject: Undelivered\r\n"
     "X-Filler: " + std::string(9000, 'f') + "\r\n"
     "Auto-Submitted: auto-replied\r\n"
     "Precedence: bulk\r\n"
     "List-Id: a list\r\n <list.example.com>\r\n"
     "\r\n"
     "text\r\n",
     "Undelivered", "MAILER-DAEMON@example.com", "text",
     "Return-Path: <>\r\nAuto-Submitted: auto-replied\r\nPrecedence: bulk\r\n"
     "List-Id: a list <list.example.com>\r\n"},
};

TEST_F(Pop3Test, TextsOfFetchedMessagesInCp932) {
  const auto& servers = TestServers::Get();
  for (const MessageCase& m : kMessages) servers.Deliver(user_, m.raw);
  Session s("127.0.0.1", servers.pop3_port, user_, 1);
  ASSERT_EQ(s.count, static_cast<int>(std::size(kMessages)));
  std::vector<std::string> identities;
  for (int i = 0; i < s.count; ++i) {
    const MessageCase& m = kMessages[i];
    SCOPED_TRACE(m.name);
    Fetched f = s.Get(i + 1);
    EXPECT_EQ(f.result, 0);
    EXPECT_EQ(Cp932ToUtf8(f.subject), m.subject);
    EXPECT_EQ(f.from, Cp932(m.from));
    EXPECT_EQ(Cp932ToUtf8(f.body), m.body);
    EXPECT_EQ(f.size, static_cast<int>(f.body.size()));
    EXPECT_EQ(f.header, m.header);
    // Dovecot offers UIDL: the identity is its unique-id.
    EXPECT_EQ(f.identity.size(), 16u) << f.identity;
    identities.push_back(f.identity);
  }
  std::sort(identities.begin(), identities.end());
  EXPECT_EQ(std::unique(identities.begin(), identities.end()), identities.end());
}

TEST_F(Pop3Test, FetchingLeavesTheMailboxUnchanged) {
  const auto& servers = TestServers::Get();
  servers.Deliver(user_, "From: a@example.com\r\nSubject: one\r\n\r\nx\r\n");
  servers.Deliver(user_, "From: b@example.com\r\nSubject: two\r\n\r\ny\r\n");
  std::string first_ids;
  for (int round = 0; round < 2; ++round) {
    Session s("127.0.0.1", servers.pop3_port, user_, 0);
    ASSERT_EQ(s.count, 2);
    std::string ids = s.Get(1).identity + s.Get(2).identity;
    if (round == 0) first_ids = ids;
    else EXPECT_EQ(ids, first_ids);
  }
  // Still in new/: not even marked as seen.
  namespace fs = std::filesystem;
  size_t in_new = 0;
  for (auto& e : fs::directory_iterator(servers.mail_dir + "/" + user_ + "/Maildir/new")) {
    (void)e;
    ++in_new;
  }
  size_t in_cur = 0;
  for (auto& e : fs::directory_iterator(servers.mail_dir + "/" + user_ + "/Maildir/cur")) {
    in_cur += e.path().filename().string().find(":2,S") != std::string::npos;
  }
  EXPECT_EQ(in_cur, 0u);
  (void)in_new;
}

TEST_F(Pop3Test, MessagesFetchedOutOfOrderAndAgain) {
  const auto& servers = TestServers::Get();
  for (int i = 1; i <= 40; ++i) {
    servers.Deliver(user_, "From: m" + std::to_string(i) + "@example.com\r\nSubject: " +
                               std::to_string(i) + "\r\n\r\nbody\r\n");
  }
  Session s("127.0.0.1", servers.pop3_port, user_, 0);
  ASSERT_EQ(s.count, 40);
  for (int n : {1, 2, 3, 30, 4, 40, 39, 5, 5, 41, 6}) {
    Fetched f = s.Get(n);
    if (n == 41) {
      EXPECT_LT(f.result, 0);
      continue;
    }
    EXPECT_EQ(f.subject, std::to_string(n));
    EXPECT_EQ(f.from, "m" + std::to_string(n) + "@example.com");
  }
}

}  // namespace
}  // namespace mirte
