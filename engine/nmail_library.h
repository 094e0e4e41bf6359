// The mail library interface over our real library (mail/nmail.h).
#pragma once

#include "mail_library.h"

namespace mirte {

class NMailLibrary : public MailLibrary {
 public:
  int InitializeWinSock() override;
  int EndWinSock() override;
  int Pop3Connect(const char* host) override;
  int Pop3ConnectPortNo(const char* host, int port) override;
  int Pop3Authenticate(int handle, const char* user, const char* password,
                       int apop) override;
  int Pop3Close(int handle) override;
  int Pop3GetMailSize(int handle, int number) override;
  int Pop3GetMail(int handle, int number, char* text1, char* text2, char* text3,
                  char* text4, char* body, int zero8, int zero9) override;
  int SmtpSendMail(const char* server, const char* to, int zero3, int zero4,
                   const char* from, const char* subject, const char* body,
                   int zero8, int zero9, int zero10) override;
  int SmtpSendMailPortNo(const char* server, const char* to, int zero3,
                         int zero4, const char* from, const char* subject,
                         const char* body, int zero8, int zero9, int zero10,
                         int port) override;
};

}  // namespace mirte
