// An SMTP client session (RFC 5321) with STARTTLS (RFC 3207), AUTH PLAIN
// and LOGIN (RFC 4954), PIPELINING (RFC 2920) and DSN (RFC 3461). One
// session may send several messages, with RSET between them.
#pragma once

#include <memory>
#include <string>
#include <unordered_set>

#include "net.h"

namespace mirte::mail {

class SmtpSession {
 public:
  // Connects, reads the greeting, says EHLO (HELO when refused) and
  // upgrades to TLS: at once on port 465 (and other implicit-TLS ports),
  // else with STARTTLS when offered. Returns null and sets `result` to an
  // NMailResult on failure.
  static std::unique_ptr<SmtpSession> Connect(const std::string& host, int port,
                                              int* result);
  ~SmtpSession();

  // Authenticates when the server offers AUTH. Returns NMAIL_SUCCESS, or
  // NMAIL_ERR_AUTH when the server refused the credentials (then and on
  // every later call, without asking again), or a connection failure.
  int Authenticate(const std::string& user, const std::string& password);
  bool offers_auth() const { return !auth_mechanisms_.empty(); }

  // Sends one message: `content` is the message text (CR LF line ends,
  // without dot-stuffing). Returns NMAIL_SUCCESS or an NMailResult.
  int Send(const std::string& from, const std::string& to, const std::string& content);

  // Makes the session ready for another message. False when it is not
  // usable any more.
  bool Reset();

  void Quit();

  bool is_tls() const { return conn_->is_tls(); }
  bool usable() const { return !broken_; }

 private:
  explicit SmtpSession(std::unique_ptr<Connection> conn);
  // Reads one (possibly multi-line) reply; returns its code, or 0 when the
  // connection failed.
  int ReadReply(std::string* text = nullptr);
  int Command(const std::string& line, std::string* text = nullptr);
  bool Hello();
  int FailureOf(int code, bool at_recipient, const std::string& text = "") const;
  int ConnectionFailure() const;

  std::unique_ptr<Connection> conn_;
  std::string host_;
  std::string helo_name_;
  bool esmtp_ = false;
  bool broken_ = false;
  bool authenticated_ = false;
  bool auth_refused_ = false;
  std::unordered_set<std::string> extensions_;
  std::unordered_set<std::string> auth_mechanisms_;
};

}  // namespace mirte::mail
