#pragma once
// CZEVC32Dlg: ZEVC's main window. The list of the files the collector holds
// (check box and row number, serial number, date and hour, "скопирован"), the
// five command buttons, the three settings check boxes, the port field and the
// progress bar; its title carries the status.
//
// "Список файлов" walks the collector on this thread under the wait cursor
// (zv::ListCollectorFiles); between headers only the title and the bar are
// repainted: clicks and a close wait until the walk is done. The copy and
// clear commands run a job on the worker (zv::CollectorThreadProc), which
// reports through ZevcSink as posted events:
//   code 4  progress one step (held at the maximum)
//   code 5  title "ZEVC - " + text
//   code 6  the four action buttons disabled, progress range 0..n, title "ZEVC"
//   code 7  the empty bar
//   code 8  the row holding the entry: unchecked, "скопирован"
//   code 9  title "ZEVC - Считыватель очищен", the list emptied
//   code 10 the four buttons enabled
//   finished (the thread's end, with the job's outcome): the buttons enabled;
//            after a copy-all that ended with every file saved, the clear.
// The clear waits (clear_wait) after "ZEVC - Очистка считывателя" on a timer
// and then starts only while no job runs and no stop is pending; a cancel
// during that wait drops it. A cancel shows "ZEVC - Задание отменено" and the
// buttons at once; what the stopping job still reports about progress and
// buttons is not shown.
//
// Settings ZEVC/Properties: Port (stored when its field loses the focus and at
// every command), DataTransfer, ArchiveSave, ShowDeleted (stored on click).
//
// Closing during a job sets g_bStop and joins the worker before the dialog
// goes; no clear follows.

// Built with QT_NO_KEYWORDS: the collector's kind record has a field `slots`.
#include <QDialog>
#include <QTimer>
#include <atomic>

#include "readers/collector/collector_jobs.h"
#include "readers/common/qt_reader_sink.h"
#include "readers/common/reader_worker.h"

class QCheckBox;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTableWidget;

namespace zv {

// The Qt sink of ZEVC's worker: the outcome travels with the thread's end.
class ZevcSink : public QtReaderSink<CollectorSink> {
 public:
  using QtReaderSink::QtReaderSink;
  void OnJobOutcome(bool complete) override { complete_.store(complete); }
  void OnJobFinished() override {
    Post(std::make_unique<ReaderEvent>(kReaderJobFinished, complete_.exchange(false) ? 1 : 0));
  }

 private:
  std::atomic<bool> complete_{false};
};

}  // namespace zv

class CZEVC32Dlg : public QDialog {
  Q_OBJECT

 public:
  // List columns.
  enum { kColumnCheck = 0, kColumnSerial = 1, kColumnDate = 2, kColumnCopied = 3 };

  explicit CZEVC32Dlg(zv::CollectorJobSetup setup, QWidget* parent = nullptr);
  ~CZEVC32Dlg() override;

  QTableWidget* list() const { return list_; }
  QProgressBar* progress() const { return progress_; }
  QLineEdit* port_edit() const { return port_; }
  QCheckBox* data_transfer_box() const { return data_transfer_; }
  QCheckBox* archive_save_box() const { return archive_save_; }
  QCheckBox* show_deleted_box() const { return show_deleted_; }
  QPushButton* copy_all_button() const { return copy_all_; }
  QPushButton* cancel_button() const { return cancel_; }
  QPushButton* file_list_button() const { return file_list_; }
  QPushButton* copy_selected_button() const { return copy_selected_; }
  QPushButton* clear_button() const { return clear_; }
  bool WorkerRunning() const { return worker_.Running(); }
  bool ClearAfterCopy() const { return clear_after_copy_; }
  bool ClearPending() const { return clear_timer_.isActive(); }
  // Jobs started, and jobs whose end the dialog has handled.
  int JobsStarted() const { return jobs_started_; }
  int JobsFinished() const { return jobs_finished_; }
  // The job record of the last command (a copy of it went to the worker).
  const zv::CopyJob& job() const { return job_; }

  void OnFileList();
  void OnCopyAllNew();
  void OnCopySelected();
  void OnClearCollector();
  void OnCancelJob();
  void OnHeaderClick(int column);
  void EnableButtons(bool on);

 public Q_SLOTS:
  void reject() override;

 protected:
  bool event(QEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* e) override;
  void contextMenuEvent(QContextMenuEvent* e) override;

 private:
  // Writes the port field to the profile unless it holds that port already;
  // false, with the message and the stored port back in the field, when the
  // write fails.
  bool StorePort();
  void ZeroJobTable();
  bool StartJob(int kind);
  void StartClearJob();
  void StepProgress();
  void MarkCopied(std::uint32_t entry);
  void SortRows(int column);
  void OnReaderEvent(const zv::ReaderEvent& e);

  zv::CollectorJobSetup setup_;
  QTableWidget* list_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QCheckBox* data_transfer_ = nullptr;
  QCheckBox* archive_save_ = nullptr;
  bool clear_after_copy_ = false;
  QCheckBox* show_deleted_ = nullptr;
  QLineEdit* port_ = nullptr;
  QPushButton* copy_all_ = nullptr;
  QPushButton* cancel_ = nullptr;
  QPushButton* file_list_ = nullptr;
  QPushButton* copy_selected_ = nullptr;
  QPushButton* clear_ = nullptr;
  QTimer clear_timer_;
  zv::CopyJob job_;
  int list_kind_ = 0;       // the kind the rows were listed with
  int running_job_ = 0;     // the job of the worker that runs or ran last
  bool listing_ = false;    // the walk runs (on this thread)
  bool close_pending_ = false;
  bool clear_deferred_ = false;  // the clear's wait ended during the walk
  bool closing_ = false;
  bool cancelled_ = false;  // the stopping job's reports are not shown
  int jobs_started_ = 0;
  int jobs_finished_ = 0;
  zv::ZevcSink sink_;
  zv::ReaderWorker worker_;  // joined first when the dialog goes
};
