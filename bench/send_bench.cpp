// Sends N replies through NMailSmtpSendMailPortNo, as one cycle does (the
// library keeps the connection between them). Prints one line:
//   nmail-send messages=N seconds=S per_second=R
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "nmail.h"
#include "text_codec.h"

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: send_bench HOST PORT COUNT\n");
    return 2;
  }
  int port = std::atoi(argv[2]);
  int count = std::atoi(argv[3]);
  std::string subject = mirte::Cp932("自動返信：お問い合わせありがとうございます");
  std::string body = mirte::Cp932(
      "お問い合わせありがとうございます。\r\n担当者より改めてご連絡いたします。\r\n");
  NMailInitializeWinSock();
  auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < count; ++i) {
    std::string to = "user" + std::to_string(i) + "@example.com";
    int r = NMailSmtpSendMailPortNo(argv[1], to.c_str(), 0, 0, "me@example.jp",
                                    subject.c_str(), body.c_str(), 0, 0, 0, port);
    if (r != NMAIL_SUCCESS) {
      std::fprintf(stderr, "send %d failed: %d\n", i, r);
      return 1;
    }
  }
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  NMailEndWinSock();
  std::printf("nmail-send messages=%d seconds=%.3f per_second=%.0f\n", count, seconds,
              count / seconds);
  return 0;
}
