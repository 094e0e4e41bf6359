// What the mail library keeps between its calls: the initialisation count,
// the open POP3 sessions and the log-in kept for SMTP authentication.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "pop3.h"
#include "smtp.h"

namespace mirte::mail {

struct LibraryState {
  std::mutex mutex;  // one call at a time
  int init_count = 0;
  int next_handle = 0;
  std::map<int, std::unique_ptr<Pop3Session>> sessions;
  // The SMTP session of the last send, kept for the next one to the same
  // server while the library is initialised.
  std::unique_ptr<SmtpSession> smtp;
  std::string smtp_host;
  int smtp_port = 0;
  bool has_login = false;
  std::string user;
  std::string password;

  void ForgetLogin();
  void CloseSmtp();
};

LibraryState& State();

}  // namespace mirte::mail
