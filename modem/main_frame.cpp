#include "modem/main_frame.h"

#include <QApplication>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QIcon>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QStatusBar>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <thread>
#include <unistd.h>

#include "modem/about_dlg.h"
#include "modem/shared_data_ready.h"
#include "modem/zev_modem_doc.h"
#include "modem/zev_modem_view.h"
#include "platform/qt/message_box.h"
#include "platform/qt/qt_text.h"
#include "widgets/alpha_toolbar.h"

namespace {

// The frame's first size, before the view builds its table.
constexpr int kDefaultWidth = 900;
constexpr int kDefaultHeight = 500;
// How often the exit's wait looks whether the poll has ended.
constexpr int kExitCheckMs = 20;

}  // namespace

CMainFrame::CMainFrame(CZEVModemDoc* document, const zv::ModemSetup& setup)
    : document_(document), setup_(setup), sink_(this) {
  resize(kDefaultWidth, kDefaultHeight);
}

CMainFrame::~CMainFrame() {
  // Reports from now on are dropped; then the view (and a poll that may still
  // run, which it waits for) goes while the sink is still here.
  sink_.Detach();
  if (!exit_done_ && view_ != nullptr && view_->PollRunning()) {
    // The window goes without the exit (the program ends some other way):
    // the same bound holds for the poll.
    view_->OnPollStop();
    const auto until = std::chrono::steady_clock::now() + setup_.exit_bound;
    while (view_->PollRunning() && std::chrono::steady_clock::now() < until) {
      std::this_thread::sleep_for(std::chrono::milliseconds(kExitCheckMs));
    }
    if (view_->PollRunning()) {
      view_->SaveGridColumns();
      HardExit();
    }
  }
  if (document_ != nullptr && document_->views() == view_) document_->SetViews(nullptr);
  delete view_;
  view_ = nullptr;
}

bool CMainFrame::Create() {
  toolbar_ = new CAlphaToolBar(this);
  toolbar_->setObjectName(QStringLiteral("toolbar"));
  if (!toolbar_->LoadToolBar(kToolBarId, 1)) return false;
  toolbar_->setAllowedAreas(Qt::AllToolBarAreas);
  toolbar_->setMovable(true);
  toolbar_->setFloatable(true);
  addToolBar(Qt::TopToolBarArea, toolbar_);
  const std::pair<int, const char*> tips[] = {{CZEVModemDoc::kIdFileOpen, "Открыть"},
                                              {CZEVModemView::kIdPollStart, "Пуск"},
                                              {CZEVModemView::kIdPollStop, "Стоп"},
                                              {CZEVModemView::kIdPollRestart, "Рестарт"}};
  for (const auto& [id, tip] : tips) {
    if (QAction* action = toolbar_->CommandAction(id)) action->setToolTip(QString::fromUtf8(tip));
  }
  if (QAction* open = toolbar_->CommandAction(CZEVModemDoc::kIdFileOpen)) open->setEnabled(false);
  connect(toolbar_, &QToolBar::actionTriggered, this, [this](QAction* action) { OnCommand(action->data().toInt()); });

  // The message pane is the bar's own message; pane 140 is as wide as its
  // string-table text.
  state_pane_ = new QLabel(this);
  state_pane_->setObjectName(QString::number(kStatusPaneId));
  state_pane_->setMinimumWidth(state_pane_->fontMetrics().horizontalAdvance(QStringLiteral("_Состояние_")) + 8);
  statusBar()->addPermanentWidget(state_pane_);

  view_ = new CZEVModemView(document_, &sink_, setup_, this);
  setCentralWidget(view_);
  connect(view_, &CZEVModemView::PollStateText, this, [this](const QString& text) { SetPaneText(kStatusPaneId, text); });
  if (document_ != nullptr) {
    document_->SetViews(view_);
    document_->SetDialogParent(this);
    auto title = [this](const QString& doc_title) { setWindowTitle(doc_title + QStringLiteral(" - ZEVModem")); };
    connect(document_, &CZEVModemDoc::TitleChanged, this, title);
    title(document_->title());
  }
  BuildMenus();
  setWindowIcon(QIcon(QString::fromLatin1(CAboutDlg::kIconResource)));
  // Qt lays a window out only when it is shown, and the start builds the
  // view's table (column 1 takes the rest of the grid's width) before that:
  // the frame's parts take their places at its first size now.
  ensurePolished();
  if (layout() != nullptr) layout()->activate();
  return true;
}

