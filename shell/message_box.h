// The program's message boxes: modal, an OK button, the application's name
// as caption.
#pragma once

#include <string>

#include "message_port.h"

#include <QtCore/QString>

class QWidget;

namespace mirte {

// Shows `text` (CP932) over `parent` and returns when it is closed.
void ShowMessageBox(QWidget* parent, const std::string& text, MessageIcon icon);

// The same for a text of the toolkit's own (UTF-8).
void ShowToolkitMessage(QWidget* parent, const QString& text);

// A message port that shows message boxes over the main window.
class QtMessagePort : public MessagePort {
 public:
  void set_parent(QWidget* parent) { parent_ = parent; }
  void ShowMessage(const std::string& text, MessageIcon icon) override {
    ShowMessageBox(parent_, text, icon);
  }

 private:
  QWidget* parent_ = nullptr;
};

}  // namespace mirte
