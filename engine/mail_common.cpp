#include "mail_common.h"

#include <cstring>
#include <memory>
#include <new>
#include <vector>

namespace mirte {

namespace {
int SendResult(int library_result) {
  return (library_result == 1 || library_result == 0) ? 0 : library_result;
}
std::string UpToZero(const char* area, size_t size) {
  return std::string(area, ::strnlen(area, size));
}
}  // namespace

int CMailCommon::InitializeWinSock() { return m_library.InitializeWinSock(); }

int CMailCommon::EndWinSock() { return m_library.EndWinSock(); }

int CMailCommon::Pop3ConnectPortNo(const std::string& host, int port) {
  m_nPop3Handle =
      static_cast<uint32_t>(m_library.Pop3ConnectPortNo(host.c_str(), port));
  return m_nPop3Handle == 0xFFFFFFFF ? -1 : 0;
}

int CMailCommon::Pop3Connect(const std::string& host) {
  m_nPop3Handle = static_cast<uint32_t>(m_library.Pop3Connect(host.c_str()));
  return m_nPop3Handle == 0xFFFFFFFF ? -1 : 0;
}

int CMailCommon::Pop3Close() {
  return m_library.Pop3Close(static_cast<int>(m_nPop3Handle)) == 1 ? 0 : -1;
}

int CMailCommon::Pop3Authenticate(const std::string& user,
                                  const std::string& password, int apop) {
  return m_library.Pop3Authenticate(static_cast<int>(m_nPop3Handle),
                                    user.c_str(), password.c_str(), apop);
}

int CMailCommon::Pop3Authenticate(const std::string& user,
                                  const std::string& password) {
  return Pop3Authenticate(user, password, 1);
}

int CMailCommon::Pop3GetMail(int number, std::string& out1, std::string& out2,
                             std::string& out3, std::string& out4) {
  // The four areas are large for the stack of a UI thread: one heap block.
  auto areas = std::make_unique<char[]>(4 * kTextAreaSize);  // zero-filled
  char* area[4];
  for (int i = 0; i < 4; ++i) area[i] = areas.get() + i * kTextAreaSize;

  int result = 0;
  m_nBodyLength = 0;
  const int handle = static_cast<int>(m_nPop3Handle);
  int size = m_library.Pop3GetMailSize(handle, number);
  // The body area is not zero-filled (bodies can be large); its last byte
  // is, so that the length below never reads past it.
  std::unique_ptr<char[]> body;
  if (size >= 0) body.reset(new (std::nothrow) char[size_t(size) + 1]);
  if (size < 0 || !body) {
    result = -1;
  } else {
    body[size] = '\0';
    if (m_library.Pop3GetMail(handle, number, area[0], area[1], area[2], area[3], body.get(), 0,
                              0) < 0) {
      result = -1;
    } else {
      m_nBodyLength = static_cast<int32_t>(::strnlen(body.get(), size_t(size) + 1));
    }
  }
  out1 = UpToZero(area[0], kTextAreaSize);
  out2 = UpToZero(area[1], kTextAreaSize);
  out3 = UpToZero(area[2], kTextAreaSize);
  out4 = UpToZero(area[3], kTextAreaSize);
  return result;
}

int CMailCommon::SmtpSendMailPortNo(const std::string& server,
                                    const std::string& subject,
                                    const std::string& body,
                                    const std::string& from,
                                    const std::string& to, int port) {
  return SendResult(m_library.SmtpSendMailPortNo(
      server.c_str(), to.c_str(), 0, 0, from.c_str(), subject.c_str(),
      body.c_str(), 0, 0, 0, port));
}

int CMailCommon::SmtpSendMail(const std::string& server,
                              const std::string& subject,
                              const std::string& body, const std::string& from,
                              const std::string& to) {
  return SendResult(m_library.SmtpSendMail(server.c_str(), to.c_str(), 0, 0,
                                           from.c_str(), subject.c_str(),
                                           body.c_str(), 0, 0, 0));
}

}  // namespace mirte
