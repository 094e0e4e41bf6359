#include "penwick_view.h"

#include <QtGui/QPainter>
#include <QtGui/QResizeEvent>
#include <QtWidgets/QApplication>

#include "message_box.h"

namespace mirte {

namespace {
constexpr QPoint kPictureAt(175, 10);
constexpr int kBlockWidth = 128;
constexpr int kBlockHeight = 110;
constexpr int kRunningColumn = 129;
}  // namespace

CPenwickView::CPenwickView(CPenwickDoc& doc, MailLibrary& library, QWidget* parent)
    : QWidget(parent), m_doc(doc), m_control(doc, library, *this) {
  m_timer.setTimerType(Qt::CoarseTimer);
  connect(&m_timer, &QTimer::timeout, this, [this] { OnTimer(kPollTimerId); });
}

void CPenwickView::OnInitialUpdate() {
  if (!m_bBackgroundMade) {
    m_bBackgroundMade = true;
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, QColor(kBackground));
    setPalette(palette);
    setAutoFillBackground(true);
    m_canvas.fill(kBackground);
  }
  update();
}

void CPenwickView::OnRun() {
  m_control.OnRunCommand();
  emit stateChanged();
}

void CPenwickView::OnStop() {
  m_control.OnStop();
  emit stateChanged();
}

void CPenwickView::OnCheckNow() {
  m_control.OnCheckNow();
  emit stateChanged();
}

void CPenwickView::OnTimer(uint32_t id) {
  m_control.OnTimer(id);
  emit stateChanged();
}

void CPenwickView::ShowMessage(const std::string& text, MessageIcon icon) {
  ShowMessageBox(window(), text, icon);
}

void CPenwickView::BeginWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }

void CPenwickView::EndWaitCursor() { QApplication::restoreOverrideCursor(); }

uint32_t CPenwickView::SetTimer(uint32_t id, uint32_t period_ms) {
  if (period_ms == 0 || period_ms > static_cast<uint32_t>(INT32_MAX)) return 0;
  m_timer.start(static_cast<int>(period_ms));
  return m_timer.isActive() ? id : 0;
}

void CPenwickView::KillTimer(uint32_t) { m_timer.stop(); }

void CPenwickView::CopyStatusPicture(int running) {
  // Loaded anew on every call, as cheap as it is small.
  QImage picture(":/images/status.png");
  if (picture.isNull()) return;
  int column = running ? kRunningColumn : 0;
  // The block is clipped to the picture: from column 129 only 127 columns
  // exist, and the window column right of them stays as it was.
  int width = std::min(kBlockWidth, picture.width() - column);
  QPainter painter(&m_canvas);
  painter.drawImage(kPictureAt, picture, QRect(column, 0, width, kBlockHeight));
}

void CPenwickView::DrawStatus(int running) {
  CopyStatusPicture(running);
  // At once, and as a repaint of the picture alone: a paint of the window
  // would apply the auto-start rule again.
  m_bDrawingStatus = true;
  repaint(QRect(kPictureAt, QSize(kBlockWidth, kBlockHeight)));
  m_bDrawingStatus = false;
}

void CPenwickView::OnDraw() {
  CopyStatusPicture(m_control.m_bRunning);
  // The auto-start rule, on every paint. The run command it issues runs a
  // whole cycle with its message boxes, so it follows the paint instead of
  // running inside it.
  if (m_doc.GetAutoStart() != 0 && !m_bRunQueued) {
    m_bRunQueued = true;
    QTimer::singleShot(0, this, [this] {
      m_bRunQueued = false;
      m_control.OnPaintAutoStart(m_doc.GetAutoStart());
      emit stateChanged();
    });
  }
}

void CPenwickView::paintEvent(QPaintEvent* event) {
  if (!m_bDrawingStatus) OnDraw();
  QPainter painter(this);
  painter.drawImage(event->rect(), m_canvas, event->rect());
}

void CPenwickView::resizeEvent(QResizeEvent* event) {
  QImage canvas(event->size().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
  canvas.fill(m_bBackgroundMade ? kBackground : palette().color(QPalette::Window).rgb());
  if (!m_canvas.isNull()) QPainter(&canvas).drawImage(0, 0, m_canvas);
  m_canvas = canvas;
}

}  // namespace mirte
