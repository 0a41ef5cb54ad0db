#pragma once
// CMainFrame: the viewer's main window. An MDI area of node windows
// (CChildFrame), the menu bar, the main toolbar 128 (open, viewing period,
// print, print preview; docks on any side), and the status bar with the prompt
// ("Готов" when idle) and the period pane ("ПП dd.mm.yyyy - dd.mm.yyyy").
//
// The frame holds the viewing period, two DateStamp values at 00:00 that every
// document reads at each load (PeriodSource). They start from the profile's
// "Poperties" "DateBegin" and "DateEnd" (time values; the low 32 bits are
// stored and read back unsigned), by default today minus 30 days and today;
// OnViewPeriod changes them, writes them and reloads every document.
//
// One menu bar shows menu 128 while no window is open and menu 129 from the
// first window on (viewer/viewer_menus.h). Commands are QActions carrying their
// command id; OnCommand routes an id to the application, the frame or the
// active window's view, and QueryCommand tells whether it is enabled and
// checked. The states are refreshed on activation, after every command and
// before a menu shows. The accelerators (Ctrl+N, Ctrl+O, Ctrl+S, Ctrl+P, Ctrl+Z,
// Ctrl+X, Ctrl+C, Ctrl+V, F6, Shift+F6 and their alternatives) always take their
// keys and run the command only when it is enabled, so a key without a handler
// does nothing and the grid never copies a second time.
//
// The title is "ZEVView", or "ZEVView - " and the active window's title. Files
// dropped on the window open one after the other.

#include <QMainWindow>
#include <ctime>
#include <map>
#include <vector>

#include "viewer/command_ui.h"
#include "viewer/period_source.h"

class CAlphaToolBar;
class CChildFrame;
class CTableView;
class CZEVViewApp;
class CZEVViewDoc;
class QLabel;
class QMdiArea;
class QMenu;

class CMainFrame : public QMainWindow, public PeriodSource {
  Q_OBJECT

 public:
  // Reads the period from the profile. The application is not owned.
  explicit CMainFrame(CZEVViewApp* app);
  ~CMainFrame() override;

  // The toolbar, the status bar and both menus; false when the toolbar's
  // resource is missing.
  bool OnCreate();

  DateStamp PeriodBegin() const override { return m_begin; }
  DateStamp PeriodEnd() const override { return m_end; }
  // "ПП " + begin + " - " + end, dates as dd.mm.yyyy.
  QString PeriodText() const;
  // The viewing period command (see the top of this file).
  void OnViewPeriod();

  // A new window with its view on the document, shown and updated.
  CChildFrame* CreateChildFrame(CZEVViewDoc* document);
  // The windows in the order they were made.
  const std::vector<CChildFrame*>& ChildFrames() const { return m_frames; }
  std::vector<CChildFrame*> FramesOf(const CZEVViewDoc* document) const;
  // The active window (the MDI area's current one), or null.
  CChildFrame* ActiveChild() const;
  CTableView* ActiveView() const;
  CZEVViewDoc* ActiveDocument() const;
  void ActivateFrame(CChildFrame* frame);
  // The titles of the document's windows, numbered when there are several.
  void UpdateFrameCounts(const CZEVViewDoc* document);

  // Runs a command of the menus or toolbars as routed.
  void OnCommand(UINT id);
  // An accelerator's command: runs only when enabled; the key is taken either way.
  void OnAccelerator(UINT id);
  CCmdUI QueryCommand(UINT id) const;
  // Every action's state from QueryCommand.
  void UpdateCommandUI();

  // The menu the bar shows: 128 or 129.
  int CurrentMenu() const { return m_nCurrentMenu; }
  // The action of a command in the menu bar's current menus; null when none.
  QAction* MenuAction(UINT id) const;
  QMdiArea* mdiArea() const { return m_pMdiArea; }
  CAlphaToolBar* toolBar() const { return m_pToolBar; }
  QLabel* periodPane() const { return m_pPeriodPane; }
  QLabel* promptPane() const { return m_pPromptPane; }

  // Opens each local file of the drop, in order.
  void OnDropFiles(const QList<QUrl>& urls);
  // No menu of the bars on a right click: "&Вид" shows and hides them.
  QMenu* createPopupMenu() override { return nullptr; }

  DateStamp m_begin;
  DateStamp m_end;

 protected:
  void changeEvent(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void BuildMenu(int id);
  void SwitchMenu(int id);
  void FillRecentFiles(QMenu* menu);
  void FillWindowList(QMenu* menu);
  void AddAccelerators();
  void OnFrameDestroyed(CChildFrame* frame);
  void OnUpdateFrameTitle();
  QString FrameTitle() const;
  void UpdatePeriodPane();
  void ArrangeIconic();
  static DateStamp StampOf(std::time_t t);

  CZEVViewApp* m_pApp;
  QMdiArea* m_pMdiArea = nullptr;
  CAlphaToolBar* m_pToolBar = nullptr;
  QLabel* m_pPromptPane = nullptr;
  QLabel* m_pPeriodPane = nullptr;
  std::map<int, std::vector<QMenu*>> m_menus;  // by menu id
  int m_nCurrentMenu = 0;
  std::vector<CChildFrame*> m_frames;
};
