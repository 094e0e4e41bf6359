// The one way the stored state reports a failure to the person using the
// program: a modal message box with an OK button, captioned with the
// application's name. The desktop application shows real boxes; tests and the
// command-line driver record or print the texts.
#pragma once

#include <string>

namespace mirte {

enum class MessageIcon { kWarning, kError };

class MessagePort {
 public:
  virtual ~MessagePort() = default;
  // Shows `text` (CP932) and returns when the person has closed the box.
  virtual void ShowMessage(const std::string& text, MessageIcon icon) = 0;
};

}  // namespace mirte
