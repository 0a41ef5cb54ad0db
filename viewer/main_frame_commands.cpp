// The main frame's menus, accelerators and command routing.

#include <QAction>
#include <QKeySequence>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QPrintDialog>
#include <QStatusBar>

#include "viewer/child_frame.h"
#include "viewer/main_frame.h"
#include "viewer/table_view.h"
#include "viewer/view_app.h"
#include "viewer/viewer_commands.h"
#include "viewer/viewer_menus.h"
#include "widgets/alpha_toolbar.h"

namespace {

using namespace viewer_cmd;

// Items the frame adds to a menu (recent files past the first, the window
// list) carry this property and are taken out before the menu is filled again.
constexpr const char* kAddedItem = "zvAddedItem";

UINT CommandOf(const QAction* action) {
  bool ok = false;
  const UINT id = action->data().toUInt(&ok);
  return ok ? id : 0;
}

bool IsRecentFile(UINT id) { return id >= kFileMru1 && id < kFileMru1 + kRecentFiles; }

void RemoveAddedItems(QMenu* menu) {
  for (QAction* action : menu->actions()) {
    if (action->property(kAddedItem).toBool()) {
      // Later: the item may be the one whose command is running.
      menu->removeAction(action);
      action->deleteLater();
    }
  }
}

}  // namespace

void CMainFrame::BuildMenu(int id) {
  std::vector<QMenu*>& menus = m_menus[id];
  for (const viewer_menu::Popup& popup : viewer_menu::MenuResource(id)) {
    auto* menu = new QMenu(QString::fromUtf8(popup.title), this);
    menu->setObjectName(QStringLiteral("menu%1").arg(id));
    for (const viewer_menu::Item& item : popup.items) {
      if (item.id == 0) {
        menu->addSeparator();
        continue;
      }
      QAction* action = menu->addAction(QString::fromUtf8(item.text));
      const UINT command = item.id;
      action->setData(command);
      action->setObjectName(QString::number(command));
      action->setStatusTip(viewer_menu::CommandPrompt(command));
      if (command == kViewToolbar || command == kViewStatusBar) action->setCheckable(true);
      connect(action, &QAction::triggered, this, [this, command] { OnCommand(command); });
    }
    connect(menu, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandUI);
    menus.push_back(menu);
  }
}

void CMainFrame::SwitchMenu(int id) {
  if (m_nCurrentMenu == id) return;
  m_nCurrentMenu = id;
  QMenuBar* bar = menuBar();
  for (QAction* action : bar->actions())
    if (action->menu() != nullptr) bar->removeAction(action);
  for (QMenu* menu : m_menus[id]) bar->addMenu(menu);
  UpdateCommandUI();
}

QAction* CMainFrame::MenuAction(UINT id) const {
  const auto it = m_menus.find(m_nCurrentMenu);
  if (it == m_menus.end()) return nullptr;
  for (QMenu* menu : it->second)
    for (QAction* action : menu->actions())
      if (!action->isSeparator() && CommandOf(action) == id) return action;
  return nullptr;
}

void CMainFrame::FillRecentFiles(QMenu* menu) {
  RemoveAddedItems(menu);
  QAction* first = nullptr;
  for (QAction* action : menu->actions())
    if (action->objectName() == QString::number(kFileMru1)) first = action;
  if (first == nullptr) return;
  const CRecentFileList& recent = m_pApp->RecentFiles();
  if (recent.GetSize() == 0) {
    // The item stands in for the empty list, greyed.
    first->setText(QString::fromUtf8("Последний файл"));
    first->setData(kFileMru1);
    return;
  }
  first->setText(recent.MenuText(0));
  const QList<QAction*> actions = menu->actions();
  const qsizetype at = actions.indexOf(first) + 1;
  QAction* before = at < actions.size() ? actions[at] : nullptr;
  for (int i = 1; i < recent.GetSize(); ++i) {
    auto* action = new QAction(recent.MenuText(i), menu);
    const UINT command = kFileMru1 + static_cast<UINT>(i);
    action->setData(command);
    action->setProperty(kAddedItem, true);
    connect(action, &QAction::triggered, this, [this, command] { OnCommand(command); });
    menu->insertAction(before, action);
  }
}

