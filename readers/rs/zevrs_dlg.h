#pragma once
// CZEVRSDlg: ZEVRS's main window, a dialog with the 40 value fields, the two
// job buttons, the converter and archive check boxes, the port field and the
// progress bar; its title carries the status.
//
// The worker reports through ZevrsSink as posted events:
//   code 4  progress one step (held at the maximum)
//   code 5  title "ZEVRS - " + text
//   code 6  progress range 0..n, position 0, title "ZEVRS"
//   code 7  progress position 0
//   values ready: the fields;  current data read: the fields, position 0,
//   title "ZEVRS ОК - Считано". Other codes are ignored.
//
// Settings ZEVRS/Properties: Port (stored when its field loses the focus and
// again at a job button, so the worker never opens a stale port),
// DataTransfer and ArchiveSave (stored on click).
//
// Closing (window button or Esc) during a job sets g_bStop and joins the
// worker before the dialog goes.

#include <QDialog>
#include <array>

#include "readers/common/qt_reader_sink.h"
#include "readers/common/reader_worker.h"
#include "readers/rs/read_thread.h"

class QCheckBox;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace zv {

// ZEVRS's own reports, after the link events.
inline constexpr int kReaderValuesReady = -2;
inline constexpr int kReaderCurrentDataRead = -3;

class ValuesEvent : public ReaderEvent {
 public:
  explicit ValuesEvent(const ReadJob& job) : ReaderEvent(kReaderValuesReady, 0), job(job) {}
  const ReadJob job;
};

class ZevrsSink : public QtReaderSink<DirectReaderSink> {
 public:
  using QtReaderSink::QtReaderSink;
  void OnValuesReady(const ReadJob& job) override { Post(std::make_unique<ValuesEvent>(job)); }
  void OnCurrentDataRead() override { Post(std::make_unique<ReaderEvent>(kReaderCurrentDataRead, 0)); }
};

}  // namespace zv

class CZEVRSDlg : public QDialog {
  Q_OBJECT

 public:
  explicit CZEVRSDlg(zv::DirectJobSetup setup, QWidget* parent = nullptr);
  ~CZEVRSDlg() override;

  QPushButton* current_button() const { return current_button_; }
  QPushButton* hourly_button() const { return hourly_button_; }
  QLineEdit* port_edit() const { return port_; }
  QCheckBox* data_transfer_box() const { return data_transfer_; }
  QCheckBox* archive_save_box() const { return archive_save_; }
  QProgressBar* progress() const { return progress_; }
  QLineEdit* field(int i) const { return fields_[static_cast<size_t>(i)]; }
  bool WorkerRunning() const { return worker_.Running(); }

  void OnReadCurrent();
  void OnReadHourly();
  void ClearValues();

 public slots:
  void reject() override;

 protected:
  bool event(QEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* e) override;
  void contextMenuEvent(QContextMenuEvent* e) override;

 private:
  void StartJob(int job);
  // Writes the port field to the profile unless it holds that port already;
  // false, with the message and the stored port back in the field, when the
  // write fails.
  bool StorePort();
  void ShowValues(const zv::ReadJob& job);
  void OnReaderEvent(const zv::ReaderEvent& e);

  zv::DirectJobSetup setup_;
  QLineEdit* port_ = nullptr;
  QProgressBar* progress_ = nullptr;
  zv::ReadJob job_;
  QCheckBox* data_transfer_ = nullptr;
  QCheckBox* archive_save_ = nullptr;
  QPushButton* current_button_ = nullptr;
  QPushButton* hourly_button_ = nullptr;
  std::array<QLineEdit*, zv::kValueFieldCount> fields_{};
  zv::ZevrsSink sink_;
  zv::ReaderWorker worker_;  // joined first when the dialog goes
};
