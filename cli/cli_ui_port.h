// The engine's UI port for a terminal: messages go to standard error in
// UTF-8, the polling timer is a deadline that the main loop waits for.
#pragma once

#include <chrono>
#include <optional>

#include "ui_port.h"

namespace mirte {

class CliUiPort : public UiPort {
 public:
  using Clock = std::chrono::steady_clock;

  void ShowMessage(const std::string& text, MessageIcon icon) override;
  void BeginWaitCursor() override {}
  void EndWaitCursor() override {}
  uint32_t SetTimer(uint32_t id, uint32_t period_ms) override;
  void KillTimer(uint32_t id) override;
  void DrawStatus(int) override {}

  // When the running timer next fires; none when no timer runs.
  std::optional<Clock::time_point> NextTick() const { return next_tick_; }
  // Called when the timer has fired: the next tick is one period later.
  void TimerFired();

 private:
  uint32_t timer_id_ = 0;
  std::chrono::milliseconds period_{0};
  std::optional<Clock::time_point> next_tick_;
};

}  // namespace mirte
