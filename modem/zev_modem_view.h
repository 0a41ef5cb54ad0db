#pragma once
// CZEVModemView: the workstation's status view and its poll scheduler.
//
// The view fills itself with a grid (id 100): a header row and one row per node
// of the group, in the group's order. Column 0 holds the row number and, as its
// item data, the node's id; the other columns show the node ("N NAME"), its
// phone number or IP address, the try count, the status text on the colour of
// its verdict, and the progress or the time of the last good read.
//
// The scheduler is a CPollTimer (timer 101, one tick a second while polling).
// At each tick, while no poll runs, it starts one poll (zv::PollWorker) for the
// first queued node or else for a failed node due for a retry, and stops itself
// when nothing is left. The view keeps the polled node's shared_ptr, and the
// worker's block, until the worker has ended, so a node taken out of the group
// (removed, or the group replaced) lives on for the poll.
//
// Threads: the worker reports through the frame's zv::QtStatusSink; the frame
// calls UpdateNodeRow on the user-interface thread with the reported status. Of
// the node being polled the view touches only its status and tries, except in
// the handler of its 145 report (the worker renames the file only before that
// report): then column 1 and the document's path copy are taken afresh. Once
// the worker has ended the node is the view's again.

#include <QWidget>
#include <functional>
#include <memory>
#include <string>

#include "links/node.h"
#include "links/poll_worker.h"
#include "modem/document_views.h"
#include "modem/modem_setup.h"
#include "grid/grid_ctrl.h"
#include "grid/grid_owner.h"

class CPollTimer;
class CZEVModemDoc;
class QMenu;

class CZEVModemView : public QWidget, public CGridOwner, public zv::DocumentViews {
  Q_OBJECT

 public:
  // Command ids of the view's commands.
  static constexpr int kIdPollStart = 32774;      // "Пуск"
  static constexpr int kIdPollStop = 32773;       // "Стоп"
  static constexpr int kIdPollRestart = 32788;    // "Рестарт"
  static constexpr int kIdNodeDelete = 32786;     // context menu "Удалить из списка"
  static constexpr int kIdNodeSettings = 32803;   // "Настройка...", context menu "Параметры..."
  static constexpr int kIdProgramSettings = 32806;// "Па&раметры..."
  static constexpr int kIdOpenInViewer = 32812;   // "Открыть в ZEVView"
  static constexpr int kIdOpenFolder = 32813;     // "Открыть папку с файлом"
  static constexpr int kIdCurrentFolder = 32814;  // Ctrl+F1
  static constexpr int kGridId = 100;

  // Columns beyond column 1 take this much of the grid's width when no widths
  // are stored.
  static constexpr int kOtherColumnsWidth = 390;

  // `sink` receives the worker's reports (the frame's); it must outlive the view.
  CZEVModemView(CZEVModemDoc* document, zv::StatusSink* sink, const zv::ModemSetup& setup,
                QWidget* parent = nullptr);
  ~CZEVModemView() override;

  CZEVModemDoc* GetDocument() const { return document_; }
  CGridCtrl* grid() const { return grid_; }
  CPollTimer& timer() const { return *timer_; }
  int max_trys() const { return max_trys_; }
  // A poll runs (the worker's thread has not ended yet).
  bool PollRunning() const { return worker_.Running(); }
  // The node given to the current or last poll (null before the first).
  const std::shared_ptr<CNode>& polled_node() const { return polled_; }

  // ---- zv::DocumentViews ------------------------------------------------------
  // First call: creates the grid (header row, stored or automatic column
  // widths), reads MaxTrys, sets the pane to "Ожидание". Later calls drop the
  // rows. Then OnUpdate.
  void OnInitialUpdate() override;
  // Adds the rows of the nodes that have none yet.
  void OnUpdate() override;
  // Arms the scheduler's timer; the pane shows "Считывание".
  void OnPollStart() override;

  // ---- scheduler --------------------------------------------------------------
  // Disarms the timer, asks a running poll to stop; the pane shows "Ожидание".
  void OnPollStop();
  // While no poll runs and no stop is pending: failed and retry nodes are queued
  // again with their tries cleared, then OnPollStart.
  void OnPollRestart();
  // The timer's tick.
  void OnPollTimer();

  // Shows `status` (the reported one; the view's own calls give the node's) in
  // the node's row, and stores the status that follows it (135 after 134, 139
  // after 137 and 142, ...) only if the node still has `status`: a newer status
  // the worker wrote meanwhile is never overwritten. Nothing for a node without
  // a row.
  void UpdateNodeRow(int percent, CNode& node, int status);

  // ---- commands ---------------------------------------------------------------
  void OnNodeDelete();
  void OnNodeSettings();
  void OnProgramSettings();
  void OnOpenInViewer();
  void OnOpenFolder();
  void OnShowCurrentFolder();
  // The command of an id (the frame's menus and toolbar, the context menu).
  bool OnCommand(int id);

  // Writes "Settings"/"GridColumns": every column's width, "%d;" each.
  void SaveGridColumns() const;

  // The context menu's tracking (a modal QMenu::exec); tests replace it to see
  // the menu and choose an entry. Returns the chosen action or null.
  using PopupHook = std::function<QAction*(QMenu& menu, const QPoint& global)>;
  void SetPopupHook(PopupHook hook) { popup_hook_ = std::move(hook); }

 signals:
  // The polling state for the frame's status pane ("Ожидание", "Считывание").
  void PollStateText(const QString& text);
  // The grid exists (emitted once, from the first OnInitialUpdate).
  void GridCreated();

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  bool CreateGrid();
  // Row 0 as high as its texts with their margins need.
  void FitReadTimeColumn();
  void FitHeadingRow();
  void AddRow(const std::shared_ptr<CNode>& node);
  void SetNodeColumns(int row, const CNode& node);
  void StartNode(const std::shared_ptr<CNode>& node);
  // The node of the top-left selected cell's row; null when nothing is selected
  // or the row's node is no longer in the group.
  std::shared_ptr<CNode> SelectedNode(int* row = nullptr) const;
  // True when `node` is the one a running (or stopping) poll works on.
  bool IsPolled(const CNode& node) const;
  std::string ProgramDir() const;

  CZEVModemDoc* document_;
  zv::ModemSetup setup_;
  CGridCtrl* grid_ = nullptr;  // a child widget
  std::unique_ptr<CPollTimer> timer_;
  int max_trys_ = 3;
  PopupHook popup_hook_;

  // The worker's block and the node it polls: kept until the next start (the
  // worker has ended by then), so the node lives as long as its poll.
  zv::PollWorkerBlock block_;
  std::shared_ptr<CNode> polled_;
  // Declared last: destroyed first, so a poll still running is stopped and
  // waited for while the block and the node are alive.
  zv::PollWorker worker_;
};
