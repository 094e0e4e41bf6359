// CPenwickView: the window inside the main frame that shows whether
// automatic reply runs, owns the polling timer, and receives the program's
// commands. It is the desktop's side of the engine's UI port.
#pragma once

#include <QtCore/QTimer>
#include <QtGui/QImage>
#include <QtWidgets/QWidget>

#include "auto_reply_control.h"
#include "mail_library.h"
#include "penwick_doc.h"
#include "ui_port.h"

namespace mirte {

class CPenwickView : public QWidget, public UiPort {
  Q_OBJECT

 public:
  static constexpr QRgb kBackground = qRgb(255, 255, 245);

  CPenwickView(CPenwickDoc& doc, MailLibrary& library, QWidget* parent = nullptr);

  CPenwickDoc* GetDocument() { return &m_doc; }
  CAutoReplyControl& control() { return m_control; }

  // After the document was initialised or opened: the background (made
  // once), then a repaint.
  void OnInitialUpdate();

  // Commands.
  void OnRun();
  void OnStop();
  void OnCheckNow();
  // The settings commands: each copies its fields into its dialog and, on
  // OK, back into the document, which is then saved to "MyData.dat".
  void OnAccountSettings();
  void OnAutoReplySettings();
  void OnSendConditionSettings();
  void OnOptionSettings();
  // A tick of the polling timer.
  void OnTimer(uint32_t id);
  // A settings dialog was confirmed: paints may start automatic reply again.
  void SettingsChanged() { m_control.ResumeAutoStart(); }
  bool IsCommandEnabled(int id) const { return m_control.IsCommandEnabled(id); }

  // The picture as it stands, and the polling timer, for tests.
  const QImage& canvas() const { return m_canvas; }
  const QTimer& poll_timer() const { return m_timer; }

  // UiPort.
  void ShowMessage(const std::string& text, MessageIcon icon) override;
  void BeginWaitCursor() override;
  void EndWaitCursor() override;
  uint32_t SetTimer(uint32_t id, uint32_t period_ms) override;
  void KillTimer(uint32_t id) override;
  void DrawStatus(int running) override;

 signals:
  // The running state may have changed: command states need a look.
  void stateChanged();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void OnDraw();
  void CopyStatusPicture(int running);

  CPenwickDoc& m_doc;
  CAutoReplyControl m_control;
  QTimer m_timer;
  QImage m_canvas;  // what the window shows; the picture is copied into it
  bool m_bBackgroundMade = false;
  bool m_bDrawingStatus = false;  // a repaint of DrawStatus, not a paint
  bool m_bRunQueued = false;
};

}  // namespace mirte
