#include "text_guard.h"

#include <QtCore/QTimer>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QPlainTextEdit>

#include "message_box.h"
#include "qt_text.h"

namespace mirte {

std::string Cp932WithCrLf(const QString& text, bool* lossless) {
  QString crlf = text;
  crlf.replace("\r\n", "\n").replace('\n', "\r\n");
  return ToCp932(crlf, lossless);
}

TextGuard::TextGuard(QLineEdit* edit, size_t limit, Check check, QString check_message)
    : QObject(edit), line_(edit), limit_(limit), check_(std::move(check)),
      check_message_(std::move(check_message)) {
  connect(edit, &QLineEdit::textChanged, this, [this] { Changed(); });
}

TextGuard::TextGuard(QPlainTextEdit* edit, size_t limit)
    : QObject(edit), text_(edit), limit_(limit) {
  connect(edit, &QPlainTextEdit::textChanged, this, [this] { Changed(); });
}

QString TextGuard::Text() const { return line_ ? line_->text() : text_->toPlainText(); }

std::string TextGuard::Cp932Text() const {
  return Cp932WithCrLf(Text());
}

void TextGuard::SetCp932Text(const std::string& cp932) {
  restoring_ = true;
  QString text = FromCp932(cp932);
  if (line_) {
    line_->setText(text);
  } else {
    text_->setPlainText(QString(text).replace("\r\n", "\n"));
  }
  accepted_ = Text();
  accepted_bytes_ = Cp932WithCrLf(accepted_).size();
  restoring_ = false;
}

void TextGuard::Restore() {
  restoring_ = true;
  if (line_) {
    int cursor = line_->cursorPosition();
    line_->setText(accepted_);
    line_->setCursorPosition(std::min<int>(cursor, accepted_.size()));
  } else {
    QTextCursor cursor = text_->textCursor();
    int position = cursor.position();
    text_->setPlainText(accepted_);
    cursor = text_->textCursor();
    cursor.setPosition(std::min<int>(position, accepted_.size()));
    text_->setTextCursor(cursor);
  }
  restoring_ = false;
}

void TextGuard::Changed() {
  if (restoring_) return;
  QString text = Text();
  bool lossless = true;
  std::string cp932 = Cp932WithCrLf(text, &lossless);
  QString message;
  if (!lossless) {
    message = QString::fromUtf8(
        "この文字は使えません。Shift_JIS（CP932）で表せる文字だけを入力してください。");
  } else if (check_ && !check_(cp932)) {
    message = check_message_;
  } else if (limit_ > 0 && cp932.size() > limit_ &&
             cp932.size() > accepted_bytes_) {
    // Past the limit the field takes nothing more, as the toolkit's limit
    // does (silently).
    Restore();
    return;
  }
  if (message.isEmpty()) {
    accepted_ = text;
    accepted_bytes_ = cp932.size();
    return;
  }
  Restore();
  QWidget* parent = line_ ? static_cast<QWidget*>(line_) : text_;
  // After the edit has finished: a box inside the field's change signal
  // would interrupt the toolkit's own work on the field.
  QTimer::singleShot(0, parent, [parent, message] { ShowToolkitMessage(parent->window(), message); });
}

}  // namespace mirte
