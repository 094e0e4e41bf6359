// CMailCommon: the program's only road to the mail servers. It keeps the
// POP3 connection value, turns the library's results into the program's
// convention, and receives the texts of a fetched message. One object lives
// for one poll-and-reply cycle.
#pragma once

#include <cstdint>
#include <string>

#include "mail_library.h"

namespace mirte {

class CMailCommon {
 public:
  // Size of each of the four text areas of a fetch, terminating zero
  // included.
  static constexpr size_t kTextAreaSize = 8192;

  // `library` must outlive the object.
  explicit CMailCommon(MailLibrary& library) : m_library(library) {}
  virtual ~CMailCommon() = default;

  // The library's value unchanged; negative means failure.
  virtual int InitializeWinSock();
  virtual int EndWinSock();
  // -1 when the connect failed, else 0.
  virtual int Pop3ConnectPortNo(const std::string& host, int port);
  virtual int Pop3Connect(const std::string& host);
  // 0 when the library closed the connection (returned 1), else -1.
  virtual int Pop3Close();
  // The message count, or the library's negative code unchanged.
  virtual int Pop3Authenticate(const std::string& user,
                               const std::string& password, int apop);
  virtual int Pop3Authenticate(const std::string& user,
                               const std::string& password);
  // Fetches message `number` (from 1): the subject, the identifying text,
  // the sender's address and the fourth text into the outputs, whatever the
  // result, and the body length into m_nBodyLength (0 after a failure).
  // 0 on success, -1 on any failure.
  virtual int Pop3GetMail(int number, std::string& out1, std::string& out2,
                          std::string& out3, std::string& out4);
  // 0 when the library returned 1 or 0, else the library's value.
  virtual int SmtpSendMailPortNo(const std::string& server,
                                 const std::string& subject,
                                 const std::string& body,
                                 const std::string& from,
                                 const std::string& to, int port);
  virtual int SmtpSendMail(const std::string& server,
                           const std::string& subject, const std::string& body,
                           const std::string& from, const std::string& to);

  uint32_t m_nPop3Handle = 0xFFFFFFFF;
  int32_t m_nBodyLength = 0;

 private:
  MailLibrary& m_library;
};

}  // namespace mirte
