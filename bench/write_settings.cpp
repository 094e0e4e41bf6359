// Writes a settings file for the cycle benchmark:
//   write_settings FILE POP3-HOST POP3-PORT USER PASSWORD SMTP-HOST SMTP-PORT
#include <cstdio>
#include <cstdlib>

#include "penwick_doc.h"
#include "text_codec.h"

namespace {
class StderrPort : public mirte::MessagePort {
 public:
  void ShowMessage(const std::string& text, mirte::MessageIcon) override {
    std::fprintf(stderr, "%s\n", mirte::Cp932ToUtf8(text).c_str());
  }
};
}  // namespace

int main(int argc, char** argv) {
  if (argc != 8) {
    std::fprintf(stderr, "usage: write_settings FILE POP3-HOST POP3-PORT USER PASSWORD SMTP-HOST SMTP-PORT\n");
    return 2;
  }
  StderrPort port;
  mirte::CPenwickDoc doc(port);
  doc.SetMailAddress("bench@example.jp");
  doc.SetPop3Server(argv[2]);
  doc.SetPop3Port(std::atoi(argv[3]));
  doc.SetUserName(argv[4]);
  doc.SetPassword(argv[5]);
  doc.SetApop(0);
  doc.SetSmtpServer(argv[6]);
  doc.SetSmtpPort(std::atoi(argv[7]));
  doc.SetReplySubject(mirte::Cp932("自動返信：お問い合わせありがとうございます"));
  doc.SetReplyBody(mirte::Cp932("担当者より改めてご連絡いたします。\r\n"));
  return doc.SaveFile(argv[1]) == 1 ? 0 : 1;
}
