// The viewer document: opening a node file and loading the viewing period.
#include "viewer/view_doc.h"

#include <cerrno>
#include <cstring>
#include <optional>
#include <utility>

#include "grid/wait_cursor.h"
#include "platform/ascii.h"
#include "platform/atomic_file.h"
#include "platform/qt/message_box.h"
#include "platform/qt/qt_text.h"
#include "platform/text_lines.h"

namespace {

// A line of the data section that holds a record: a TAB, and not at its start
// (blank lines and stray texts are passed over).
bool IsDataLine(std::string_view trimmed) {
  const size_t tab = trimmed.find('\t');
  return tab != std::string_view::npos && tab != 0;
}

}  // namespace

CZEVViewDoc::CZEVViewDoc(const PeriodSource* period, QObject* parent) : QObject(parent), period_(period) {}

CZEVViewDoc::~CZEVViewDoc() = default;

bool CZEVViewDoc::OnNewDocument() { return false; }

DateStamp CZEVViewDoc::ParseLineTime(std::string_view line) { return CZEVDataRec::ParseLineTime(line); }

void CZEVViewDoc::SetTitle() {
  std::string title = header.GetString("N") + " " + header.GetString("NAME");
  if (title == title_) return;
  title_ = std::move(title);
  emit TitleChanged();
}

QString CZEVViewDoc::TitleText() const { return zv::QFromCp1251(title_); }

void CZEVViewDoc::SetPathName(const std::string& path, bool add_to_mru) {
  path_ = path;
  emit PathChanged(QString::fromStdString(path), add_to_mru);
}

bool CZEVViewDoc::OnOpenDocument(const std::string& path) {
  bool ok = LoadAndReport(path, TakePeriod(), true);
  // Yes to the question: once more for the file's last month, without asking.
  if (ok && openLastMonth) ok = LoadAndReport(path, TakePeriod(), false);
  openLastMonth = 0;
  if (ok) path_ = path;
  return ok;
}

bool CZEVViewDoc::ReloadLastPeriod() {
  if (!has_last_period_) return OnOpenDocument(path_);
  return LoadAndReport(path_, last_period_, false);
}

CZEVViewDoc::LoadPeriod CZEVViewDoc::TakePeriod() {
  LoadPeriod p;
  if (openLastMonth) {
    // The month that ends the day before the last data line.
    p.end = lastLineTime.Decrement(DateStamp::kDay);
    p.begin = lastLineTime.Decrement(DateStamp::kMonth);
    openLastMonth = 0;
  } else if (period_ != nullptr) {
    p.begin = period_->PeriodBegin();
    p.end = period_->PeriodEnd();
  }
  return p;
}

void CZEVViewDoc::EmptyData() {
  records.clear();
  summary.clear();
  startEnd.clear();
  journal.clear();
  journalImage.fill(0);
  normalHours = noCountHours = errorBits = 0;
  ComputePrintWidths();
}

bool CZEVViewDoc::LoadAndReport(const std::string& path, const LoadPeriod& period, bool ask) {
  std::string error;
  if (Load(path, period, ask, error) == LoadResult::kLoaded) return true;
  EmptyData();
  zv::ShowMessage(QString::fromUtf8("Не удается открыть файл %1.\n%2")
                      .arg(QString::fromStdString(path), QString::fromLocal8Bit(error.c_str())),
                  zv::MessageIcon::kWarning);
  return false;
}

bool CZEVViewDoc::AskForLastMonth(const std::string& path) const {
  const QString text =
      QString::fromUtf8("В файле %1 данные за выбранный период не найдены!\nОткрыть данные последнего месяца?")
          .arg(QString::fromStdString(zv::BaseName(path)));
  return zv::ShowMessage(text, zv::MessageIcon::kQuestion, zv::MessageButtons::kYesNo) == zv::MessageResult::kYes;
}

CZEVViewDoc::LoadResult CZEVViewDoc::Load(const std::string& path, const LoadPeriod& period, bool ask,
                                          std::string& error) {
  std::optional<CWaitCursor> wait(std::in_place);
  zv::TextLineReader in;
  if (!in.Open(path)) {
    error = std::strerror(errno);
    return LoadResult::kFailed;
  }
  CDataHeader h(CDataHeader::kViewer);
  h.Read(in);
  if (in.Failed()) {
    error = std::strerror(EIO);
    return LoadResult::kFailed;
  }
  header = std::move(h);
  records.clear();
  summary.clear();
  startEnd.clear();
  SetTitle();
  last_period_ = period;
  has_last_period_ = true;
  const DateStamp& begin = period.begin;
  const DateStamp& end = period.end;
  if (begin.Compare(end, DateStamp::kDay) >= 0) return LoadResult::kLoaded;

  const int version = header.GetInt("V");
  std::vector<CZEVDataRec> recs;
  std::string line;
  std::string before;  // the last line before the period
  bool have_before = false;
  bool in_period = false;
  bool stopped = false;
  DateStamp last_time;
  while (in.Next(line)) {
    const std::string_view t = zv::TrimView(line);
    if (!IsDataLine(t) || CZEVDataRec::IsUnfinishedLine(in, t, version)) continue;
    const DateStamp time = ParseLineTime(t);
    last_time = time;
    if (!in_period) {
      if (time.Compare(begin, DateStamp::kDay) < 0) {
        before.swap(line);  // `t` is not used after this
        have_before = true;
        continue;
      }
      if (have_before) {
        const std::string_view b = zv::TrimView(before);
        recs.emplace_back(ParseLineTime(b), b, version);
      }
      in_period = true;
    }
    recs.emplace_back(time, t, version);
    // At most one line after the period, also when it is the first one read.
    if (time.Compare(end, DateStamp::kDay) > 0) {
      stopped = true;
      break;
    }
  }
  const bool too_few = recs.size() < 2;
  if (too_few && ask && stopped) {
    // The question offers the file's last month: find its last data line.
    while (in.Next(line)) {
      const std::string_view t = zv::TrimView(line);
      if (IsDataLine(t) && !CZEVDataRec::IsUnfinishedLine(in, t, version)) last_time = ParseLineTime(t);
    }
  }
  if (in.Failed()) {
    error = std::strerror(EIO);
    return LoadResult::kFailed;
  }
  in.Close();
  recs.shrink_to_fit();
  records = std::move(recs);

  if (!too_few) {
    BuildPeriodSummary();
  } else if (ask) {
    wait->Restore();
    if (AskForLastMonth(path)) {
      lastLineTime = last_time;
      openLastMonth = 1;
    }
    wait.emplace();
  }
  ComputePrintWidths();
  const zv::JournalLoad j = zv::LoadJournal(path, header, journalImage);
  journal = j.entries;
  return LoadResult::kLoaded;
}
