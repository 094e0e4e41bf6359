// What the mail library keeps between its calls: the initialisation count,
// the open POP3 sessions and the log-in kept for SMTP authentication.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "pop3.h"

namespace mirte::mail {

struct LibraryState {
  std::mutex mutex;  // one call at a time
  int init_count = 0;
  int next_handle = 0;
  std::map<int, std::unique_ptr<Pop3Session>> sessions;
  bool has_login = false;
  std::string user;
  std::string password;

  void ForgetLogin();
};

LibraryState& State();

}  // namespace mirte::mail
