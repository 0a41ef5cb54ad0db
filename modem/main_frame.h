#pragma once
// CMainFrame: the workstation's main window around the status view.
//
// It holds the menus, the alpha toolbar 128 (open, start, stop, restart;
// dockable), the status bar (the message pane and pane 140 with the polling
// state), and the poll's report queue (zv::QtStatusSink): the worker's reports
// arrive as one wake-up event and are handed, in their order, to the view's
// UpdateNodeRow; reports for nodes no longer in the group are dropped, and a
// message of the poll is shown in a box.
//
// Exit ("В&ыход", closing the window, SIGTERM/SIGINT/SIGHUP through
// zv::ExitSignals): polling is stopped, then the frame waits, under a wait
// cursor, while painting and reports go on but input does not, until the poll
// has ended, at most ModemSetup::exit_bound. Then "GridColumns" is written and
// the window closes (the program ends). A poll that has not ended by then (a
// converter still running: it is never ended half-way, and it runs on by itself
// in its own process group) leaves the program through ModemSetup::hard_exit
// (_exit) after "GridColumns" is written: no thread is killed and no destructor
// waits for it. A frame destroyed without that exit (the program ended some
// other way) stops a running poll and waits for it within the same bound.
//
// The application start (open command, recent files, hand-over of node files)
// hooks in through SetOpenHandler, FileMenu, RecentFilesAnchor and
// OnSharedDataReady.

#include <QMainWindow>
#include <QString>
#include <functional>
#include <map>

#include "modem/modem_setup.h"
#include "modem/qt_status_sink.h"

class CAlphaToolBar;
class CSharedMemory;
class CZEVModemDoc;
class CZEVModemView;
class QLabel;
class QMenu;

class CMainFrame : public QMainWindow {
  Q_OBJECT

 public:
  static constexpr int kIdAppAbout = 57664;  // "О программе..."
  static constexpr int kIdAppExit = 57665;   // "В&ыход"
  static constexpr int kIdNodeDeleteMenu = 32801;  // "Узел" > "Удалить из списка": no handler
  static constexpr int kToolBarId = 128;
  static constexpr int kStatusPaneId = 140;

  explicit CMainFrame(CZEVModemDoc* document, const zv::ModemSetup& setup = {});
  ~CMainFrame() override;

  // The toolbar, the status bar, the menus and the view. False when the toolbar
  // cannot be loaded: the start fails.
  bool Create();

  CZEVModemView* GetActiveView() const { return view_; }
  CZEVModemDoc* GetActiveDocument() const { return document_; }
  CAlphaToolBar* toolbar() const { return toolbar_; }
  zv::QtStatusSink& sink() { return sink_; }

  // Sets the text of a pane by id (only pane 140 has an id); returns its index,
  // or -1 for an unknown id.
  int SetPaneText(int id, const QString& text);
  QString PaneText(int id) const;
  // The menu entry of a command id (null when the menus have none).
  QAction* MenuAction(int id) const;
  // Runs the command of an id, as a menu entry or toolbar button does.
  bool OnCommand(int id);

  // The open command ("&Открыть...", Ctrl+O, and the toolbar's open button):
  // disabled until a handler is given.
  void SetOpenHandler(std::function<void()> handler);
  QMenu* FileMenu() const { return file_menu_; }
  // The recent-file entries go before this separator of the file menu.
  QAction* RecentFilesAnchor() const { return recent_anchor_; }

  // "В&ыход": closes the window through the exit above.
  void OnAppExit();
  // True once the exit has begun.
  bool exiting() const { return exiting_; }

  // One report of the poll (the wake-up event's handler calls it for each).
  void OnNodeReport(const zv::NodeReport& report);
  // Node files waiting in the channel's in-process block: each is opened in
  // the document, the view updated, and the frame comes to the front (also
  // for an empty block). See zv::WorkSharedData.
  void OnSharedDataReady(CSharedMemory& channel);

 protected:
  bool event(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  QAction* AddCommand(QMenu* menu, const char* text, int id, const QKeySequence& shortcut = {});
  void BuildMenus();
  // Stops polling and waits for the poll to end, at most the bound; true when it did.
  bool WaitForPollEnd();
  void DrainReports();
  // The end of a process whose poll outlived the bound (ModemSetup::hard_exit).
  void HardExit();

  CZEVModemDoc* document_;
  zv::ModemSetup setup_;
  zv::QtStatusSink sink_;
  CZEVModemView* view_ = nullptr;
  CAlphaToolBar* toolbar_ = nullptr;
  QLabel* state_pane_ = nullptr;
  QMenu* file_menu_ = nullptr;
  QAction* recent_anchor_ = nullptr;
  std::map<int, QAction*> menu_actions_;
  std::function<void()> open_handler_;
  bool exiting_ = false;
  bool exit_done_ = false;
};
