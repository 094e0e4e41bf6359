// Guards a text field as the settings file needs it: text that CP932 cannot
// hold is refused as it is typed or pasted (with a message), as is growth
// beyond a limit in CP932 bytes. A longer text put in by the program stays
// until the user edits it, and may then only get shorter. An extra check
// can refuse further texts (with its own message).
#pragma once

#include <QtCore/QObject>
#include <QtCore/QString>

#include <functional>
#include <string>

class QLineEdit;
class QPlainTextEdit;

namespace mirte {

class TextGuard : public QObject {
 public:
  using Check = std::function<bool(const std::string& cp932)>;

  // `limit` 0: no limit. `multi_line`: line breaks count as CR LF.
  TextGuard(QLineEdit* edit, size_t limit, Check check = {}, QString check_message = {});
  TextGuard(QPlainTextEdit* edit, size_t limit);

  // The field's text as CP932 (line breaks as CR LF).
  std::string Cp932Text() const;
  // Puts `cp932` into the field, whatever its length.
  void SetCp932Text(const std::string& cp932);

 private:
  void Changed();
  QString Text() const;
  void Restore();

  QLineEdit* line_ = nullptr;
  QPlainTextEdit* text_ = nullptr;
  size_t limit_;
  Check check_;
  QString check_message_;
  QString accepted_;            // the last text that passed
  size_t accepted_bytes_ = 0;   // its length in CP932 bytes
  bool restoring_ = false;
};

// A field's text as CP932 with CR LF line breaks; `lossless`, when given,
// tells whether every character had a CP932 form.
std::string Cp932WithCrLf(const QString& text, bool* lossless = nullptr);

}  // namespace mirte
