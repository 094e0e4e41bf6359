// The library's SMTP functions.
#include <ctime>

#include "address.h"
#include "compose.h"
#include "library_state.h"
#include "nmail.h"

using mirte::mail::State;

namespace {

// An SMTP session to `host`:`port`: the kept one when it is still usable,
// else a new one, authenticated with the POP3 log-in when the server
// offers AUTH. Returns null and sets `result` on failure.
mirte::mail::SmtpSession* SessionFor(mirte::mail::LibraryState& s, const char* host,
                                     int port, int* result) {
  bool reusable = s.smtp && s.smtp_host == host && s.smtp_port == port && s.smtp->Reset();
  if (!reusable) {
    s.CloseSmtp();
    s.smtp = mirte::mail::SmtpSession::Connect(host, port, result);
    if (!s.smtp) return nullptr;
    s.smtp_host = host;
    s.smtp_port = port;
  }
  // A log-in made since the session began is used too. A server that
  // offers AUTH without needing it may refuse the mailbox's log-in: the
  // message is then tried without, and a server that does need it says so
  // at MAIL FROM (530).
  if (s.smtp->offers_auth() && s.has_login) {
    *result = s.smtp->Authenticate(s.user, s.password);
    if (*result != NMAIL_SUCCESS && *result != NMAIL_ERR_AUTH) {
      s.CloseSmtp();
      return nullptr;
    }
  }
  return s.smtp.get();
}

}  // namespace

int NMailSmtpSendMail(const char* server, const char* to, int zero3, int zero4,
                      const char* from, const char* subject, const char* body,
                      int zero8, int zero9, int zero10) {
  return NMailSmtpSendMailPortNo(server, to, zero3, zero4, from, subject, body, zero8,
                                 zero9, zero10, 25);
}

int NMailSmtpSendMailPortNo(const char* server, const char* to, int, int,
                            const char* from, const char* subject, const char* body,
                            int, int, int, int port) {
  auto& s = State();
  std::lock_guard lock(s.mutex);
  if (s.init_count == 0) return NMAIL_ERR_NOT_INITIALISED;
  // The recipient comes from a stranger's message: nothing unsafe in it
  // may reach the server or the header.
  if (to == nullptr || from == nullptr || !mirte::mail::IsSafeAddress(to) ||
      !mirte::mail::IsSafeAddress(from)) {
    return NMAIL_ERR_BAD_ADDRESS;
  }
  if (server == nullptr || *server == '\0') return NMAIL_ERR_CONNECT;
  std::string content = mirte::mail::ComposeReply(from, to, subject ? subject : "",
                                                  body ? body : "", std::time(nullptr));
  int result = NMAIL_ERR_CONNECT;
  auto* session = SessionFor(s, server, port, &result);
  if (session == nullptr) return result;
  result = session->Send(from, to, content);
  if (!session->usable()) s.CloseSmtp();
  return result;
}
