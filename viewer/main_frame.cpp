// The viewer's main frame: creation, the period, the windows, the drop of files
// and the title. The menus, the accelerators and the command routing are in
// main_frame_commands.cpp.

#include "viewer/main_frame.h"

#include <QCloseEvent>
#include <QDate>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QMdiArea>
#include <QMimeData>
#include <QStatusBar>
#include <QUrl>
#include <algorithm>
#include <cstdint>
#include <string>

#include "platform/ini_file.h"
#include "platform/profile.h"
#include "platform/qt/message_box.h"
#include "platform/qt/settings_message.h"
#include "viewer/child_frame.h"
#include "viewer/program_icon.h"
#include "viewer/ranges_dlg.h"
#include "viewer/table_view.h"
#include "viewer/view_app.h"
#include "viewer/view_doc.h"
#include "viewer/viewer_commands.h"
#include "viewer/viewer_menus.h"
#include "widgets/alpha_toolbar.h"

namespace {

constexpr const char* kPoperties = "Poperties";
constexpr const char* kDateBegin = "DateBegin";
constexpr const char* kDateEnd = "DateEnd";
constexpr std::time_t kThirtyDays = 30 * 24 * 60 * 60;

// Time values are kept as their low 32 bits and read back unsigned.
int Low32(std::time_t t) { return static_cast<int>(static_cast<std::uint32_t>(t)); }

std::time_t ProfileTime(const char* name, std::time_t def) {
  const int stored = zv::Profile(zv::kProgramZEVView).GetInt(kPoperties, name, Low32(def));
  return static_cast<std::time_t>(static_cast<std::uint32_t>(stored));
}

std::time_t TimeOf(const DateStamp& d) {
  return CRanges::LocalMidnight(QDate(d.year, d.month, d.day));
}

}  // namespace

CMainFrame::CMainFrame(CZEVViewApp* app) : m_pApp(app) {
  const std::time_t now = std::time(nullptr);
  m_end = StampOf(ProfileTime(kDateEnd, now));
  m_begin = StampOf(ProfileTime(kDateBegin, now - kThirtyDays));
}

CMainFrame::~CMainFrame() {
  // Windows still open die with the MDI area after this frame's own members:
  // they no longer report to it.
  for (CChildFrame* frame : m_frames) disconnect(frame, nullptr, this, nullptr);
}

DateStamp CMainFrame::StampOf(std::time_t t) {
  DateStamp d;
  d.FromTime(t);
  d.SetHour(0);
  d.SetMinute(0);
  d.SetSecond(0);
  return d;
}

bool CMainFrame::OnCreate() {
  setObjectName(QStringLiteral("ZEVViewMainFrame"));
  setWindowIcon(ProgramIcon());
  m_pMdiArea = new QMdiArea(this);
  setCentralWidget(m_pMdiArea);
  connect(m_pMdiArea, &QMdiArea::subWindowActivated, this, [this] {
    OnUpdateFrameTitle();
    UpdateCommandUI();
  });

  m_pToolBar = new CAlphaToolBar(this);
  m_pToolBar->SetResourceRoot(QStringLiteral(":/viewer/toolbar"));
  if (!m_pToolBar->LoadToolBar(viewer_cmd::kMainToolBar, 1)) return false;
  m_pToolBar->setObjectName(QStringLiteral("toolbar128"));
  m_pToolBar->setAllowedAreas(Qt::AllToolBarAreas);
  m_pToolBar->setMovable(true);
  addToolBar(Qt::TopToolBarArea, m_pToolBar);
  for (int command : m_pToolBar->commands()) {
    QAction* action = m_pToolBar->CommandAction(command);
    if (action == nullptr) continue;
    const UINT id = static_cast<UINT>(command);
    QString prompt = viewer_menu::CommandPrompt(id);
    QString tip = viewer_menu::CommandTip(id);
    const char* menuText = id == viewer_cmd::kFileOpen      ? "&Открыть...\tCtrl+O"
                           : id == viewer_cmd::kFilePrint   ? "&Печать...\tCtrl+P"
                           : id == viewer_cmd::kFilePrintPreview ? "Просмотр печати..."
                                                            : nullptr;
    if (menuText != nullptr) prompt = tip = viewer_menu::PlainMenuText(menuText);
    action->setStatusTip(prompt);
    action->setToolTip(tip);
    connect(action, &QAction::triggered, this, [this, id] { OnCommand(id); });
  }

  m_pPromptPane = new QLabel(QString::fromUtf8(viewer_menu::kIdlePrompt), this);
  statusBar()->addWidget(m_pPromptPane, 1);
  m_pPeriodPane = new QLabel(QString::fromUtf8(viewer_menu::kPeriodPaneSample), this);
  m_pPeriodPane->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  const int margins = 2 * (m_pPeriodPane->frameWidth() + m_pPeriodPane->margin() + 2);
  m_pPeriodPane->setMinimumWidth(
      QFontMetrics(m_pPeriodPane->font()).horizontalAdvance(QString::fromUtf8(viewer_menu::kPeriodPaneSample)) +
      margins);
  statusBar()->addPermanentWidget(m_pPeriodPane);
  UpdatePeriodPane();

  BuildMenu(viewer_cmd::kMenuEmpty);
  BuildMenu(viewer_cmd::kMenuDocument);
  SwitchMenu(viewer_cmd::kMenuEmpty);
  AddAccelerators();

  setAcceptDrops(true);
  OnUpdateFrameTitle();
  UpdateCommandUI();
  return true;
}

