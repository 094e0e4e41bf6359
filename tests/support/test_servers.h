// The mail servers that scripts/test_servers.py started for the tests (the
// CTest fixture passes their directory in MIRTE_TEST_SERVERS), and the
// mailboxes the tests fill.
#pragma once

#include <string>
#include <vector>

namespace mirte::testing {

struct TestServers {
  // Reads the servers' settings, and makes the test CA the trusted store
  // (SSL_CERT_FILE); fails the test when there are no servers.
  static const TestServers& Get();

  std::string dir;
  std::string ca_file;
  std::string other_ca_file;
  std::string password;  // every test user's
  std::string mail_dir;
  int pop3_port = 0;   // plain, STLS offered to 127.0.0.1, not to ::1
  int pop3s_port = 0;  // implicit TLS
  int smtp_port = 0;   // plain, STARTTLS offered
  int smtps_port = 0;  // implicit TLS
  int submission_port = 0;  // STARTTLS, AUTH required
  int mail_uid = 0;
  int mail_gid = 0;

  void ClearMailbox(const std::string& user) const;
  // Puts `message` (CR LF line ends) into the user's mailbox as the newest.
  void Deliver(const std::string& user, const std::string& message) const;

  // Messages the SMTP server accepted since the last ClearCaptured: each the
  // envelope lines ("MAIL FROM:...", "RCPT TO:...") and the content.
  struct Captured {
    std::string mail_from;
    std::vector<std::string> rcpt_to;
    std::string content;
    std::string auth_user;
    bool tls = false;
  };
  std::vector<Captured> CapturedMail() const;
  void ClearCaptured() const;
};

}  // namespace mirte::testing
