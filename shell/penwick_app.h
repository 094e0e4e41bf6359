// CPenwickApp: the application's start-up, the framework's document commands
// (new, open, save) and the recent-file list.
#pragma once

#include <QtCore/QObject>
#include <QtCore/QString>

#include <memory>

#include "mail_library.h"
#include "message_box.h"
#include "penwick_doc.h"
#include "recent_files.h"

namespace mirte {

class CMainFrame;
class CPenwickView;

class CPenwickApp : public QObject {
  Q_OBJECT

 public:
  // `library` must outlive the application.
  explicit CPenwickApp(MailLibrary& library);
  ~CPenwickApp() override;

  // Start-up: the profile, the document, frame and view, the command line
  // (`arguments` without the program's name: none, or a file to open as the
  // document), the window shown and painted, the title. False when the
  // program is to end.
  bool InitInstance(const QStringList& arguments);

  // The about box (command 57664); it can be opened while automatic reply
  // runs.
  void OnAbout();

  // The framework's document commands.
  void OnFileNew();
  void OnFileOpen();
  void OnFileSave();
  // Reads `path` into the document in its current mode. False (after a
  // message) when it could not be opened.
  bool OpenDocumentFile(const QString& path);

  CPenwickDoc& document() { return m_doc; }
  CMainFrame* frame() const { return m_frame.get(); }
  CPenwickView* view() const { return m_view; }
  const RecentFiles& recent_files() const { return m_recent; }

 private:
  // "Penwick - " and the document's title.
  void UpdateFrameTitle();
  bool SaveDocumentAs(const QString& path);

  QtMessagePort m_port;
  CPenwickDoc m_doc;
  MailLibrary& m_library;
  std::unique_ptr<CMainFrame> m_frame;
  CPenwickView* m_view = nullptr;
  RecentFiles m_recent;
  QString m_path;  // the document's file, once opened or saved under a name
};

}  // namespace mirte
