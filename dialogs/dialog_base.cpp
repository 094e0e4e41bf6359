#include "dialog_base.h"

#include <QtGui/QKeyEvent>
#include <QtWidgets/QCheckBox>
#include <QtWidgets/QLabel>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QPlainTextEdit>
#include <QtWidgets/QPushButton>

#include "message_box.h"

namespace mirte {

DialogBase::DialogBase(const char* caption, int width, int height, QColor colour,
                       int point_size) {
  setWindowTitle(QString::fromUtf8(caption));
  // "MS Shell Dlg" at 8 points: IPA's proportional Gothic is the closest,
  // and its narrow kana fit the labels as the original font's do.
  // Its glyphs are large for their size: a pixel size of the point size
  // plus two matches the original's text widths best.
  QFont dialog_font("IPAPGothic");
  dialog_font.setPixelSize(point_size + 2);
  setFont(dialog_font);
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);
  // A horizontal dialog unit is a quarter of the font's average character
  // width, a vertical one an eighth of its height. Japanese fonts on
  // Windows have half a full-width character as their average width; the
  // layout counts on that.
  QFontMetrics metrics(font());
  base_units_ = QSize(std::max(metrics.averageCharWidth(),
                               (metrics.horizontalAdvance(QString::fromUtf8("あ")) + 1) / 2),
                      metrics.height());
  setFixedSize(width * base_units_.width() / 4, height * base_units_.height() / 8);
  if (colour.isValid()) {
    // The colour rule: the dialog's colour behind labels, group boxes and
    // check boxes (they draw no background of their own), white fields.
    QPalette p = palette();
    p.setColor(QPalette::Window, colour);
    p.setColor(QPalette::Base, Qt::white);
    setPalette(p);
    setAutoFillBackground(true);
  }
}

int DialogBase::DoModal() { return exec() == IDOK ? IDOK : IDCANCEL; }

void DialogBase::OnOK() {
  if (StoreFields()) done(IDOK);
}

void DialogBase::Place(QWidget* widget, int x, int y, int width, int height) {
  const int u = base_units_.width(), v = base_units_.height();
  widget->setGeometry(x * u / 4, y * v / 8, width * u / 4, height * v / 8);
}

QPushButton* DialogBase::AddButton(const char* text, int x, int y, int w, int h,
                                   bool is_default) {
  auto* button = new QPushButton(QString::fromUtf8(text), this);
  button->setAutoDefault(false);
  button->setDefault(is_default);
  // Buttons keep the toolkit's own colours.
  button->setPalette(QPalette());
  Place(button, x, y, w, h);
  return button;
}

QLineEdit* DialogBase::AddLineEdit(int x, int y, int w, int h) {
  auto* edit = new QLineEdit(this);
  Place(edit, x, y, w, h);
  return edit;
}

QCheckBox* DialogBase::AddCheckBox(const char* text, int x, int y, int w, int h) {
  auto* box = new QCheckBox(QString::fromUtf8(text), this);
  Place(box, x, y, w, h);
  if (box->sizeHint().width() > box->width()) box->resize(box->sizeHint().width(), box->height());
  return box;
}

void DialogBase::AddLabel(const char* text, int x, int y, int w, int h) {
  auto* label = new QLabel(QString::fromUtf8(text), this);
  label->setTextFormat(Qt::PlainText);
  Place(label, x, y, w, h);
  // This font's kana are wider than the original's: a label may run on
  // under the field beside it rather than lose its last characters.
  if (label->sizeHint().width() > label->width()) {
    label->resize(label->sizeHint().width(), label->height());
  }
  label->lower();
}

bool DialogBase::CheckLength(QWidget* field, const std::string& cp932, size_t limit) {
  if (cp932.size() <= limit) return true;
  return Fail(field, QString("Please enter no more than %1 characters.").arg(limit));
}

bool DialogBase::Fail(QWidget* field, const QString& message) {
  ShowToolkitMessage(this, message);
  field->setFocus();
  if (auto* edit = qobject_cast<QLineEdit*>(field)) edit->selectAll();
  if (auto* text = qobject_cast<QPlainTextEdit*>(field)) text->selectAll();
  return false;
}

void DialogBase::LoadCheck(QCheckBox* box, int32_t& flag) {
  if (flag < 0 || flag > 2) flag = 0;
  box->setChecked(flag != 0);
}

int32_t DialogBase::StoreCheck(const QCheckBox* box) { return box->isChecked() ? 1 : 0; }

void DialogBase::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    // Enter presses the button that has the focus, and is the OK command
    // anywhere else (a multi-line field keeps it for itself).
    if (auto* button = qobject_cast<QPushButton*>(focusWidget())) {
      button->click();
    } else {
      OnOK();
    }
    return;
  }
  if (event->key() == Qt::Key_Escape) {
    OnCancel();
    return;
  }
  QDialog::keyPressEvent(event);
}

}  // namespace mirte