void CMainFrame::FillWindowList(QMenu* menu) {
  RemoveAddedItems(menu);
  if (m_frames.empty()) return;
  QAction* separator = menu->addSeparator();
  separator->setProperty(kAddedItem, true);
  CChildFrame* active = ActiveChild();
  for (size_t i = 0; i < m_frames.size(); ++i) {
    auto* action = new QAction(QStringLiteral("&%1 %2").arg(i + 1).arg(m_frames[i]->windowTitle()), menu);
    const UINT command = kFirstChild + static_cast<UINT>(i);
    action->setData(command);
    action->setCheckable(true);
    action->setChecked(m_frames[i] == active);
    action->setProperty(kAddedItem, true);
    connect(action, &QAction::triggered, this, [this, command] { OnCommand(command); });
    menu->addAction(action);
  }
}

void CMainFrame::AddAccelerators() {
  struct Accelerator {
    UINT id;
    std::vector<QKeySequence> keys;
  };
  const std::vector<Accelerator> table = {
      {kFileNew, {QKeySequence(Qt::CTRL | Qt::Key_N)}},
      {kFileOpen, {QKeySequence(Qt::CTRL | Qt::Key_O)}},
      {kFileSave, {QKeySequence(Qt::CTRL | Qt::Key_S)}},
      {kFilePrint, {QKeySequence(Qt::CTRL | Qt::Key_P)}},
      {kEditUndo, {QKeySequence(Qt::CTRL | Qt::Key_Z), QKeySequence(Qt::ALT | Qt::Key_Backspace)}},
      {kEditCut, {QKeySequence(Qt::CTRL | Qt::Key_X), QKeySequence(Qt::SHIFT | Qt::Key_Delete)}},
      {kEditCopy, {QKeySequence(Qt::CTRL | Qt::Key_C), QKeySequence(Qt::CTRL | Qt::Key_Insert)}},
      {kEditPaste, {QKeySequence(Qt::CTRL | Qt::Key_V), QKeySequence(Qt::SHIFT | Qt::Key_Insert)}},
      {kNextPane, {QKeySequence(Qt::Key_F6)}},
      {kPrevPane, {QKeySequence(Qt::SHIFT | Qt::Key_F6)}},
  };
  for (const Accelerator& accelerator : table) {
    auto* action = new QAction(this);
    action->setObjectName(QStringLiteral("accelerator%1").arg(accelerator.id));
    action->setData(accelerator.id);
    action->setShortcuts(QList<QKeySequence>(accelerator.keys.begin(), accelerator.keys.end()));
    action->setShortcutContext(Qt::WindowShortcut);
    const UINT id = accelerator.id;
    connect(action, &QAction::triggered, this, [this, id] { OnAccelerator(id); });
    addAction(action);
  }
}

void CMainFrame::OnAccelerator(UINT id) {
  if (QueryCommand(id).m_bEnabled) OnCommand(id);
}

