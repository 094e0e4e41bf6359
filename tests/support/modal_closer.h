// Closes the message boxes and dialogs that the code under test opens, and
// records what they said. Qt runs them modally; a timer looks for them.
#pragma once

#include <QtCore/QObject>
#include <QtCore/QTimer>
#include <QtWidgets/QMessageBox>

#include <functional>
#include <string>
#include <vector>

namespace mirte::testing {

class ModalCloser : public QObject {
 public:
  struct Box {
    std::string caption;  // UTF-8
    std::string text;
    QMessageBox::Icon icon;
  };

  ModalCloser();
  std::vector<Box> boxes;
  // Called with each message box before it is closed.
  std::function<void(const Box&)> on_box;
  // Called with any other modal window (a dialog); it must close it.
  std::function<void(QWidget*)> on_dialog;

  std::vector<std::string> Texts() const;

 private:
  void Look();
  QTimer timer_;
};

}  // namespace mirte::testing
