#include "main_frame.h"

#include <QtCore/QEvent>
#include <QtCore/QTimer>
#include <QtGui/QActionGroup>
#include <QtGui/QPainter>
#include <QtWidgets/QLabel>
#include <QtWidgets/QMenuBar>
#include <QtWidgets/QStatusBar>
#include <QtWidgets/QToolBar>
#include <QtWidgets/QToolButton>

#include "key_state.h"
#include "penwick_view.h"
#include "qt_text.h"
#include "string_table.h"

namespace mirte {

namespace {

struct MenuItem {
  int id;
  const char* text;
};

struct Popup {
  const char* text;
  std::vector<MenuItem> items;
};

const Popup kMenu[] = {
    {"ファイル(&F)", {{ID_APP_EXIT, "アプリケーションの終了(&X)"}}},
    {"自動返信",
     {{kCmdRun, "自動返信実行(&X)"}, {kCmdStop, "自動返信停止(&S)"}, {kCmdCheckNow, "受信問い合わせ(&I)"}}},
    {"表示(&V)", {{ID_VIEW_TOOLBAR, "ツール バー(&T)"}, {ID_VIEW_STATUS_BAR, "ステータス バー(&S)"}}},
    {"設定(&S)",
     {{kCmdAccountSettings, "アカウント設定(&A)"},
      {kCmdAutoReplySettings, "自動返信設定(&M)"},
      {kCmdSendConditionSettings, "送信条件設定(&S)"},
      {kCmdOptionSettings, "オプション設定(&O)"}}},
    {"ヘルプ(&H)", {{ID_APP_ABOUT, "バージョン情報 ミルテ(&A)..."}}},
};

struct Accelerator {
  int id;
  QKeySequence keys;
};

const Accelerator kAccelerators[] = {
    {ID_FILE_NEW, QKeySequence(Qt::CTRL | Qt::Key_N)},
    {ID_FILE_OPEN, QKeySequence(Qt::CTRL | Qt::Key_O)},
    {ID_FILE_SAVE, QKeySequence(Qt::CTRL | Qt::Key_S)},
    {ID_EDIT_UNDO, QKeySequence(Qt::CTRL | Qt::Key_Z)},
    {ID_EDIT_CUT, QKeySequence(Qt::CTRL | Qt::Key_X)},
    {ID_EDIT_COPY, QKeySequence(Qt::CTRL | Qt::Key_C)},
    {ID_EDIT_PASTE, QKeySequence(Qt::CTRL | Qt::Key_V)},
    {ID_EDIT_UNDO, QKeySequence(Qt::ALT | Qt::Key_Backspace)},
    {ID_EDIT_CUT, QKeySequence(Qt::SHIFT | Qt::Key_Delete)},
    {ID_EDIT_COPY, QKeySequence(Qt::CTRL | Qt::Key_Insert)},
    {ID_EDIT_PASTE, QKeySequence(Qt::SHIFT | Qt::Key_Insert)},
    {ID_NEXT_PANE, QKeySequence(Qt::Key_F6)},
    {ID_PREV_PANE, QKeySequence(Qt::SHIFT | Qt::Key_F6)},
};

// The bar's gripper: two raised lines at its left end. The bar itself
// stays where it is.
class Gripper : public QWidget {
 public:
  Gripper() { setFixedSize(6, 18); }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    for (int x : {1, 4}) {
      p.setPen(palette().color(QPalette::Light));
      p.drawLine(x, 2, x, height() - 3);
      p.setPen(palette().color(QPalette::Dark));
      p.drawLine(x + 1, 2, x + 1, height() - 3);
    }
  }
};

QIcon ToolbarIcon(const QImage& strip, int index) {
  QImage image = strip.copy(index * 16, 0, 16, 15).convertToFormat(QImage::Format_ARGB32);
  // The strip's light grey is the bar's own face.
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (image.pixel(x, y) == qRgb(192, 192, 192)) image.setPixel(x, y, qRgba(0, 0, 0, 0));
    }
  }
  return QIcon(QPixmap::fromImage(image));
}

}  // namespace

CMainFrame::CMainFrame(CPenwickView* view) : m_view(view) {
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint);
  setWindowIcon(QIcon(":/images/icon.png"));
  setCentralWidget(view);
  CreateMenus();
  CreateAccelerators();
  CreateToolBar();
  CreateStatusBar();
  SetHandler(ID_APP_EXIT, [this] { close(); });
  SetHandler(ID_VIEW_TOOLBAR, [this] { m_wndToolBar->setHidden(!m_wndToolBar->isHidden()); });
  SetHandler(ID_VIEW_STATUS_BAR, [this] { statusBar()->setHidden(!statusBar()->isHidden()); });
  SetHandler(kCmdRun, [view] { view->OnRun(); });
  SetHandler(kCmdStop, [view] { view->OnStop(); });
  SetHandler(kCmdCheckNow, [view] { view->OnCheckNow(); });
  SetHandler(kCmdAccountSettings, [view] { view->OnAccountSettings(); });
  SetHandler(kCmdAutoReplySettings, [view] { view->OnAutoReplySettings(); });
  SetHandler(kCmdSendConditionSettings, [view] { view->OnSendConditionSettings(); });
  SetHandler(kCmdOptionSettings, [view] { view->OnOptionSettings(); });
  connect(view, &CPenwickView::stateChanged, this, &CMainFrame::UpdateCommandUI);
  resize(kOuterSize);
  UpdateCommandUI();
}

