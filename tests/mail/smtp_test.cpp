// The library's SMTP side against the capturing SMTP server on loopback.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <unistd.h>
#include <sstream>

#include "message.h"
#include "nmail.h"
#include "test_servers.h"
#include "text_codec.h"
#include "tls_policy.h"

namespace mirte {
namespace {

using testing::TestServers;

// Decodes a message with Python's email package, an independent reader:
// the subject, a line break, then the body text, in UTF-8.
std::string DecodeWithPython(const std::string& content) {
  char path[] = "/tmp/mirte-smtp-XXXXXX";
  int fd = ::mkstemp(path);
  ::close(fd);
  std::ofstream(path, std::ios::binary) << content;
  std::string command =
      "/usr/bin/python3 -c 'import sys,email,email.policy;"
      "m=email.message_from_binary_file(open(sys.argv[1],\"rb\"),policy=email.policy.default);"
      "sys.stdout.buffer.write((str(m[\"subject\"])+\"\\n\"+m.get_content()).encode())' ";
  FILE* pipe = ::popen((command + path).c_str(), "r");
  std::string out;
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
  ::pclose(pipe);
  ::unlink(path);
  // Text in base64 keeps its canonical CR LF; compare line ends as LF.
  size_t at;
  while ((at = out.find("\r\n")) != std::string::npos) out.erase(at, 1);
  return out;
}

std::string HeaderOf(const std::string& content) {
  return content.substr(0, content.find("\r\n\r\n") + 2);
}

class SmtpTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto& servers = TestServers::Get();
    mail::AddImplicitTlsPort(servers.smtps_port);
    mail::AddImplicitTlsPort(servers.pop3s_port);
    servers.ClearCaptured();
    ASSERT_EQ(NMailInitializeWinSock(), 0);
  }
  void TearDown() override { NMailEndWinSock(); }

  int Send(int port, const std::string& to, const std::string& subject,
           const std::string& body, const std::string& host = "127.0.0.1") {
    return NMailSmtpSendMailPortNo(host.c_str(), to.c_str(), 0, 0, "alice@example.jp",
                                   subject.c_str(), body.c_str(), 0, 0, 0, port);
  }
};

TEST_F(SmtpTest, JapaneseReplyArrivesWithItsHeadersAndDecodesBack) {
  const auto& servers = TestServers::Get();
  const std::string subject_utf8 =
      "自動返信：お問い合わせありがとうございました。担当者より改めてご連絡いたします";
  const std::string body_utf8 = "お問い合わせありがとうございます。\r\n.\r\n以上、よろしくお願いします。\r\n";
  ASSERT_EQ(Send(servers.smtp_port, "yamada@example.com", Cp932(subject_utf8),
                 Cp932(body_utf8)),
            NMAIL_SUCCESS);
  auto mail = servers.CapturedMail();
  ASSERT_EQ(mail.size(), 1u);
  const auto& m = mail[0];
  EXPECT_EQ(m.mail_from, "alice@example.jp");
  EXPECT_EQ(m.rcpt_to, std::vector<std::string>{"yamada@example.com NOTIFY=NEVER"});
  EXPECT_TRUE(m.tls) << "STARTTLS was offered";

  std::string header = HeaderOf(m.content);
  for (const char* field :
       {"From: alice@example.jp\r\n", "To: yamada@example.com\r\n", "MIME-Version: 1.0\r\n",
        "Content-Type: text/plain; charset=ISO-2022-JP\r\n",
        "Content-Transfer-Encoding: 7bit\r\n", "Auto-Submitted: auto-replied\r\n",
        "X-Auto-Response-Suppress: All\r\n", "\r\nDate: ", "\r\nMessage-ID: <",
        "Subject: =?ISO-2022-JP?B?"}) {
    EXPECT_NE(header.find(field), std::string::npos) << field << "\n" << header;
  }
  std::istringstream lines(header);
  std::string line;
  int subject_lines = 0;
  bool in_subject = false;
  while (std::getline(lines, line)) {
    EXPECT_LE(line.size(), 79u) << line;  // 78 columns and the CR
    if (line.rfind("Subject:", 0) == 0) in_subject = true;
    else if (line.empty() || (line[0] != ' ' && line[0] != '\t')) in_subject = false;
    if (in_subject) ++subject_lines;
  }
  EXPECT_GE(subject_lines, 2) << "a long subject is folded";

  // Body lines are dot-stuffed on the wire and come back whole.
  EXPECT_EQ(DecodeWithPython(m.content), subject_utf8 + "\n" +
                                             "お問い合わせありがとうございます。\n.\n"
                                             "以上、よろしくお願いします。\n");
}

TEST_F(SmtpTest, Cp932OnlyCharactersGoAsUtf8AndWaveDashAsIso2022Jp) {
  const auto& servers = TestServers::Get();
  ASSERT_EQ(Send(servers.smtp_port, "a@example.com", Cp932("①のご案内"),
                 Cp932("㈱ミルテ\r\n")),
            NMAIL_SUCCESS);
  ASSERT_EQ(Send(servers.smtp_port, "b@example.com", Cp932("10時～12時"),
                 Cp932("10時～12時です")),
            NMAIL_SUCCESS);
  auto mail = servers.CapturedMail();
  ASSERT_EQ(mail.size(), 2u);
  EXPECT_NE(mail[0].content.find("Content-Type: text/plain; charset=UTF-8"), std::string::npos);
  EXPECT_NE(mail[0].content.find("Subject: =?UTF-8?B?"), std::string::npos);
  EXPECT_EQ(DecodeWithPython(mail[0].content), "①のご案内\n㈱ミルテ\n");
  EXPECT_NE(mail[1].content.find("charset=ISO-2022-JP"), std::string::npos);
  // Our own reader gives back the very CP932 bytes that were sent.
  mail::FetchedMessage parsed;
  ASSERT_TRUE(mail::ParseMessage(mail[1].content, &parsed));
  EXPECT_EQ(parsed.subject, Cp932("10時～12時"));
  EXPECT_EQ(parsed.body, Cp932("10時～12時です"));
}

