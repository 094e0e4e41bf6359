#include "modal_closer.h"

#include <QtWidgets/QApplication>
#include <QtWidgets/QDialog>

namespace mirte::testing {

ModalCloser::ModalCloser() {
  QObject::connect(&timer_, &QTimer::timeout, this, [this] { Look(); });
  timer_.start(10);
}

void ModalCloser::Look() {
  QWidget* modal = QApplication::activeModalWidget();
  if (modal == nullptr) return;
  if (auto* box = qobject_cast<QMessageBox*>(modal)) {
    Box b{box->windowTitle().toStdString(), box->text().toStdString(), box->icon()};
    boxes.push_back(b);
    if (on_box) on_box(b);
    box->accept();
    return;
  }
  if (on_dialog) {
    on_dialog(modal);
  } else if (auto* dialog = qobject_cast<QDialog*>(modal)) {
    dialog->reject();
  }
}

std::vector<std::string> ModalCloser::Texts() const {
  std::vector<std::string> texts;
  for (const Box& b : boxes) texts.push_back(b.text);
  return texts;
}

}  // namespace mirte::testing