QAction* CMainFrame::MakeAction(int id, const QString& text) {
  auto it = m_actions.find(id);
  if (it != m_actions.end()) return it->second;
  auto* action = new QAction(text, this);
  std::string prompt = CommandPrompt(static_cast<unsigned>(id));
  if (!prompt.empty()) action->setStatusTip(FromCp932(prompt));
  connect(action, &QAction::triggered, this, [this, id] {
    if (!IsEnabled(id)) return;
    auto handler = m_handlers.find(id);
    if (handler != m_handlers.end()) handler->second();
    UpdateCommandUI();
  });
  m_actions[id] = action;
  return action;
}

void CMainFrame::CreateMenus() {
  // Five menus fit the narrow frame only with tight items.
  menuBar()->setStyleSheet("QMenuBar::item { padding: 2px 3px; }");
  for (const Popup& popup : kMenu) {
    QMenu* menu = menuBar()->addMenu(QString::fromUtf8(popup.text));
    for (const MenuItem& item : popup.items) {
      menu->addAction(MakeAction(item.id, QString::fromUtf8(item.text)));
    }
    connect(menu, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandUI);
  }
  for (int id : {ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR}) action(id)->setCheckable(true);
}

void CMainFrame::CreateAccelerators() {
  for (const Accelerator& a : kAccelerators) {
    QAction* act = MakeAction(a.id, QString());
    QList<QKeySequence> keys = act->shortcuts();
    keys.append(a.keys);
    act->setShortcuts(keys);
    act->setShortcutContext(Qt::WindowShortcut);
    addAction(act);
  }
}

void CMainFrame::CreateToolBar() {
  m_wndToolBar = new QToolBar(this);
  m_wndToolBar->setObjectName("toolbar");
  m_wndToolBar->setMovable(false);
  m_wndToolBar->setFloatable(false);
  m_wndToolBar->setIconSize(QSize(16, 15));
  m_wndToolBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
  m_wndToolBar->setContextMenuPolicy(Qt::PreventContextMenu);
  addToolBar(Qt::TopToolBarArea, m_wndToolBar);
  m_wndToolBar->addWidget(new Gripper);
  QImage strip(":/images/toolbar.png");
  const std::pair<int, int> buttons[] = {{kCmdRun, 0}, {kCmdStop, 1}, {-1, -1}, {ID_APP_ABOUT, 2}};
  for (auto [id, image] : buttons) {
    if (id < 0) {
      m_wndToolBar->addSeparator();
      continue;
    }
    QAction* act = action(id);
    act->setIcon(ToolbarIcon(strip, image));
    m_wndToolBar->addAction(act);
    std::string tooltip = CommandTooltip(static_cast<unsigned>(id));
    // Only a command whose text has a tooltip part shows one.
    if (tooltip.empty()) {
      m_wndToolBar->widgetForAction(act)->installEventFilter(this);
    } else {
      act->setToolTip(FromCp932(tooltip));
    }
  }
  connect(m_wndToolBar, &QToolBar::visibilityChanged, this, &CMainFrame::UpdateCommandUI);
}

void CMainFrame::CreateStatusBar() {
  QStatusBar* bar = statusBar();
  bar->setSizeGripEnabled(false);
  // The idle text is a normal widget: prompts cover it while they show.
  bar->addWidget(new QLabel(LoadQString(AFX_IDS_IDLEMESSAGE)), 1);
  for (int id : {ID_INDICATOR_CAPS, ID_INDICATOR_NUM, ID_INDICATOR_SCRL}) {
    auto* label = new QLabel;
    label->setFrameShape(QFrame::Panel);
    label->setFrameShadow(QFrame::Sunken);
    label->setAlignment(Qt::AlignCenter);
    label->setMinimumWidth(label->fontMetrics().horizontalAdvance(LoadQString(id)) + 8);
    bar->addPermanentWidget(label);
    m_indicators[id] = label;
  }
  auto* poll = new QTimer(this);
  connect(poll, &QTimer::timeout, this, &CMainFrame::UpdateIndicators);
  poll->start(250);
  UpdateIndicators();
}

void CMainFrame::UpdateIndicators() {
  LockKeys keys = ReadLockKeys();
  m_indicators[ID_INDICATOR_CAPS]->setText(keys.caps ? LoadQString(ID_INDICATOR_CAPS) : QString());
  m_indicators[ID_INDICATOR_NUM]->setText(keys.num ? LoadQString(ID_INDICATOR_NUM) : QString());
  m_indicators[ID_INDICATOR_SCRL]->setText(keys.scroll ? LoadQString(ID_INDICATOR_SCRL) : QString());
}

QLabel* CMainFrame::indicator(int id) const {
  auto it = m_indicators.find(id);
  return it == m_indicators.end() ? nullptr : it->second;
}

QAction* CMainFrame::action(int id) const {
  auto it = m_actions.find(id);
  return it == m_actions.end() ? nullptr : it->second;
}

void CMainFrame::SetHandler(int id, std::function<void()> handler) {
  m_handlers[id] = std::move(handler);
  UpdateCommandUI();
}

bool CMainFrame::IsEnabled(int id) const {
  return m_handlers.count(id) > 0 && m_view->IsCommandEnabled(id);
}

void CMainFrame::UpdateCommandUI() {
  for (auto& [id, act] : m_actions) act->setEnabled(IsEnabled(id));
  if (m_wndToolBar) action(ID_VIEW_TOOLBAR)->setChecked(!m_wndToolBar->isHidden());
  action(ID_VIEW_STATUS_BAR)->setChecked(!statusBar()->isHidden());
}

void CMainFrame::FixOuterSize() {
  QSize frame = frameGeometry().size() - geometry().size();
  setFixedSize(kOuterSize - frame);
}

void CMainFrame::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  FixOuterSize();
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::ToolTip) return true;
  return QMainWindow::eventFilter(watched, event);
}

}  // namespace mirte
