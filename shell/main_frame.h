// CMainFrame: the main window, 320 x 220 pixels and not resizable, with
// menu 128, the accelerators, the toolbar and the status bar. It handles no
// command of the program itself: each goes to the handler registered for
// its number, and a command without one is disabled.
#pragma once

#include <QtWidgets/QMainWindow>

#include <functional>
#include <map>

class QLabel;
class QToolBar;

namespace mirte {

class CPenwickView;

// Command numbers of the framework.
enum FrameworkCommand : int {
  ID_FILE_NEW = 57600,
  ID_FILE_OPEN = 57601,
  ID_FILE_SAVE = 57603,
  ID_EDIT_COPY = 57634,
  ID_EDIT_CUT = 57635,
  ID_EDIT_PASTE = 57637,
  ID_EDIT_UNDO = 57643,
  ID_APP_ABOUT = 57664,
  ID_APP_EXIT = 57665,
  ID_NEXT_PANE = 57680,
  ID_PREV_PANE = 57681,
  ID_VIEW_TOOLBAR = 59392,
  ID_VIEW_STATUS_BAR = 59393,
};

class CMainFrame : public QMainWindow {
  Q_OBJECT

 public:
  static constexpr QSize kOuterSize{320, 220};

  explicit CMainFrame(CPenwickView* view);

  CPenwickView* view() const { return m_view; }
  // The action of command `id` (menu item, toolbar button or accelerator);
  // null when there is none.
  QAction* action(int id) const;
  // Routes command `id` to `handler`.
  void SetHandler(int id, std::function<void()> handler);
  // Re-evaluates which commands are enabled.
  void UpdateCommandUI();
  // Fixes the outer size at 320 x 220, whatever the window frame takes.
  void FixOuterSize();

  QToolBar* toolbar() const { return m_wndToolBar; }
  QLabel* indicator(int id) const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  QAction* MakeAction(int id, const QString& text);
  void CreateMenus();
  void CreateAccelerators();
  void CreateToolBar();
  void CreateStatusBar();
  void UpdateIndicators();
  bool IsEnabled(int id) const;

  CPenwickView* m_view;
  QToolBar* m_wndToolBar = nullptr;
  std::map<int, QAction*> m_actions;
  std::map<int, std::function<void()>> m_handlers;
  std::map<int, QLabel*> m_indicators;
};

}  // namespace mirte
