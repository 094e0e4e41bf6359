// Fetch-all over POP3: our library (every message through
// NMailPop3GetMailSize and NMailPop3GetMail) against a raw client that
// pipelines RETR 1..N and only counts the replies. Prints one line:
//   MODE messages=N seconds=S peak_rss_kb=K
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "net.h"
#include "nmail.h"
#include "tls_policy.h"

namespace {

long PeakRssKb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

int FetchWithLibrary(const char* host, int port, const char* user, const char* password) {
  if (NMailInitializeWinSock() < 0) return -1;
  int handle = NMailPop3ConnectPortNo(host, port);
  int count = handle < 0 ? -1 : NMailPop3Authenticate(handle, user, password, 0);
  std::vector<char> areas(4 * 8192);
  std::vector<char> body;
  for (int n = 1; n <= count; ++n) {
    int size = NMailPop3GetMailSize(handle, n);
    if (size < 0) return -1;
    body.assign(static_cast<size_t>(size) + 1, 0);
    if (NMailPop3GetMail(handle, n, &areas[0], &areas[8192], &areas[16384], &areas[24576],
                         body.data(), 0, 0) < 0) {
      return -1;
    }
  }
  NMailPop3Close(handle);
  NMailEndWinSock();
  return count;
}

int FetchRaw(const char* host, int port, const char* user, const char* password) {
  using mirte::mail::Connection;
  mirte::mail::InitTls();
  mirte::mail::NetError error;
  auto c = Connection::Open(host, port, mirte::mail::IsImplicitTlsPort(port), &error);
  if (!c) return -1;
  std::string line;
  c->ReadLine(&line);
  if (!mirte::mail::IsImplicitTlsPort(port)) {
    c->Write("STLS\r\n");
    c->ReadLine(&line);
    if (line.rfind("+OK", 0) == 0 && !c->StartTls()) return -1;
  }
  c->Write(std::string("USER ") + user + "\r\nPASS " + password + "\r\nSTAT\r\n");
  c->ReadLine(&line);
  c->ReadLine(&line);
  c->ReadLine(&line);
  int count = 0;
  std::sscanf(line.c_str(), "+OK %d", &count);
  constexpr int kAhead = 64;
  int sent = 0;
  std::string message;
  bool truncated;
  for (int n = 1; n <= count; ++n) {
    std::string batch;
    while (sent < count && sent < n + kAhead) batch += "RETR " + std::to_string(++sent) + "\r\n";
    if (!batch.empty() && !c->Write(batch)) return -1;
    if (!c->ReadLine(&line) || !c->ReadDotTerminated(&message, 64u << 20, &truncated)) return -1;
  }
  c->Write("QUIT\r\n");
  return count;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 6 && argc != 7) {
    std::fprintf(stderr, "usage: fetch_bench nmail|raw HOST PORT USER PASSWORD [TLS-PORT]\n");
    return 2;
  }
  std::string mode = argv[1];
  int port = std::atoi(argv[3]);
  if (argc == 7) mirte::mail::AddImplicitTlsPort(std::atoi(argv[6]));
  auto start = std::chrono::steady_clock::now();
  int count = mode == "raw" ? FetchRaw(argv[2], port, argv[4], argv[5])
                            : FetchWithLibrary(argv[2], port, argv[4], argv[5]);
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (count < 0) {
    std::fprintf(stderr, "%s: fetch failed\n", mode.c_str());
    return 1;
  }
  std::printf("%s messages=%d seconds=%.3f peak_rss_kb=%ld\n", mode.c_str(), count, seconds,
              PeakRssKb());
  return 0;
}
