#include "scripted_mail_library.h"

#include <algorithm>
#include <cstring>

namespace mirte::testing {

namespace {
void Fill(char* area, const std::string& text) {
  size_t n = std::min<size_t>(text.size(), 8191);
  std::memcpy(area, text.data(), n);
  area[n] = '\0';
}
}  // namespace

int ScriptedMailLibrary::InitializeWinSock() {
  calls.push_back("Init");
  return init_result;
}

int ScriptedMailLibrary::EndWinSock() {
  calls.push_back("End");
  return 0;
}

int ScriptedMailLibrary::Pop3Connect(const char* host) {
  calls.push_back(std::string("Connect ") + host);
  return connect_result;
}

int ScriptedMailLibrary::Pop3ConnectPortNo(const char* host, int port) {
  calls.push_back(std::string("Connect ") + host + ":" + std::to_string(port));
  return connect_result;
}

int ScriptedMailLibrary::Pop3Authenticate(int handle, const char* user,
                                          const char* password, int apop) {
  calls.push_back("Auth " + std::to_string(handle) + " " + user + " " +
                  password + " " + std::to_string(apop));
  return auth_result == kMailboxSize ? static_cast<int>(mailbox.size())
                                     : auth_result;
}

int ScriptedMailLibrary::Pop3Close(int handle) {
  calls.push_back("Close " + std::to_string(handle));
  return close_result;
}

int ScriptedMailLibrary::Pop3GetMailSize(int, int number) {
  if (number < 1 || number > static_cast<int>(mailbox.size())) return -1;
  const ScriptedMessage& m = mailbox[number - 1];
  return m.size_fails ? -1 : static_cast<int>(m.body.size());
}

int ScriptedMailLibrary::Pop3GetMail(int, int number, char* text1,
                                     char* text2, char* text3, char* text4,
                                     char* body, int, int) {
  calls.push_back("GetMail " + std::to_string(number));
  if (number < 1 || number > static_cast<int>(mailbox.size())) return -1;
  const ScriptedMessage& m = mailbox[number - 1];
  Fill(text1, m.subject);
  Fill(text2, m.tag);
  Fill(text3, m.from);
  Fill(text4, m.text4);
  if (m.fetch_fails) return -1;
  std::memcpy(body, m.body.data(), m.body.size());
  body[m.body.size()] = '\0';
  return 0;
}

int ScriptedMailLibrary::SmtpSendMail(const char* server, const char* to, int,
                                      int, const char* from,
                                      const char* subject, const char* body,
                                      int, int, int) {
  return SmtpSendMailPortNo(server, to, 0, 0, from, subject, body, 0, 0, 0, 25);
}

int ScriptedMailLibrary::SmtpSendMailPortNo(const char* server, const char* to,
                                            int, int, const char* from,
                                            const char* subject,
                                            const char* body, int, int, int,
                                            int port) {
  calls.push_back(std::string("Send ") + to);
  int result = 1;
  if (!send_results.empty()) {
    result = send_results.front();
    send_results.pop_front();
  }
  if (result == 1 || result == 0) sent.push_back({server, to, from, subject, body, port});
  return result;
}

}  // namespace mirte::testing
