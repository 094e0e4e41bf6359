#include "cli_ui_port.h"

#include <cstdio>

#include "text_codec.h"

namespace mirte {

void CliUiPort::ShowMessage(const std::string& text, MessageIcon icon) {
  std::string line = Cp932ToUtf8(Cp932("ミルテ") + ": ") +
                     (icon == MessageIcon::kError ? "error: " : "warning: ") +
                     Cp932ToUtf8(text) + "\n";
  std::fputs(line.c_str(), stderr);
}

uint32_t CliUiPort::SetTimer(uint32_t id, uint32_t period_ms) {
  timer_id_ = id;
  period_ = std::chrono::milliseconds(period_ms);
  next_tick_ = Clock::now() + period_;
  return id;
}

void CliUiPort::KillTimer(uint32_t id) {
  if (id == timer_id_) next_tick_.reset();
}

void CliUiPort::TimerFired() {
  if (next_tick_) next_tick_ = Clock::now() + period_;
}

}  // namespace mirte