void CMainFrame::OnCommand(UINT id) {
  CTableView* view = ActiveView();
  QPrinter& printer = m_pApp->Printer();
  switch (id) {
    case kFileNew: m_pApp->OnFileNew(); break;
    case kFileOpen: m_pApp->OnFileOpen(); break;
    case kFileClose:
      if (CZEVViewDoc* document = ActiveDocument()) m_pApp->CloseDocument(document);
      break;
    case kFileSave:
      if (CZEVViewDoc* document = ActiveDocument()) m_pApp->OnFileSave(document);
      break;
    case kFilePrintSetup: m_pApp->OnFilePrintSetup(); break;
    case kFilePrint:
      if (view != nullptr) {
        QPrintDialog dialog(&printer, this);
        if (dialog.exec() == QDialog::Accepted) view->PrintReport(printer);
      }
      break;
    case kFilePrintPreview:
      if (view != nullptr) view->PreviewReport(printer, this);
      break;
    case kEditCopy:
      if (view != nullptr) view->OnEditCopy();
      break;
    case kAppAbout: m_pApp->OnAppAbout(); break;
    case kAppExit: m_pApp->OnAppExit(); return;
    case kViewToolbar: m_pToolBar->setVisible(m_pToolBar->isHidden()); break;
    case kViewStatusBar: statusBar()->setVisible(statusBar()->isHidden()); break;
    case kViewPeriod: OnViewPeriod(); break;
    case kWindowNew:
      if (CZEVViewDoc* document = ActiveDocument()) CreateChildFrame(document);
      break;
    case kWindowCascade: m_pMdiArea->cascadeSubWindows(); break;
    case kWindowTile: m_pMdiArea->tileSubWindows(); break;
    case kWindowArrange: ArrangeIconic(); break;
    default:
      if (IsRecentFile(id)) {
        m_pApp->OnOpenRecentFile(static_cast<int>(id - kFileMru1));
      } else if (id >= kFirstChild && id - kFirstChild < m_frames.size()) {
        ActivateFrame(m_frames[id - kFirstChild]);
      } else if (CChildFrame* frame = ActiveChild()) {
        frame->OnCommand(id);  // the node window's own commands
        return;
      }
      break;
  }
  UpdateCommandUI();
}

CCmdUI CMainFrame::QueryCommand(UINT id) const {
  CCmdUI ui(id);
  CTableView* view = ActiveView();
  switch (id) {
    case kFileNew:
    case kFileOpen:
    case kFilePrintSetup:
    case kAppAbout:
    case kAppExit:
    case kViewPeriod:
      break;
    case kFileClose:
    case kFileSave:
      ui.Enable(ActiveDocument() != nullptr);
      break;
    case kFilePrint:
    case kFilePrintPreview:
      ui.Enable(view != nullptr);
      break;
    case kEditCopy:
      if (view != nullptr)
        view->OnUpdateEditCopy(&ui);
      else
        ui.Enable(false);
      break;
    case kViewToolbar: ui.SetCheck(m_pToolBar != nullptr && !m_pToolBar->isHidden()); break;
    case kViewStatusBar: ui.SetCheck(!statusBar()->isHidden()); break;
    case kWindowNew:
    case kWindowCascade:
    case kWindowTile:
    case kWindowArrange:
      ui.Enable(ActiveChild() != nullptr);
      break;
    default:
      if (IsRecentFile(id)) {
        ui.Enable(static_cast<int>(id - kFileMru1) < m_pApp->RecentFiles().GetSize());
      } else if (id >= kFirstChild && id - kFirstChild < m_frames.size()) {
        ui.SetCheck(m_frames[id - kFirstChild] == ActiveChild());
      } else if (CChildFrame* frame = ActiveChild()) {
        ui = frame->QueryCommand(id);
      } else {
        ui.Enable(false);  // no handler: undo, cut, paste, the pane keys
      }
      break;
  }
  return ui;
}

void CMainFrame::UpdateCommandUI() {
  const auto it = m_menus.find(m_nCurrentMenu);
  if (it != m_menus.end()) {
    for (QMenu* menu : it->second) {
      FillRecentFiles(menu);
      bool windowMenu = false;
      for (QAction* action : menu->actions())
        if (CommandOf(action) == kWindowNew) windowMenu = true;
      if (windowMenu) FillWindowList(menu);
      for (QAction* action : menu->actions()) {
        if (action->isSeparator()) continue;
        const CCmdUI ui = QueryCommand(CommandOf(action));
        action->setEnabled(ui.m_bEnabled);
        if (action->isCheckable()) action->setChecked(ui.m_bChecked);
      }
    }
  }
  if (m_pToolBar != nullptr) {
    for (int command : m_pToolBar->commands()) {
      if (QAction* action = m_pToolBar->CommandAction(command))
        action->setEnabled(QueryCommand(static_cast<UINT>(command)).m_bEnabled);
    }
  }
  for (CChildFrame* frame : m_frames) frame->UpdateCommandUI();
}