QAction* CMainFrame::AddCommand(QMenu* menu, const char* text, int id, const QKeySequence& shortcut) {
  QAction* action = menu->addAction(QString::fromUtf8(text));
  action->setData(id);
  action->setObjectName(QString::number(id));
  if (!shortcut.isEmpty()) action->setShortcut(shortcut);
  connect(action, &QAction::triggered, this, [this, id] { OnCommand(id); });
  menu_actions_[id] = action;
  return action;
}

void CMainFrame::BuildMenus() {
  QMenuBar* bar = menuBar();
  file_menu_ = bar->addMenu(QString::fromUtf8("&Файл"));
  AddCommand(file_menu_, "&Новая группа", CZEVModemDoc::kIdFileNew, QKeySequence(Qt::CTRL | Qt::Key_N));
  AddCommand(file_menu_, "&Открыть...", CZEVModemDoc::kIdFileOpen, QKeySequence(Qt::CTRL | Qt::Key_O))
      ->setEnabled(false);
  AddCommand(file_menu_, "&Сохранить группу...", CZEVModemDoc::kIdFileSave);
  AddCommand(file_menu_, "Сохранить группу к&ак...", CZEVModemDoc::kIdFileSaveAs, QKeySequence(Qt::CTRL | Qt::Key_S));
  file_menu_->addSeparator();
  recent_anchor_ = file_menu_->addSeparator();
  AddCommand(file_menu_, "В&ыход", kIdAppExit);

  QMenu* poll = bar->addMenu(QString::fromUtf8("Считывание данных"));
  AddCommand(poll, "Пуск", CZEVModemView::kIdPollStart);
  AddCommand(poll, "Стоп", CZEVModemView::kIdPollStop);
  AddCommand(poll, "Рестарт", CZEVModemView::kIdPollRestart);

  QMenu* node = bar->addMenu(QString::fromUtf8("Узел"));
  AddCommand(node, "Добавить новый", CZEVModemDoc::kIdNodeAdd);
  AddCommand(node, "Настройка...", CZEVModemView::kIdNodeSettings);
  // This entry has never had a handler: removal works from the context menu.
  AddCommand(node, "Удалить из списка", kIdNodeDeleteMenu)->setEnabled(false);

  // A command of its own on the menu bar.
  QAction* settings = bar->addAction(QString::fromUtf8("Па&раметры..."));
  settings->setData(CZEVModemView::kIdProgramSettings);
  settings->setObjectName(QString::number(CZEVModemView::kIdProgramSettings));
  connect(settings, &QAction::triggered, this, [this] { OnCommand(CZEVModemView::kIdProgramSettings); });
  menu_actions_[CZEVModemView::kIdProgramSettings] = settings;

  QMenu* help = bar->addMenu(QString::fromUtf8("&Помощь"));
  AddCommand(help, "О программе...", kIdAppAbout);

  // Ctrl+F1: the current folder, an accelerator without a menu entry.
  QAction* folder = new QAction(this);
  folder->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F1));
  folder->setData(CZEVModemView::kIdCurrentFolder);
  folder->setObjectName(QString::number(CZEVModemView::kIdCurrentFolder));
  connect(folder, &QAction::triggered, this, [this] { OnCommand(CZEVModemView::kIdCurrentFolder); });
  addAction(folder);
  menu_actions_[CZEVModemView::kIdCurrentFolder] = folder;
}

QAction* CMainFrame::MenuAction(int id) const {
  const auto it = menu_actions_.find(id);
  return it == menu_actions_.end() ? nullptr : it->second;
}

void CMainFrame::SetOpenHandler(std::function<void()> handler) {
  open_handler_ = std::move(handler);
  const bool on = static_cast<bool>(open_handler_);
  if (QAction* action = MenuAction(CZEVModemDoc::kIdFileOpen)) action->setEnabled(on);
  if (toolbar_ != nullptr) {
    if (QAction* action = toolbar_->CommandAction(CZEVModemDoc::kIdFileOpen)) action->setEnabled(on);
  }
}

