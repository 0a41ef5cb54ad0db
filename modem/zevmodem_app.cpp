#include "modem/zevmodem_app.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QIcon>
#include <QMenu>
#include <QMimeData>
#include <QUrl>

#include "modem/about_dlg.h"
#include "modem/main_frame.h"
#include "modem/modem_settings.h"
#include "modem/modem_start.h"
#include "modem/open_dialog.h"
#include "modem/shared_data_ready.h"
#include "modem/shared_memory.h"
#include "modem/zev_modem_doc.h"
#include "modem/zev_modem_view.h"
#include "platform/paths.h"
#include "platform/qt/qt_translation.h"

namespace {

// The local files among dropped URLs, as file names on disk.
std::vector<std::string> DroppedFiles(const QMimeData* data) {
  std::vector<std::string> paths;
  if (data == nullptr || !data->hasUrls()) return paths;
  for (const QUrl& url : data->urls()) {
    if (url.isLocalFile()) paths.push_back(QFile::encodeName(url.toLocalFile()).toStdString());
  }
  return paths;
}

}  // namespace

CZEVModemApp::CZEVModemApp(CSharedMemory& channel, std::vector<std::string> paths,
                           ModemAppOptions options)
    : channel_(channel),
      paths_(std::move(paths)),
      options_(std::move(options)),
      recent_(zv::ModemProfile()),
      queue_([this](const std::vector<std::string>& p) { WorkBlock(p); }) {}

CZEVModemApp::~CZEVModemApp() {
  BeginExit();
  // The frame (and the view, which waits for a poll) before the document it shows.
  if (frame_) frame_->removeEventFilter(this);
  frame_.reset();
  document_.reset();
  channel_.Close();
}

bool CZEVModemApp::InitInstance() {
  QApplication::setApplicationName(QStringLiteral("ZEVModem"));
  QApplication::setWindowIcon(QIcon(QString::fromLatin1(CAboutDlg::kIconResource)));
  zv::InstallQtTranslation();

  const zv::Profile profile = zv::ModemProfile();
  const std::string program =
      options_.program_path.empty() ? zv::ProgramPath() : options_.program_path;
  zv::StoreProgramPath(profile, program);
  zv::EnterProgramFolder(program);
  recent_.ReadList();

  document_ = std::make_unique<CZEVModemDoc>();
  frame_ = std::make_unique<CMainFrame>(document_.get(), options_.setup);
  if (!frame_->Create()) return false;
  frame_->SetOpenHandler([this] { OnFileOpen(); });
  frame_->setAcceptDrops(true);
  frame_->installEventFilter(this);
  connect(document_.get(), &CZEVModemDoc::PathChanged, this, [this] {
    recent_.Add(document_->path());
    UpdateRecentMenu();
  });
  // Later starts are taken from the moment the view has its grid.
  connect(frame_->GetActiveView(), &CZEVModemView::GridCreated, this, [this] {
    if (!exiting_) {
      channel_.StartAccepting([this](std::vector<std::string> p) { OnHandOver(std::move(p)); });
    }
  });
  UpdateRecentMenu();
  // An empty, untitled group: the view makes its grid.
  document_->New();

  for (const std::string& path : paths_) {
    if (OpenDocumentFile(path) == zv::OpenOutcome::kNothing) return false;
  }
  frame_->show();
  return true;
}

zv::OpenOutcome CZEVModemApp::OpenDocumentFile(const std::string& path) {
  return zv::OpenDocumentFile(path, *this);
}

bool CZEVModemApp::OpenGroupFile(const std::string& path) {
  if (!document_) return false;
  // The document asks nothing before it replaces the group; a group that
  // opened takes the path (the recent list follows through PathChanged) and
  // the title.
  return document_->Open(zv::AbsolutePath(path, zv::CurrentDirectory()));
}