QString CMainFrame::PeriodText() const {
  return QString::fromUtf8("ПП ") + QString::fromStdString(m_begin.Format(false)) + QStringLiteral(" - ") +
         QString::fromStdString(m_end.Format(false));
}

void CMainFrame::UpdatePeriodPane() {
  if (m_pPeriodPane != nullptr) m_pPeriodPane->setText(PeriodText());
}

void CMainFrame::OnViewPeriod() {
  CRanges dialog(this);
  dialog.m_begin = TimeOf(m_begin);
  dialog.m_end = TimeOf(m_end);
  if (dialog.DoModal() != QDialog::Accepted) return;
  if (dialog.m_end <= dialog.m_begin) {
    zv::ShowMessage(QString::fromUtf8("Период просмотра не изменен!\nДата начала периода больше даты окончания."),
                    zv::MessageIcon::kError, zv::MessageButtons::kOk, this);
    return;
  }
  // Both dates in one write; a period that cannot be stored is not taken.
  const zv::Profile profile(zv::kProgramZEVView);
  std::string error;
  const bool stored = profile.Update(
      [&](zv::IniFile& ini) {
        ini.Set(kPoperties, kDateBegin, std::to_string(Low32(dialog.m_begin)));
        ini.Set(kPoperties, kDateEnd, std::to_string(Low32(dialog.m_end)));
      },
      &error);
  if (!stored) {
    zv::ReportSettingsNotSaved(profile, error, this);
    return;
  }
  m_begin = StampOf(dialog.m_begin);
  m_end = StampOf(dialog.m_end);
  UpdatePeriodPane();

  // Every document in opening order reads the new period, then its views are
  // built anew.
  for (CZEVViewDoc* document : m_pApp->Documents()) {
    document->OnOpenDocument(document->GetPathName());
    for (CChildFrame* frame : FramesOf(document))
      if (CTableView* view = frame->GetActiveView()) view->OnUpdate();
  }
}

CChildFrame* CMainFrame::CreateChildFrame(CZEVViewDoc* document) {
  auto* frame = new CChildFrame(document);
  if (!frame->OnCreate()) {
    delete frame;
    return nullptr;
  }
  m_frames.push_back(frame);
  connect(frame, &CChildFrame::FrameDestroyed, this, &CMainFrame::OnFrameDestroyed);
  connect(frame, &CChildFrame::CommandDone, this, &CMainFrame::UpdateCommandUI);
  connect(frame, &QMdiSubWindow::windowStateChanged, this, [this] { OnUpdateFrameTitle(); });
  connect(frame, &QWidget::windowTitleChanged, this, [this] { OnUpdateFrameTitle(); });
  m_pMdiArea->addSubWindow(frame);
  UpdateFrameCounts(document);
  SwitchMenu(viewer_cmd::kMenuDocument);
  frame->GetActiveView()->OnInitialUpdate();
  if (!frame->isVisible()) frame->show();
  ActivateFrame(frame);
  UpdateCommandUI();
  return frame;
}

