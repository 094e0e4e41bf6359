// A scripted stand-in of the mail library for the result codes and orders
// of calls that real servers cannot produce on demand. It holds a mailbox of
// messages, answers with the results it is given, and records every call.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "mail_library.h"

namespace mirte::testing {

struct ScriptedMessage {
  std::string subject;
  std::string tag;
  std::string from;
  std::string text4;
  std::string body;
  bool size_fails = false;
  bool fetch_fails = false;
};

struct SentMail {
  std::string server, to, from, subject, body;
  int port;
};

class ScriptedMailLibrary : public MailLibrary {
 public:
  static constexpr int kMailboxSize = -1000;

  int init_result = 0;
  int connect_result = 7;
  int auth_result = kMailboxSize;  // the mailbox size unless set
  int close_result = 1;
  std::vector<ScriptedMessage> mailbox;
  std::deque<int> send_results;  // one per send; 1 when empty
  std::vector<std::string> calls;
  std::vector<SentMail> sent;

  int InitializeWinSock() override;
  int EndWinSock() override;
  int Pop3Connect(const char* host) override;
  int Pop3ConnectPortNo(const char* host, int port) override;
  int Pop3Authenticate(int handle, const char* user, const char* password,
                       int apop) override;
  int Pop3Close(int handle) override;
  int Pop3GetMailSize(int handle, int number) override;
  int Pop3GetMail(int handle, int number, char* text1, char* text2,
                  char* text3, char* text4, char* body, int, int) override;
  int SmtpSendMail(const char* server, const char* to, int, int,
                   const char* from, const char* subject, const char* body,
                   int, int, int) override;
  int SmtpSendMailPortNo(const char* server, const char* to, int, int,
                         const char* from, const char* subject,
                         const char* body, int, int, int, int port) override;
};

}  // namespace mirte::testing