TEST_F(SmtpTest, ImplicitTlsAndAuthenticationWithThePop3LogIn) {
  const auto& servers = TestServers::Get();
  EXPECT_EQ(Send(servers.smtps_port, "c@example.com", "tls", "x", "localhost"),
            NMAIL_SUCCESS);
  // Without a POP3 log-in there are no credentials for the submission port.
  EXPECT_EQ(Send(servers.submission_port, "d@example.com", "no auth", "x"), NMAIL_ERR_AUTH);

  int pop3 = NMailPop3ConnectPortNo("127.0.0.1", servers.pop3_port);
  ASSERT_GE(NMailPop3Authenticate(pop3, "bob", servers.password.c_str(), 0), 0);
  EXPECT_EQ(Send(servers.submission_port, "e@example.com", "with auth", "x"),
            NMAIL_SUCCESS);
  NMailPop3Close(pop3);

  auto mail = servers.CapturedMail();
  ASSERT_EQ(mail.size(), 2u);
  EXPECT_TRUE(mail[0].tls);
  EXPECT_EQ(mail[1].auth_user, "bob");
  EXPECT_TRUE(mail[1].tls);

  // NMailEndWinSock forgets the log-in.
  NMailEndWinSock();
  ASSERT_EQ(NMailInitializeWinSock(), 0);
  EXPECT_EQ(Send(servers.submission_port, "f@example.com", "forgotten", "x"), NMAIL_ERR_AUTH);
}

TEST_F(SmtpTest, FailuresHaveTheirOwnResults) {
  const auto& servers = TestServers::Get();
  EXPECT_EQ(Send(servers.smtp_port, "reject-me@example.com", "s", "b"), NMAIL_ERR_RECIPIENT);
  EXPECT_EQ(Send(servers.smtp_port, "tempfail-me@example.com", "s", "b"), NMAIL_ERR_TEMPORARY);
  // A policy that refuses at RCPT is no fault of this one recipient.
  EXPECT_EQ(Send(servers.smtp_port, "relaydenied-me@example.com", "s", "b"), NMAIL_ERR_REJECTED);
  // The session stays usable after a refused recipient.
  EXPECT_EQ(Send(servers.smtp_port, "fine@example.com", "s", "b"), NMAIL_SUCCESS);
  EXPECT_EQ(Send(1, "fine@example.com", "s", "b"), NMAIL_ERR_CONNECT);
  EXPECT_EQ(servers.CapturedMail().size(), 1u);

  NMailEndWinSock();
  const char* old = std::getenv("SSL_CERT_FILE");
  std::string saved = old ? old : "";
  setenv("SSL_CERT_FILE", servers.other_ca_file.c_str(), 1);
  ASSERT_EQ(NMailInitializeWinSock(), 0);
  EXPECT_EQ(Send(servers.smtp_port, "fine@example.com", "s", "b"), NMAIL_ERR_TLS);
  EXPECT_EQ(Send(servers.smtps_port, "fine@example.com", "s", "b", "localhost"), NMAIL_ERR_TLS);
  NMailEndWinSock();
  setenv("SSL_CERT_FILE", saved.c_str(), 1);
  NMailInitializeWinSock();
}

TEST_F(SmtpTest, NothingCanBeInjected) {
  const auto& servers = TestServers::Get();
  for (const std::string& to :
       {std::string("x@example.com\r\nRCPT TO:<evil@example.com>"),
        std::string("x@example.com>\r\nDATA"), std::string("<x@example.com>"),
        std::string("a b@example.com"), std::string(""), std::string("MAILER-DAEMON"),
        std::string("x@example.com\nBcc: evil@example.com"), std::string("x@@example.com"),
        std::string("x@example.com,evil@example.com"), std::string("\x82\xA0@example.jp"),
        std::string("x@example.com\x01")}) {
    EXPECT_EQ(Send(servers.smtp_port, to, "s", "b"), NMAIL_ERR_BAD_ADDRESS) << to;
  }
  EXPECT_EQ(NMailSmtpSendMailPortNo("127.0.0.1", "ok@example.com", 0, 0,
                                    "me@example.jp\r\nBcc: evil@example.com", "s", "b", 0, 0,
                                    0, servers.smtp_port),
            NMAIL_ERR_BAD_ADDRESS);
  EXPECT_TRUE(servers.CapturedMail().empty());

  ASSERT_EQ(Send(servers.smtp_port, "ok@example.com", "hi\r\nBcc: evil@example.com",
                 "line\r\n.\r\nMAIL FROM:<evil@example.com>\r\nRCPT TO:<evil@example.com>\r\n"),
            NMAIL_SUCCESS);
  auto mail = servers.CapturedMail();
  ASSERT_EQ(mail.size(), 1u);
  EXPECT_EQ(mail[0].rcpt_to, std::vector<std::string>{"ok@example.com NOTIFY=NEVER"});
  std::string header = HeaderOf(mail[0].content);
  EXPECT_EQ(header.find("\nBcc:"), std::string::npos) << header;
  EXPECT_EQ(DecodeWithPython(mail[0].content),
            "hi  Bcc: evil@example.com\nline\n.\nMAIL FROM:<evil@example.com>\n"
            "RCPT TO:<evil@example.com>\n");
}

}  // namespace
}  // namespace mirte
