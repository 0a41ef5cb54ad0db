#include "viewer/view_app.h"

#include <QApplication>
#include <QFileDialog>
#include <QFile>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QPageSetupDialog>
#include <algorithm>

#include "platform/qt/message_box.h"
#include "viewer/about_dlg.h"
#include "viewer/child_frame.h"
#include "viewer/main_frame.h"
#include "viewer/view_doc.h"

// The resource file lives in the static viewer library; this reference links it.
static void InitViewerResources() { Q_INIT_RESOURCE(viewer); }

namespace {

QString CanonicalPath(const QString& path) { return QFileInfo(path).canonicalFilePath(); }

}  // namespace

CZEVViewApp::CZEVViewApp() { InitViewerResources(); }

CZEVViewApp::~CZEVViewApp() {
  CloseAllDocuments();
  m_pMainFrame.reset();
  if (m_bTranslatorInstalled) QCoreApplication::removeTranslator(&m_qtTranslator);
}

QString CZEVViewApp::FileFilter() { return QStringLiteral("ZEVView Files (*.zev)"); }

bool CZEVViewApp::InitInstance(const QStringList& arguments) {
  QCoreApplication::setApplicationName(QStringLiteral("ZEVView"));
  // Qt's own dialogs (files, printing, the calendar) in Russian.
  if (m_qtTranslator.load(QStringLiteral("qtbase_ru"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    m_bTranslatorInstalled = QCoreApplication::installTranslator(&m_qtTranslator);
  m_recent.ReadList();

  m_pMainFrame = std::make_unique<CMainFrame>(this);
  if (!m_pMainFrame->OnCreate()) {
    m_pMainFrame.reset();
    return false;
  }
  if (!arguments.isEmpty() && !arguments.front().isEmpty()) {
    if (OpenDocumentFile(QFileInfo(arguments.front()).absoluteFilePath()) == nullptr) return false;
  }
  m_pMainFrame->show();
  return true;
}

std::vector<CZEVViewDoc*> CZEVViewApp::Documents() const {
  std::vector<CZEVViewDoc*> documents;
  for (const auto& document : m_documents) documents.push_back(document.get());
  return documents;
}

CZEVViewDoc* CZEVViewApp::OpenDocumentFile(const QString& path) {
  if (m_pMainFrame == nullptr || path.isEmpty()) return nullptr;
  const QString absolute = QFileInfo(path).absoluteFilePath();
  const QString canonical = CanonicalPath(absolute);
  if (!canonical.isEmpty()) {
    for (const auto& document : m_documents) {
      if (CanonicalPath(QString::fromStdString(document->GetPathName())) != canonical) continue;
      const std::vector<CChildFrame*> frames = m_pMainFrame->FramesOf(document.get());
      if (!frames.empty()) m_pMainFrame->ActivateFrame(frames.front());
      return document.get();
    }
  }

  auto document = std::make_unique<CZEVViewDoc>(m_pMainFrame.get());
  if (!document->OnOpenDocument(absolute.toStdString())) return nullptr;
  CZEVViewDoc* opened = document.get();
  m_documents.push_back(std::move(document));
  CMainFrame* frame = m_pMainFrame.get();
  connect(opened, &CZEVViewDoc::TitleChanged, frame, [frame, opened] { frame->UpdateFrameCounts(opened); });
  connect(opened, &CZEVViewDoc::PathChanged, this, [this](const QString& changed, bool add_to_mru) {
    if (add_to_mru) m_recent.Add(changed);
  });
  m_recent.Add(absolute);
  if (frame->CreateChildFrame(opened) == nullptr) {
    CloseDocument(opened);
    return nullptr;
  }
  return opened;
}

void CZEVViewApp::CloseDocument(CZEVViewDoc* document) {
  if (m_pMainFrame == nullptr) return;
  const std::vector<CChildFrame*> frames = m_pMainFrame->FramesOf(document);
  if (frames.empty()) {
    OnFrameDestroyed(document);
    return;
  }
  // The last window's end closes the document.
  for (CChildFrame* frame : frames) delete frame;
}

void CZEVViewApp::CloseAllDocuments() {
  while (!m_documents.empty()) CloseDocument(m_documents.front().get());
}

void CZEVViewApp::OnFrameDestroyed(CZEVViewDoc* document) {
  if (m_pMainFrame != nullptr && !m_pMainFrame->FramesOf(document).empty()) return;
  const auto it = std::find_if(m_documents.begin(), m_documents.end(),
                               [document](const auto& d) { return d.get() == document; });
  if (it != m_documents.end()) m_documents.erase(it);
}

void CZEVViewApp::OnFileNew() {
  // The viewer never creates a node file.
  CZEVViewDoc document(m_pMainFrame.get());
  document.OnNewDocument();
}

void CZEVViewApp::OnFileOpen() {
  const QString path =
      QFileDialog::getOpenFileName(m_pMainFrame.get(), QString::fromUtf8("Открыть"), QString(), FileFilter());
  if (!path.isEmpty()) OpenDocumentFile(path);
}

void CZEVViewApp::OnOpenRecentFile(int index) {
  if (index < 0 || index >= m_recent.GetSize()) return;
  const QString path = m_recent.paths()[index];
  if (OpenDocumentFile(path) == nullptr) m_recent.Remove(static_cast<int>(m_recent.paths().indexOf(path)));
}

void CZEVViewApp::OnFileSave(CZEVViewDoc* document) {
  if (document == nullptr) return;
  const QString path = QString::fromStdString(document->GetPathName());
  // A file without its owner's write permission counts as read-only even where
  // the user could write it anyway.
  const QFileInfo info(path);
  if (info.exists() && info.isWritable() && (info.permissions() & QFileDevice::WriteOwner)) {
    document->OnSaveDocument(path.toStdString());
    return;
  }
  // Save As: the file's content with the header of the document goes to the
  // file chosen, which the document keeps from then on.
  const QString target = QFileDialog::getSaveFileName(m_pMainFrame.get(), QString::fromUtf8("Сохранить как"),
                                                      path, FileFilter());
  if (target.isEmpty()) return;
  const QString absolute = QFileInfo(target).absoluteFilePath();
  if (CanonicalPath(absolute) != CanonicalPath(path)) {
    if (QFileInfo::exists(absolute)) QFile::remove(absolute);
    if (!QFile::copy(path, absolute)) {
      zv::ShowMessage(QString::fromUtf8("Не удается сохранить файл %1.").arg(absolute), zv::MessageIcon::kWarning);
      return;
    }
    QFile::setPermissions(absolute, QFile::permissions(absolute) | QFileDevice::WriteOwner);
  }
  if (!document->OnSaveDocument(absolute.toStdString())) return;
  // A save under the chosen name keeps the document there unless it renamed
  // the file after N and NAME.
  if (CanonicalPath(QString::fromStdString(document->GetPathName())) == CanonicalPath(path) &&
      QFileInfo::exists(absolute))
    document->SetPathName(absolute.toStdString(), true);
}

void CZEVViewApp::OnFilePrintSetup() {
  QPageSetupDialog dialog(&m_printer, m_pMainFrame.get());
  dialog.exec();
}

void CZEVViewApp::OnAppAbout() {
  CAboutDlg dialog(m_pMainFrame.get());
  dialog.exec();
}

void CZEVViewApp::OnAppExit() {
  CloseAllDocuments();
  if (m_pMainFrame != nullptr) m_pMainFrame->close();
}