void CMainFrame::OnFrameDestroyed(CChildFrame* frame) {
  CZEVViewDoc* document = frame->GetDocument();
  std::erase(m_frames, frame);
  UpdateFrameCounts(document);
  m_pApp->OnFrameDestroyed(document);
  if (m_frames.empty()) SwitchMenu(viewer_cmd::kMenuEmpty);
  OnUpdateFrameTitle();
  UpdateCommandUI();
}

std::vector<CChildFrame*> CMainFrame::FramesOf(const CZEVViewDoc* document) const {
  std::vector<CChildFrame*> frames;
  for (CChildFrame* frame : m_frames)
    if (frame->GetDocument() == document) frames.push_back(frame);
  return frames;
}

CChildFrame* CMainFrame::ActiveChild() const {
  if (m_pMdiArea == nullptr) return nullptr;
  auto* frame = qobject_cast<CChildFrame*>(m_pMdiArea->currentSubWindow());
  return std::find(m_frames.begin(), m_frames.end(), frame) != m_frames.end() ? frame : nullptr;
}

CTableView* CMainFrame::ActiveView() const {
  CChildFrame* frame = ActiveChild();
  return frame != nullptr ? frame->GetActiveView() : nullptr;
}

CZEVViewDoc* CMainFrame::ActiveDocument() const {
  CChildFrame* frame = ActiveChild();
  return frame != nullptr ? frame->GetDocument() : nullptr;
}

void CMainFrame::ActivateFrame(CChildFrame* frame) {
  if (frame == nullptr) return;
  if (frame->isMinimized()) frame->showNormal();
  m_pMdiArea->setActiveSubWindow(frame);
  frame->raise();
  OnUpdateFrameTitle();
}

void CMainFrame::UpdateFrameCounts(const CZEVViewDoc* document) {
  const std::vector<CChildFrame*> frames = FramesOf(document);
  int number = 0;
  for (CChildFrame* frame : frames) {
    frame->m_nWindow = frames.size() > 1 ? ++number : 0;
    frame->OnUpdateFrameTitle();
  }
  OnUpdateFrameTitle();
}

QString CMainFrame::FrameTitle() const {
  CChildFrame* active = ActiveChild();
  return active != nullptr ? QStringLiteral("ZEVView - ") + active->windowTitle() : QStringLiteral("ZEVView");
}

void CMainFrame::OnUpdateFrameTitle() {
  const QString title = FrameTitle();
  if (windowTitle() != title) setWindowTitle(title);
}

void CMainFrame::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  // A maximised MDI window adds " - [its title]" to the frame's title; the
  // frame keeps its own.
  if (event->type() == QEvent::WindowTitleChange && m_pMdiArea != nullptr) OnUpdateFrameTitle();
}

void CMainFrame::ArrangeIconic() {
  // The minimised windows in a row along the bottom of the area.
  int x = 0;
  const int bottom = m_pMdiArea->viewport()->height();
  for (CChildFrame* frame : m_frames) {
    if (!frame->isMinimized()) continue;
    frame->move(x, bottom - frame->height());
    x += frame->width();
  }
}

void CMainFrame::closeEvent(QCloseEvent* event) {
  m_pApp->CloseAllDocuments();
  event->accept();
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event) {
  if (!event->mimeData()->hasUrls()) return;
  event->acceptProposedAction();
  OnDropFiles(event->mimeData()->urls());
}

void CMainFrame::OnDropFiles(const QList<QUrl>& urls) {
  activateWindow();
  raise();
  for (const QUrl& url : urls)
    if (url.isLocalFile()) m_pApp->OpenDocumentFile(url.toLocalFile());
}
