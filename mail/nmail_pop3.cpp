// The library's initialisation and POP3 functions.
#include <openssl/ssl.h>

#include <algorithm>
#include <cstring>

#include "library_state.h"
#include "message.h"
#include "nmail.h"
#include "text_codec.h"

namespace mirte::mail {

namespace {
constexpr size_t kTextMax = 8191;

void FillArea(char* area, std::string_view text) {
  if (area == nullptr) return;
  std::string_view cut = Cp932Prefix(text, kTextMax);
  std::memcpy(area, cut.data(), cut.size());
  area[cut.size()] = '\0';
}

Pop3Session* Find(LibraryState& s, int handle) {
  auto it = s.sessions.find(handle);
  return it == s.sessions.end() ? nullptr : it->second.get();
}
}  // namespace

void LibraryState::ForgetLogin() {
  // Overwrite before release: the password should not linger in freed memory.
  std::fill(password.begin(), password.end(), '\0');
  password.clear();
  user.clear();
  has_login = false;
}

void LibraryState::CloseSmtp() {
  if (smtp) smtp->Quit();
  smtp.reset();
}

LibraryState& State() {
  static LibraryState state;
  return state;
}

}  // namespace mirte::mail

using mirte::mail::State;

int NMailInitializeWinSock() {
  auto& s = State();
  std::lock_guard lock(s.mutex);
  // The trusted certificates are loaded at the first TLS connection.
  if (OPENSSL_init_ssl(0, nullptr) != 1) return NMAIL_ERR_NOT_INITIALISED;
  mirte::mail::InitMessageParsing();
  ++s.init_count;
  return 0;
}

int NMailEndWinSock() {
  auto& s = State();
  std::lock_guard lock(s.mutex);
  if (s.init_count > 0) --s.init_count;
  if (s.init_count == 0) {
    for (auto& [handle, session] : s.sessions) session->Quit();
    s.sessions.clear();
    s.CloseSmtp();
    s.ForgetLogin();
    mirte::mail::ReleaseTls();
  }
  return 0;
}

int NMailPop3Connect(const char* host) { return NMailPop3ConnectPortNo(host, 110); }

int NMailPop3ConnectPortNo(const char* host, int port) {
  auto& s = State();
  std::lock_guard lock(s.mutex);
  if (s.init_count == 0 || host == nullptr) return NMAIL_ERR_CONNECT;
  auto session = mirte::mail::Pop3Session::Connect(host, port);
  if (!session) return NMAIL_ERR_CONNECT;
  int handle = s.next_handle++;
  if (s.next_handle < 0) s.next_handle = 0;
  s.sessions[handle] = std::move(session);
  return handle;
}

int NMailPop3Authenticate(int handle, const char* user, const char* password,
                          int apop) {
  auto& s = State();
  std::lock_guard lock(s.mutex);
  auto* session = mirte::mail::Find(s, handle);
  if (session == nullptr) return NMAIL_ERR_BAD_HANDLE;
  if (user == nullptr || password == nullptr) return NMAIL_ERR_AUTH;
  int count = session->Authenticate(user, password, apop);
  if (count >= 0) {
    s.user = user;
    s.password = password;
    s.has_login = true;
  }
  return count;
}

int NMailPop3Close(int handle) {
  auto& s = State();
  std::lock_guard lock(s.mutex);
  auto it = s.sessions.find(handle);
  if (it == s.sessions.end()) return NMAIL_ERR_BAD_HANDLE;
  it->second->Quit();
  s.sessions.erase(it);
  return NMAIL_SUCCESS;
}

int NMailPop3GetMailSize(int handle, int number) {
  auto& s = State();
  std::lock_guard lock(s.mutex);
  auto* session = mirte::mail::Find(s, handle);
  if (session == nullptr) return NMAIL_ERR_BAD_HANDLE;
  int size = session->FetchSize(number);
  return size < 0 ? NMAIL_ERR_NO_MESSAGE : size;
}

int NMailPop3GetMail(int handle, int number, char* subject, char* identity,
                     char* from, char* header, char* body, int, int) {
  auto& s = State();
  std::lock_guard lock(s.mutex);
  auto* session = mirte::mail::Find(s, handle);
  if (session == nullptr) return NMAIL_ERR_BAD_HANDLE;
  if (session->Current(number) == nullptr && session->FetchSize(number) < 0) {
    return NMAIL_ERR_NO_MESSAGE;
  }
  const auto* m = session->Current(number);
  mirte::mail::FillArea(subject, m->subject);
  mirte::mail::FillArea(identity, session->Identity(number));
  mirte::mail::FillArea(from, m->from);
  mirte::mail::FillArea(header, m->auto_headers);
  if (body != nullptr) {
    std::memcpy(body, m->body.data(), m->body.size());
    body[m->body.size()] = '\0';
  }
  return 0;
}
