#include "nmail_library.h"

#include "nmail.h"

namespace mirte {

int NMailLibrary::InitializeWinSock() { return NMailInitializeWinSock(); }
int NMailLibrary::EndWinSock() { return NMailEndWinSock(); }
int NMailLibrary::Pop3Connect(const char* host) { return NMailPop3Connect(host); }
int NMailLibrary::Pop3ConnectPortNo(const char* host, int port) {
  return NMailPop3ConnectPortNo(host, port);
}
int NMailLibrary::Pop3Authenticate(int handle, const char* user,
                                   const char* password, int apop) {
  return NMailPop3Authenticate(handle, user, password, apop);
}
int NMailLibrary::Pop3Close(int handle) { return NMailPop3Close(handle); }
int NMailLibrary::Pop3GetMailSize(int handle, int number) {
  return NMailPop3GetMailSize(handle, number);
}
int NMailLibrary::Pop3GetMail(int handle, int number, char* text1, char* text2,
                              char* text3, char* text4, char* body, int zero8,
                              int zero9) {
  return NMailPop3GetMail(handle, number, text1, text2, text3, text4, body,
                          zero8, zero9);
}
int NMailLibrary::SmtpSendMail(const char* server, const char* to, int zero3,
                               int zero4, const char* from, const char* subject,
                               const char* body, int zero8, int zero9,
                               int zero10) {
  return NMailSmtpSendMail(server, to, zero3, zero4, from, subject, body, zero8,
                           zero9, zero10);
}
int NMailLibrary::SmtpSendMailPortNo(const char* server, const char* to,
                                     int zero3, int zero4, const char* from,
                                     const char* subject, const char* body,
                                     int zero8, int zero9, int zero10, int port) {
  return NMailSmtpSendMailPortNo(server, to, zero3, zero4, from, subject, body,
                                 zero8, zero9, zero10, port);
}

}  // namespace mirte
