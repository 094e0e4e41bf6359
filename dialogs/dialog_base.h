// What the program's dialogs share: layout in dialog units, the settings
// dialogs' colour rule, the Enter key, and the checks of data exchange with
// the toolkit's standard messages.
#pragma once

#include <QtWidgets/QDialog>

#include <cstdint>
#include <string>

class QCheckBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace mirte {

class DialogBase : public QDialog {
  Q_OBJECT

 public:
  // Results of DoModal.
  static constexpr int IDOK = 1;
  static constexpr int IDCANCEL = 2;

  // Shows the dialog modally: IDOK when it was accepted and every field
  // passed its check, IDCANCEL otherwise.
  int DoModal();

  // The OK command: data exchange in the storing direction; the dialog
  // closes with IDOK when every check passes.
  virtual void OnOK();
  void OnCancel() { done(IDCANCEL); }

 protected:
  // `width` x `height` dialog units, in `caption`. `colour` is the settings
  // dialog's own colour; an invalid colour keeps the toolkit's.
  DialogBase(const char* caption, int width, int height, QColor colour, int point_size = 8);

  // Stores the fields into the members; false (after the message, with the
  // failing field focused and selected) when a check fails.
  virtual bool StoreFields() = 0;

  // Places `widget` at `x`, `y` with `width` x `height`, all in dialog
  // units.
  void Place(QWidget* widget, int x, int y, int width, int height);
  QPushButton* AddButton(const char* text, int x, int y, int w, int h, bool is_default);
  QLineEdit* AddLineEdit(int x, int y, int w, int h);
  QCheckBox* AddCheckBox(const char* text, int x, int y, int w, int h);
  void AddLabel(const char* text, int x, int y, int w, int h);

  // The check of a text field's length in CP932 bytes: on failure the
  // toolkit's too-long message.
  bool CheckLength(QWidget* field, const std::string& cp932, size_t limit);
  // Shows `message` as the toolkit's warning and focuses `field` with its
  // whole text selected. Returns false.
  bool Fail(QWidget* field, const QString& message);

  // Check boxes from and to the document's on/off values: 0 off, 1 and 2
  // on; any other value is reset to 0 and shown off.
  static void LoadCheck(QCheckBox* box, int32_t& flag);
  static int32_t StoreCheck(const QCheckBox* box);

  void keyPressEvent(QKeyEvent* event) override;

 private:
  QSize base_units_;
};

}  // namespace mirte
