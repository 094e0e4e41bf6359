// The ten functions of the mail library, as an interface, so that the
// wrapper can run over the real library or over a scripted stand-in in
// tests. Argument orders and results are those of the library's functions
// (mail/nmail.h).
#pragma once

namespace mirte {

class MailLibrary {
 public:
  virtual ~MailLibrary() = default;
  virtual int InitializeWinSock() = 0;
  virtual int EndWinSock() = 0;
  virtual int Pop3Connect(const char* host) = 0;
  virtual int Pop3ConnectPortNo(const char* host, int port) = 0;
  virtual int Pop3Authenticate(int handle, const char* user,
                               const char* password, int apop) = 0;
  virtual int Pop3Close(int handle) = 0;
  virtual int Pop3GetMailSize(int handle, int number) = 0;
  virtual int Pop3GetMail(int handle, int number, char* text1, char* text2,
                          char* text3, char* text4, char* body, int zero8,
                          int zero9) = 0;
  virtual int SmtpSendMail(const char* server, const char* to, int zero3,
                           int zero4, const char* from, const char* subject,
                           const char* body, int zero8, int zero9,
                           int zero10) = 0;
  virtual int SmtpSendMailPortNo(const char* server, const char* to,
                                 int zero3, int zero4, const char* from,
                                 const char* subject, const char* body,
                                 int zero8, int zero9, int zero10,
                                 int port) = 0;
};

}  // namespace mirte
