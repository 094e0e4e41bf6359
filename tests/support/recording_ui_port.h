// A UI port that records what the engine did to the desktop, in order, and
// a clock that tests set.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "temp_dir.h"
#include "ui_port.h"

namespace mirte::testing {

class RecordingUiPort : public UiPort {
 public:
  // Events: "wait", "ready", "timer 1 60000", "kill 1", "draw 1",
  // "box error 接続失敗" (UTF-8).
  std::vector<std::string> events;
  uint32_t timer_result = 1;
  std::time_t now = 1137287103;  // a fixed moment; tests compute stamps from it
  // Seconds added to the clock after each reading.
  int tick_seconds = 0;
  // Called inside each message box, as a nested message loop would.
  std::function<void()> inside_box;

  void ShowMessage(const std::string& text, MessageIcon icon) override;
  void BeginWaitCursor() override { events.push_back("wait"); }
  void EndWaitCursor() override { events.push_back("ready"); }
  uint32_t SetTimer(uint32_t id, uint32_t period_ms) override;
  void KillTimer(uint32_t id) override { events.push_back("kill " + std::to_string(id)); }
  void DrawStatus(int running) override { events.push_back("draw " + std::to_string(running)); }
  std::time_t CurrentTime() override;

  std::vector<std::string> Boxes() const;
};

// The lines of "log.txt" in UTF-8, without their line ends.
std::vector<std::string> LogLines();

}  // namespace mirte::testing
