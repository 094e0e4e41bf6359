#include "recording_ui_port.h"

#include "text_codec.h"

namespace mirte::testing {

void RecordingUiPort::ShowMessage(const std::string& text, MessageIcon icon) {
  events.push_back(std::string("box ") + (icon == MessageIcon::kError ? "error " : "warning ") +
                   Cp932ToUtf8(text));
  if (inside_box) inside_box();
}

uint32_t RecordingUiPort::SetTimer(uint32_t id, uint32_t period_ms) {
  events.push_back("timer " + std::to_string(id) + " " + std::to_string(period_ms));
  return timer_result;
}

std::time_t RecordingUiPort::CurrentTime() {
  std::time_t t = now;
  now += tick_seconds;
  return t;
}

std::vector<std::string> RecordingUiPort::Boxes() const {
  std::vector<std::string> boxes;
  for (const auto& e : events) {
    if (e.rfind("box ", 0) == 0) boxes.push_back(e);
  }
  return boxes;
}

std::vector<std::string> LogLines() {
  std::string bytes = ReadFile("log.txt");
  std::vector<std::string> lines;
  size_t pos = 0;
  while (pos < bytes.size()) {
    size_t end = bytes.find("\r\n", pos);
    if (end == std::string::npos) end = bytes.size();
    lines.push_back(Cp932ToUtf8(bytes.substr(pos, end - pos)));
    pos = end + 2;
  }
  return lines;
}

}  // namespace mirte::testing
