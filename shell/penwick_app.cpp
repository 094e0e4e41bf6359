#include "penwick_app.h"

#include <QtCore/QFileInfo>
#include <QtWidgets/QFileDialog>

#include "about_dlg.h"
#include "main_frame.h"
#include "penwick_view.h"
#include "qt_text.h"
#include "string_table.h"

// The pictures are compiled into a static library: their registration is
// called by name, from outside any namespace.
static void InitPictures() { Q_INIT_RESOURCE(pictures); }

namespace mirte {

namespace {

const char kAllFiles[] = "All Files (*.*)";

// The template's window title: the first field of string 128.
QString TemplateTitle() {
  return LoadQString(IDR_MAINFRAME).section('\n', 0, 0);
}

QString ChooseFile(QWidget* parent, bool save, const QString& proposal) {
  QFileDialog dialog(parent, save ? "Save As" : "Open");
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setNameFilter(kAllFiles);
  dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  if (!proposal.isEmpty()) dialog.selectFile(proposal);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return QString();
  return dialog.selectedFiles().first();
}

}  // namespace

CPenwickApp::CPenwickApp(MailLibrary& library) : m_doc(m_port), m_library(library) {
  InitPictures();
}

CPenwickApp::~CPenwickApp() {
  m_recent.Save();
}

bool CPenwickApp::InitInstance(const QStringList& arguments) {
  m_recent.Load();
  m_view = new CPenwickView(m_doc, m_library);
  m_frame = std::make_unique<CMainFrame>(m_view);
  m_port.set_parent(m_frame.get());
  m_frame->SetHandler(ID_APP_ABOUT, [this] { OnAbout(); });
  m_frame->SetHandler(ID_FILE_NEW, [this] { OnFileNew(); });
  m_frame->SetHandler(ID_FILE_OPEN, [this] { OnFileOpen(); });
  m_frame->SetHandler(ID_FILE_SAVE, [this] { OnFileSave(); });

  if (arguments.size() == 1) {
    if (!OpenDocumentFile(arguments.first())) return false;
    m_doc.LoadRecordsOnce();
  } else {
    m_doc.OnNewDocument();
    UpdateFrameTitle();
    m_view->OnInitialUpdate();
  }
  m_frame->show();
  m_view->repaint();
  m_frame->setWindowTitle(LoadQString(IDS_APP_TITLE));
  return true;
}

void CPenwickApp::UpdateFrameTitle() {
  m_frame->setWindowTitle(TemplateTitle() + " - " + FromCp932(m_doc.GetTitle()));
}

void CPenwickApp::OnAbout() {
  CAboutDlg dlg;
  dlg.DoModal();
}

void CPenwickApp::OnFileNew() {
  m_path.clear();
  m_doc.OnNewDocument();
  UpdateFrameTitle();
  m_view->OnInitialUpdate();
}

bool CPenwickApp::OpenDocumentFile(const QString& path) {
  switch (m_doc.ReadDocument(QFile::encodeName(path).toStdString())) {
    case CPenwickDoc::FileResult::kCannotOpen:
      ShowToolkitMessage(m_frame.get(), "Failed to open document.");
      return false;
    case CPenwickDoc::FileResult::kBadContent:
      ShowToolkitMessage(m_frame.get(), "Unexpected file format.");
      OnFileNew();
      return true;
    case CPenwickDoc::FileResult::kDone:
      break;
  }
  m_path = path;
  m_doc.SetTitle(ToCp932(QFileInfo(path).fileName()));
  m_recent.Add(QFileInfo(path).absoluteFilePath());
  UpdateFrameTitle();
  m_view->OnInitialUpdate();
  return true;
}

void CPenwickApp::OnFileOpen() {
  QString path = ChooseFile(m_frame.get(), false, QString());
  if (!path.isEmpty()) OpenDocumentFile(path);
}

bool CPenwickApp::SaveDocumentAs(const QString& path) {
  if (m_doc.WriteDocument(QFile::encodeName(path).toStdString()) !=
      CPenwickDoc::FileResult::kDone) {
    ShowToolkitMessage(m_frame.get(), "Failed to save document.");
    return false;
  }
  if (path != m_path) {
    m_path = path;
    m_doc.SetTitle(ToCp932(QFileInfo(path).fileName()));
    m_recent.Add(QFileInfo(path).absoluteFilePath());
    UpdateFrameTitle();
  }
  return true;
}

void CPenwickApp::OnFileSave() {
  QString path = m_path;
  if (path.isEmpty()) path = ChooseFile(m_frame.get(), true, FromCp932(m_doc.GetTitle()));
  if (!path.isEmpty()) SaveDocumentAs(path);
}

}  // namespace mirte