bool CZEVModemApp::HandOverNodeFile(const std::string& path) {
  if (!frame_ || !document_ || frame_->GetActiveDocument() == nullptr) return false;
  if (!channel_.WritePathToView(zv::AbsolutePath(path, zv::CurrentDirectory()))) return false;
  frame_->OnSharedDataReady(channel_);
  return true;
}

void CZEVModemApp::OnFileOpen() {
  for (const std::string& path : zv::ChooseFilesToOpen(frame_.get())) OpenDocumentFile(path);
}

void CZEVModemApp::OnOpenRecentFile(int index) {
  if (index < 0 || index >= recent_.Count()) return;
  const std::string path = recent_[index];
  if (OpenDocumentFile(path) != zv::OpenOutcome::kNothing) return;
  // Dropped after the document's message; found again by name, in case the
  // list changed meanwhile.
  for (int i = 0; i < recent_.Count(); ++i) {
    if (recent_[i] == path) {
      recent_.Remove(i);
      break;
    }
  }
  UpdateRecentMenu();
}

void CZEVModemApp::OnDropFiles(const std::vector<std::string>& paths) {
  if (frame_) frame_->activateWindow();
  for (const std::string& path : paths) OpenDocumentFile(path);
}

void CZEVModemApp::OnHandOver(std::vector<std::string> paths) {
  if (!exiting_) queue_.Push(std::move(paths));
}

void CZEVModemApp::WorkBlock(const std::vector<std::string>& paths) {
  if (exiting_ || !frame_) return;
  for (const std::string& path : paths) OpenDocumentFile(path);
  // Also for an empty block, and after a group file: the user started the
  // program again and expects its window.
  zv::BringToFront(frame_.get());
}

void CZEVModemApp::BeginExit() {
  if (exiting_) return;
  exiting_ = true;
  channel_.StopAccepting();
  queue_.Stop();
}

void CZEVModemApp::UpdateRecentMenu() {
  if (!frame_ || frame_->FileMenu() == nullptr) return;
  QMenu* menu = frame_->FileMenu();
  for (QAction* action : recent_actions_) {
    menu->removeAction(action);
    action->deleteLater();
  }
  recent_actions_.clear();
  const std::string here = zv::CurrentDirectory();
  for (int i = 0; i < recent_.Count(); ++i) {
    auto* action = new QAction(recent_.MenuText(i, here), menu);
    action->setData(kIdFileMruFirst + i);
    action->setObjectName(QString::number(kIdFileMruFirst + i));
    connect(action, &QAction::triggered, this, [this, i] {
      // Run from the event loop, not from inside the menu's own handling:
      // the entries are rebuilt by the open.
      QMetaObject::invokeMethod(this, [this, i] { OnOpenRecentFile(i); }, Qt::QueuedConnection);
    });
    menu->insertAction(frame_->RecentFilesAnchor(), action);
    recent_actions_.push_back(action);
  }
}

bool CZEVModemApp::eventFilter(QObject* watched, QEvent* event) {
  if (watched == frame_.get()) {
    switch (event->type()) {
      case QEvent::Close:
        // The exit begins (the frame's own close handling waits for a poll).
        BeginExit();
        break;
      case QEvent::DragEnter:
      case QEvent::DragMove: {
        auto* drag = static_cast<QDropEvent*>(event);
        if (!exiting_ && !DroppedFiles(drag->mimeData()).empty()) {
          drag->acceptProposedAction();
          return true;
        }
        break;
      }
      case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        std::vector<std::string> paths = DroppedFiles(drop->mimeData());
        if (!exiting_ && !paths.empty()) {
          drop->acceptProposedAction();
          // Opened after the drop has ended (a box may open).
          QMetaObject::invokeMethod(
              this, [this, paths = std::move(paths)] { OnDropFiles(paths); }, Qt::QueuedConnection);
          return true;
        }
        break;
      }
      default:
        break;
    }
  }
  return QObject::eventFilter(watched, event);
}
