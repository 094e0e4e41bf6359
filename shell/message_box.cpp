#include "message_box.h"

#include <QtWidgets/QMessageBox>

#include "qt_text.h"
#include "string_table.h"

namespace mirte {

namespace {
void Show(QWidget* parent, const QString& text, QMessageBox::Icon icon) {
  QMessageBox box(icon, LoadQString(AFX_IDS_APP_TITLE), text, QMessageBox::Ok, parent);
  box.exec();
}
}  // namespace

void ShowMessageBox(QWidget* parent, const std::string& text, MessageIcon icon) {
  Show(parent, FromCp932(text),
       icon == MessageIcon::kError ? QMessageBox::Critical : QMessageBox::Warning);
}

void ShowToolkitMessage(QWidget* parent, const QString& text) {
  Show(parent, text, QMessageBox::Warning);
}

}  // namespace mirte