bool CMainFrame::OnCommand(int id) {
  if (exiting_) return false;
  switch (id) {
    case CZEVModemDoc::kIdFileNew:
      if (document_ != nullptr) document_->New();
      return true;
    case CZEVModemDoc::kIdFileOpen:
      if (open_handler_) open_handler_();
      return true;
    case CZEVModemDoc::kIdFileSave:
      if (document_ != nullptr) document_->Save();
      return true;
    case CZEVModemDoc::kIdFileSaveAs:
      if (document_ != nullptr) document_->SaveAs();
      return true;
    case CZEVModemDoc::kIdNodeAdd:
      if (document_ != nullptr) document_->OnNodeAdd();
      return true;
    case kIdAppAbout: {
      CAboutDlg about;
      about.DoModal();
      return true;
    }
    case kIdAppExit:
      OnAppExit();
      return true;
    default:
      return view_ != nullptr && view_->OnCommand(id);
  }
}

int CMainFrame::SetPaneText(int id, const QString& text) {
  if (id != kStatusPaneId || state_pane_ == nullptr) return -1;
  state_pane_->setText(text);
  state_pane_->repaint();
  return 1;
}

QString CMainFrame::PaneText(int id) const {
  return id == kStatusPaneId && state_pane_ != nullptr ? state_pane_->text() : QString();
}

// ---- reports ---------------------------------------------------------------

bool CMainFrame::event(QEvent* event) {
  if (event->type() == zv::StatusWakeUpEvent::EventType()) {
    DrainReports();
    return true;
  }
  return QMainWindow::event(event);
}

// One report at a time: a message box opens an event loop of its own, in which
// later reports are taken (still in order) by a nested call.
void CMainFrame::DrainReports() {
  while (std::optional<zv::NodeReport> report = sink_.TakeNext()) OnNodeReport(*report);
}

void CMainFrame::OnNodeReport(const zv::NodeReport& report) {
  if (document_ == nullptr || view_ == nullptr) return;
  const std::shared_ptr<CNode> node = document_->FindNode(report.node);
  if (node == nullptr) return;  // removed, or another group opened meanwhile
  if (report.kind == zv::NodeReport::Kind::kStatus) {
    view_->UpdateNodeRow(report.percent, *node, report.status);
  } else if (exiting_) {
    // No box while the exit waits: it would hold the exit past its bound.
    std::fprintf(stderr, "ZEVModem: %s\n", zv::QFromCp1251(report.text).toLocal8Bit().constData());
  } else {
    zv::ShowMessage1251(report.text, zv::MessageIcon::kWarning, zv::MessageButtons::kOk, this);
  }
}

void CMainFrame::OnSharedDataReady(CSharedMemory& channel) {
  if (document_ != nullptr) zv::WorkSharedData(channel, *document_, this);
}

// ---- exit ------------------------------------------------------------------

void CMainFrame::OnAppExit() { close(); }

bool CMainFrame::WaitForPollEnd() {
  if (view_ == nullptr) return true;
  view_->OnPollStop();
  if (!view_->PollRunning()) return true;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  QEventLoop loop;
  QElapsedTimer waited;
  waited.start();
  QTimer check;
  connect(&check, &QTimer::timeout, &loop, [&] {
    if (!view_->PollRunning() || waited.elapsed() >= setup_.exit_bound.count()) loop.quit();
  });
  check.start(kExitCheckMs);
  loop.exec(QEventLoop::ExcludeUserInputEvents);
  QApplication::restoreOverrideCursor();
  return !view_->PollRunning();
}

void CMainFrame::closeEvent(QCloseEvent* event) {
  if (exit_done_) {
    event->accept();
    return;
  }
  if (exiting_) {  // a second request while the exit waits
    event->ignore();
    return;
  }
  exiting_ = true;
  const bool ended = WaitForPollEnd();
  if (view_ != nullptr) view_->SaveGridColumns();
  exit_done_ = true;
  if (!ended) {
    // The poll is still in its converter: leave without waiting for it, and
    // without destructors that would.
    HardExit();
  }
  event->accept();
}

void CMainFrame::HardExit() {
  std::fflush(nullptr);
  if (setup_.hard_exit) {
    setup_.hard_exit(0);
  } else {
    ::_exit(0);
  }
}
