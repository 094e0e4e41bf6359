// What the reply engine needs of the desktop (or of the command-line
// driver, or of a test): message boxes, the wait cursor, the one polling
// timer, the status picture, and the clock.
#pragma once

#include <cstdint>
#include <ctime>

#include "message_port.h"

namespace mirte {

class UiPort : public MessagePort {
 public:
  // Shows the busy cursor until EndWaitCursor.
  virtual void BeginWaitCursor() = 0;
  virtual void EndWaitCursor() = 0;

  // Starts (or restarts, with a new period) timer `id`; its ticks call the
  // control's OnTimer(id). Returns 0 when the timer could not be started.
  virtual uint32_t SetTimer(uint32_t id, uint32_t period_ms) = 0;
  virtual void KillTimer(uint32_t id) = 0;

  // Draws the idle picture (0) or the running one (any other value) at once.
  virtual void DrawStatus(int running) = 0;

  // The current time, for the stamps of the log lines.
  virtual std::time_t CurrentTime() { return std::time(nullptr); }
};

}  // namespace mirte
