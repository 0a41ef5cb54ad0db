#pragma once
// CZEVViewDoc: one open node file in the viewer.
//
// A load reads the header, then only the hourly records the viewing period
// needs: the last line before the period (the base of the first hour), every
// line of the period's days, and the first line after it. Lines outside are only
// dated (their first 16 characters), so the last month of ten years of data
// costs little more than reading the file. With two records or more the load
// builds the period summary (totals, means, error-hour counters) and the print
// widths, then loads the node's settings-change journal.
//
// When the period holds no data the user is asked whether to see the file's last
// month instead; Yes loads again for the month that ends the day before the
// file's last data line, without asking again.
//
// A save (after the node settings changed the header) writes the header anew and
// copies every data line as it stands, or with newly evaluated error codes when
// `recompute` is set. The new content goes to a temporary file beside the node
// file and replaces it only when complete, so a failure leaves the file exactly
// as it was. When the header's N and NAME name another file (N_NAME.zev, "data"
// for an empty NAME), the content is committed under that name, never over an
// existing file, and the old file is removed; the document's path follows. The
// save holds the converter lock (platform/converter_lock.h) exclusively from its
// read to its rename: while a converter runs it waits, events processed and user
// input held back under the wait cursor, and past the bound it fails with "file
// is being changed by another program", the file left as it is. If the file
// still changes while it is being saved (a writer outside our programs), the
// save starts over. An unfinished last line (data/data_record.h) is not loaded
// and is saved back as it is, without a line end.
//
// No widgets: the period comes from a PeriodSource, the question and the
// messages go through zv::ShowMessage. Paths are the on-disk form (UTF-8); header
// and journal texts are Windows-1251.
//
// Use:
//   CZEVViewDoc doc(&main_frame);               // main_frame: a PeriodSource
//   if (!doc.OnOpenDocument(path)) close the window (the message was shown)
//   view.Show(doc.records, doc.summary);
//   dialog.Run(doc.header); doc.recompute |= dialog.schemeChanged;
//   doc.OnSaveDocument(doc.GetPathName());

#include <QObject>
#include <QString>
#include <array>
#include <chrono>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "data/data_header.h"
#include "data/data_record.h"
#include "data/journal.h"
#include "viewer/period_source.h"

class CZEVViewDoc : public QObject {
  Q_OBJECT

 public:
  explicit CZEVViewDoc(const PeriodSource* period = nullptr, QObject* parent = nullptr);
  ~CZEVViewDoc() override;

  // Without a period source a load reads the header and no records.
  void SetPeriodSource(const PeriodSource* period) { period_ = period; }

  // The viewer never creates a node file.
  bool OnNewDocument();
  // Loads the file for the current period (see the top of this file). False when
  // the file cannot be read: the message has been shown, and records, summary,
  // startEnd and journal are empty, so no window shows another period's data.
  bool OnOpenDocument(const std::string& path);
  // Loads the file again for the period of the last load (the last-month one
  // too), without the question; for a rebuild after a save.
  bool ReloadLastPeriod();
  // Writes the header (and, with recompute, the error codes) into the file at
  // `path`, renaming it after N and NAME. False with a message when nothing
  // could be written; the file is then byte for byte as it was and recompute
  // stays set.
  bool OnSaveDocument(const std::string& path);

  // The title: the header's N, a blank and NAME (Windows-1251).
  void SetTitle();
  const std::string& GetTitle() const { return title_; }
  QString TitleText() const;

  const std::string& GetPathName() const { return path_; }
  // Sets the path; `add_to_mru` asks the program to put it into the recent files.
  void SetPathName(const std::string& path, bool add_to_mru = true);

  // The time of a data line from its first 16 characters ("dd.mm.yyyy\thh:mm").
  static DateStamp ParseLineTime(std::string_view line);
  // summary = [period record, error-hour counters], startEnd = [last, second]
  // record; needs two records or more.
  void BuildPeriodSummary();
  // The print widths of the columns, from the period record.
  void ComputePrintWidths();

  // For tests: called after the new content is written and before it is
  // committed, with the attempt's number (0, 1, 2).
  void SetBeforeCommitHook(std::function<void(int attempt)> hook) { before_commit_ = std::move(hook); }
  // How long a save waits for running converters (30 s unless a test sets it).
  void SetConverterWaitBound(std::chrono::milliseconds bound) { converter_wait_bound_ = bound; }

  static constexpr int kColumns = zev_column::kCount;

  std::array<int, kColumns> width{};  // print width of each column id, in characters
  int recompute = 0;                  // evaluate every error code anew at the next save
  int openLastMonth = 0;              // the next load shows the month before lastLineTime
  DateStamp lastLineTime;             // time of the file's last data line
  int page = 0;                       // the report page (0..3) the table shows
  CDataHeader header{CDataHeader::kViewer};
  std::vector<CZEVDataRec> records;     // the records of the period, in file order
  std::vector<CZEVDataRec> summary;     // [period record, error-hour counters]
  std::vector<CZEVDataRec> startEnd;    // [reading at the period's end, at its start]
  std::vector<CLastChangesRec> journal;  // newest first
  zv::JournalImage journalImage{};
  int normalHours = 0;
  int noCountHours = 0;
  int errorBits = 0;

 signals:
  // The path changed (a save under a new name); `add_to_mru`: put it into the
  // recent files.
  void PathChanged(const QString& path, bool add_to_mru);
  // The title changed (after a load or a save).
  void TitleChanged();

 private:
  enum class LoadResult { kLoaded, kFailed };
  struct LoadPeriod {
    DateStamp begin;
    DateStamp end;
  };

  bool LoadAndReport(const std::string& path, const LoadPeriod& period, bool ask);
  // Reads the file for the period; on failure `error` gets the reason.
  LoadResult Load(const std::string& path, const LoadPeriod& period, bool ask, std::string& error);
  // The period of this load; consumes openLastMonth.
  LoadPeriod TakePeriod();
  bool AskForLastMonth(const std::string& path) const;
  void EmptyData();

  // One attempt of the save; see view_doc_save.cpp.
  enum class SaveStep { kDone, kFailed, kChanged };
  SaveStep SaveOnce(const std::string& path, const std::string& target, bool rename, int attempt,
                    QString& error);

  const PeriodSource* period_ = nullptr;
  std::string path_;
  std::string title_;
  LoadPeriod last_period_;
  bool has_last_period_ = false;
  std::function<void(int)> before_commit_;
  std::chrono::milliseconds converter_wait_bound_{30000};
};
