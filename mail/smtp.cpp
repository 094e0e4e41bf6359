#include "smtp.h"

#include <arpa/inet.h>
#include <sys/socket.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "nmail.h"
#include "rfc2047.h"
#include "tls_policy.h"

namespace mirte::mail {

namespace {

std::string Upper(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return s;
}

}  // namespace

SmtpSession::SmtpSession(std::unique_ptr<Connection> conn) : conn_(std::move(conn)) {}

SmtpSession::~SmtpSession() = default;

int SmtpSession::ConnectionFailure() const {
  return conn_->error() == NetError::kTimeout ? NMAIL_ERR_TIMEOUT : NMAIL_ERR_PROTOCOL;
}

int SmtpSession::FailureOf(int code, bool at_recipient, const std::string& text) const {
  if (code == 0) return ConnectionFailure();
  if (code >= 400 && code < 500) return NMAIL_ERR_TEMPORARY;
  if (code == 530 || code == 535) return NMAIL_ERR_AUTH;
  if (!at_recipient) return NMAIL_ERR_REJECTED;
  // Only a refusal of the mailbox itself is the recipient's: the enhanced
  // status 5.1.x (address) or 5.2.x (mailbox), or without one the codes
  // 550, 551 and 553. "Relaying denied" and other policies (5.7.x, 554)
  // would refuse every recipient alike.
  int klass = 0, subject = -1;
  if (std::sscanf(text.c_str(), "%d.%d.", &klass, &subject) == 2 && klass == 5) {
    return subject == 1 || subject == 2 ? NMAIL_ERR_RECIPIENT : NMAIL_ERR_REJECTED;
  }
  return code == 550 || code == 551 || code == 553 ? NMAIL_ERR_RECIPIENT : NMAIL_ERR_REJECTED;
}

int SmtpSession::ReadReply(std::string* text) {
  if (broken_) return 0;
  if (text) text->clear();
  for (int lines = 0; lines < 1000; ++lines) {
    std::string line;
    if (!conn_->ReadLine(&line, 4096) || line.size() < 3 ||
        !std::isdigit(static_cast<unsigned char>(line[0])) ||
        !std::isdigit(static_cast<unsigned char>(line[1])) ||
        !std::isdigit(static_cast<unsigned char>(line[2]))) {
      broken_ = true;
      return 0;
    }
    if (text) *text += line.substr(std::min<size_t>(4, line.size())) + "\n";
    if (line.size() == 3 || line[3] != '-') return std::atoi(line.substr(0, 3).c_str());
  }
  broken_ = true;
  return 0;
}

int SmtpSession::Command(const std::string& line, std::string* text) {
  if (broken_) return 0;
  if (!conn_->Write(line + "\r\n")) {
    broken_ = true;
    return 0;
  }
  return ReadReply(text);
}

bool SmtpSession::Hello() {
  extensions_.clear();
  auth_mechanisms_.clear();
  std::string text;
  int code = Command("EHLO " + helo_name_, &text);
  if (code == 250) {
    esmtp_ = true;
    size_t pos = text.find('\n');  // the first line is the greeting
    while (pos != std::string::npos && pos + 1 < text.size()) {
      size_t end = text.find('\n', pos + 1);
      std::string line = Upper(text.substr(pos + 1, end - pos - 1));
      std::string keyword = line.substr(0, line.find(' '));
      extensions_.insert(keyword);
      if (keyword == "AUTH") {
        size_t p = line.find(' ');
        while (p != std::string::npos) {
          size_t q = line.find(' ', p + 1);
          auth_mechanisms_.insert(line.substr(p + 1, q - p - 1));
          p = q;
        }
      }
      pos = end;
    }
    return true;
  }
  if (code == 0) return false;
  esmtp_ = false;
  return Command("HELO " + helo_name_) == 250;
}

std::unique_ptr<SmtpSession> SmtpSession::Connect(const std::string& host, int port,
                                                  int* result) {
  NetError error;
  auto conn = Connection::Open(host, port, IsImplicitTlsPort(port), &error);
  if (!conn) {
    *result = error == NetError::kTls ? NMAIL_ERR_TLS
              : error == NetError::kTimeout ? NMAIL_ERR_TIMEOUT
                                             : NMAIL_ERR_CONNECT;
    return nullptr;
  }
  std::unique_ptr<SmtpSession> s(new SmtpSession(std::move(conn)));
  s->host_ = host;
  // Without a name of our own, the address literal of our end (RFC 5321
  // §4.1.4).
  s->helo_name_ = "[127.0.0.1]";
  sockaddr_storage local{};
  socklen_t len = sizeof local;
  if (s->conn_->LocalAddress(reinterpret_cast<sockaddr*>(&local), &len)) {
    char text[INET6_ADDRSTRLEN] = {};
    if (local.ss_family == AF_INET) {
      inet_ntop(AF_INET, &reinterpret_cast<sockaddr_in*>(&local)->sin_addr, text, sizeof text);
      s->helo_name_ = std::string("[") + text + "]";
    } else if (local.ss_family == AF_INET6) {
      inet_ntop(AF_INET6, &reinterpret_cast<sockaddr_in6*>(&local)->sin6_addr, text, sizeof text);
      s->helo_name_ = std::string("[IPv6:") + text + "]";
    }
  }
  int code = s->ReadReply();
  if (code != 220) {
    *result = code == 0 ? s->ConnectionFailure() : NMAIL_ERR_CONNECT;
    return nullptr;
  }
  if (!s->Hello()) {
    *result = s->broken_ ? s->ConnectionFailure() : NMAIL_ERR_PROTOCOL;
    return nullptr;
  }
  if (!s->conn_->is_tls() && s->extensions_.count("STARTTLS")) {
    code = s->Command("STARTTLS");
    if (code != 220) {
      *result = code == 0 ? s->ConnectionFailure() : NMAIL_ERR_TLS;
      return nullptr;
    }
    if (!s->conn_->StartTls()) {
      *result = s->conn_->error() == NetError::kTimeout ? NMAIL_ERR_TIMEOUT : NMAIL_ERR_TLS;
      return nullptr;
    }
    // What was said before TLS is forgotten (RFC 3207 §4.2).
    if (!s->Hello()) {
      *result = s->ConnectionFailure();
      return nullptr;
    }
  }
  *result = NMAIL_SUCCESS;
  return s;
}

int SmtpSession::Authenticate(const std::string& user, const std::string& password) {
  if (authenticated_ || auth_mechanisms_.empty()) return NMAIL_SUCCESS;
  if (auth_refused_) return NMAIL_ERR_AUTH;
  int code;
  if (auth_mechanisms_.count("PLAIN")) {
    code = Command("AUTH PLAIN " + EncodeBase64(std::string(1, '\0') + user + '\0' + password));
  } else if (auth_mechanisms_.count("LOGIN")) {
    code = Command("AUTH LOGIN");
    if (code == 334) code = Command(EncodeBase64(user));
    if (code == 334) code = Command(EncodeBase64(password));
  } else {
    return NMAIL_ERR_AUTH;  // no mechanism we can use
  }
  if (code == 235) {
    authenticated_ = true;
    return NMAIL_SUCCESS;
  }
  if (code == 0) return ConnectionFailure();
  if (code >= 400 && code < 500) return NMAIL_ERR_TEMPORARY;
  auth_refused_ = true;
  return NMAIL_ERR_AUTH;
}

int SmtpSession::Send(const std::string& from, const std::string& to,
                      const std::string& content) {
  std::string mail = "MAIL FROM:<" + from + ">";
  std::string rcpt = "RCPT TO:<" + to + ">";
  // No delivery reports about an automatic reply (RFC 3834 §3.3).
  if (extensions_.count("DSN")) rcpt += " NOTIFY=NEVER";

  // With PIPELINING the envelope and DATA go in one write.
  int mail_code, rcpt_code, data_code;
  std::string rcpt_text;
  if (esmtp_ && extensions_.count("PIPELINING")) {
    if (!conn_->Write(mail + "\r\n" + rcpt + "\r\nDATA\r\n")) {
      broken_ = true;
      return ConnectionFailure();
    }
    mail_code = ReadReply();
    rcpt_code = mail_code ? ReadReply(&rcpt_text) : 0;
    data_code = rcpt_code ? ReadReply() : 0;
    if (data_code == 354 && (mail_code != 250 || rcpt_code / 100 != 2)) {
      // DATA was accepted although the envelope failed: end it empty.
      Command(".");
    }
  } else {
    mail_code = Command(mail);
    rcpt_code = mail_code == 250 ? Command(rcpt, &rcpt_text) : -1;
    data_code = rcpt_code / 100 == 2 ? Command("DATA") : -1;
  }
  if (mail_code != 250) return FailureOf(mail_code, false);
  if (rcpt_code / 100 != 2) return FailureOf(rcpt_code, true, rcpt_text);
  if (data_code != 354) return FailureOf(data_code, false);

  std::string stuffed;
  stuffed.reserve(content.size() + 64);
  size_t pos = 0;
  while (pos < content.size()) {
    size_t end = content.find("\r\n", pos);
    end = end == std::string::npos ? content.size() : end + 2;
    if (content[pos] == '.') stuffed += '.';
    stuffed.append(content, pos, end - pos);
    pos = end;
  }
  if (!stuffed.ends_with("\r\n")) stuffed += "\r\n";
  stuffed += ".\r\n";
  if (!conn_->Write(stuffed)) {
    broken_ = true;
    return ConnectionFailure();
  }
  int code = ReadReply();
  return code == 250 ? NMAIL_SUCCESS : FailureOf(code, false);
}

bool SmtpSession::Reset() {
  return !broken_ && Command("RSET") == 250;
}

void SmtpSession::Quit() {
  if (!broken_) conn_->Write("QUIT\r\n");
  broken_ = true;
}

}  // namespace mirte::mail
