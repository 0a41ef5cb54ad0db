#include "viewer/child_frame.h"

#include <QAction>
#include <QActionGroup>
#include <QVBoxLayout>

#include "viewer/program_icon.h"
#include "viewer/table_view.h"
#include "viewer/view_doc.h"
#include "viewer/viewer_commands.h"
#include "viewer/viewer_menus.h"
#include "widgets/alpha_toolbar.h"

namespace {

bool IsPageCommand(UINT id) { return id >= viewer_cmd::kReportPage1 && id <= viewer_cmd::kReportPage4; }

bool IsShowCommand(UINT id) {
  return id == viewer_cmd::kShowDaily || id == viewer_cmd::kShowHourly || id == viewer_cmd::kShowJournal ||
         id == viewer_cmd::kShowParameters;
}

}  // namespace

CChildFrame::CChildFrame(CZEVViewDoc* document, QWidget* parent) : QMdiSubWindow(parent), m_pDocument(document) {
  setAttribute(Qt::WA_DeleteOnClose);
}

CChildFrame::~CChildFrame() {
  // The view goes first: nothing may reach the document through it once the
  // document hears that its window is gone.
  QWidget* body = widget();
  setWidget(nullptr);
  delete body;
  m_pView = nullptr;
  emit FrameDestroyed(this);
}

bool CChildFrame::OnCreate() {
  auto* body = new QWidget;
  auto* layout = new QVBoxLayout(body);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);

  m_pToolBar = new CAlphaToolBar(body);
  m_pToolBar->SetResourceRoot(QStringLiteral(":/viewer/toolbar"));
  if (!m_pToolBar->LoadToolBar(viewer_cmd::kChildToolBar, 1)) {
    delete body;
    m_pToolBar = nullptr;
    return false;
  }
  m_pToolBar->setMovable(false);
  m_pToolBar->setFloatable(false);
  auto* pages = new QActionGroup(m_pToolBar);
  auto* shows = new QActionGroup(m_pToolBar);
  pages->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
  shows->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
  for (int command : m_pToolBar->commands()) {
    QAction* action = m_pToolBar->CommandAction(command);
    if (action == nullptr) continue;
    const UINT id = static_cast<UINT>(command);
    if (IsPageCommand(id) || IsShowCommand(id)) {
      action->setCheckable(true);
      (IsPageCommand(id) ? pages : shows)->addAction(action);
    }
    action->setStatusTip(viewer_menu::CommandPrompt(id));
    action->setToolTip(viewer_menu::CommandTip(id));
    connect(action, &QAction::triggered, this, [this, id] { OnCommand(id); });
  }
  layout->addWidget(m_pToolBar);

  m_pView = new CTableView(m_pDocument, body);
  layout->addWidget(m_pView, 1);
  connect(m_pView, &CTableView::FrameMaximizeRequested, this, [this] { showMaximized(); });
  setWidget(body);
  setWindowIcon(ProgramIcon());
  OnUpdateFrameTitle();
  return true;
}

void CChildFrame::OnUpdateFrameTitle() {
  QString title = m_pDocument != nullptr ? m_pDocument->TitleText() : QString();
  if (m_nWindow > 0) title += QStringLiteral(":%1").arg(m_nWindow);
  setWindowTitle(title);
}

void CChildFrame::OnCommand(UINT id) {
  if (m_pView != nullptr) {
    if (IsPageCommand(id)) {
      m_pView->OnReportPage(id);
    } else if (id == viewer_cmd::kShowDaily) {
      m_pView->OnShowDaily();
    } else if (id == viewer_cmd::kShowHourly) {
      m_pView->OnShowHourly();
    } else if (id == viewer_cmd::kShowJournal) {
      m_pView->OnShowJournal();
    } else if (id == viewer_cmd::kShowParameters) {
      m_pView->OnShowParameters();
    } else if (id == viewer_cmd::kNodeSettings) {
      m_pView->OnNodeSettings();
    }
  }
  emit CommandDone();
}

CCmdUI CChildFrame::QueryCommand(UINT id) const {
  CCmdUI ui(id);
  if (m_pView == nullptr) {
    ui.Enable(false);
  } else if (IsPageCommand(id)) {
    m_pView->OnUpdateReportPage(&ui);
  } else if (IsShowCommand(id)) {
    m_pView->OnUpdateShowType(&ui);
  } else if (id != viewer_cmd::kNodeSettings) {
    ui.Enable(false);
  }
  return ui;
}

void CChildFrame::UpdateCommandUI() {
  if (m_pToolBar == nullptr) return;
  for (int command : m_pToolBar->commands()) {
    QAction* action = m_pToolBar->CommandAction(command);
    if (action == nullptr) continue;
    const CCmdUI ui = QueryCommand(static_cast<UINT>(command));
    action->setEnabled(ui.m_bEnabled);
    if (action->isCheckable()) action->setChecked(ui.m_bChecked);
  }
}
