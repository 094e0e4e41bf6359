// mirte-cli: the auto-responder without a desktop, over the same engine and
// the same files (MyData.dat, RvData.dat, log.txt) in the current directory.
#include <signal.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "auto_reply_control.h"
#include "cli_ui_port.h"
#include "nmail_library.h"
#include "penwick_doc.h"

namespace {

constexpr char kUsage[] =
    "使い方: mirte-cli COMMAND\n"
    "\n"
    "ミルテの自動返信を、デスクトップなしで現在のディレクトリの設定\n"
    "(MyData.dat) で実行します。返信記録 (RvData.dat) と履歴 (log.txt)\n"
    "はデスクトップ版と共通です。設定はデスクトップ版で行います。\n"
    "\n"
    "  check    受信問い合わせを一回だけ行います。成功すれば終了コード 0。\n"
    "  run      自動返信を実行します。SIGINT か SIGTERM で停止し、終了コード 0。\n"
    "           問い合わせが失敗すると停止し、終了コード 1。\n"
    "  --help   この説明を表示します。\n";

int Check(mirte::CAutoReplyControl& control) {
  control.OnCheckNow();
  return control.m_nLastResult >= 0 ? 0 : 1;
}

int Run(mirte::CAutoReplyControl& control, mirte::CliUiPort& ui) {
  // The signals stay blocked while a cycle runs and are taken between
  // cycles, so that a cycle always finishes and saves its records.
  sigset_t stop_signals;
  sigemptyset(&stop_signals);
  sigaddset(&stop_signals, SIGINT);
  sigaddset(&stop_signals, SIGTERM);
  sigprocmask(SIG_BLOCK, &stop_signals, nullptr);

  control.OnRun();
  while (control.m_bRunning) {
    auto next = ui.NextTick();
    if (!next) break;
    auto left = *next - mirte::CliUiPort::Clock::now();
    if (left.count() < 0) left = left.zero();
    auto seconds = std::chrono::duration_cast<std::chrono::seconds>(left);
    timespec wait{static_cast<time_t>(seconds.count()),
                  static_cast<long>((left - seconds).count())};
    int signal = sigtimedwait(&stop_signals, nullptr, &wait);
    if (signal == SIGINT || signal == SIGTERM) {
      control.OnStop();
      return 0;
    }
    if (signal < 0 && errno == EAGAIN) {
      ui.TimerFired();
      control.OnTimer(mirte::kPollTimerId);
    }
  }
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  std::string command = argc == 2 ? argv[1] : "";
  if (command == "--help" || command == "-h") {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (command != "check" && command != "run") {
    std::fputs(kUsage, stderr);
    return 2;
  }
  mirte::CliUiPort ui;
  mirte::CPenwickDoc doc(ui);
  doc.OnNewDocument();
  mirte::NMailLibrary library;
  mirte::CAutoReplyControl control(doc, library, ui);
  return command == "check" ? Check(control) : Run(control, ui);
}
