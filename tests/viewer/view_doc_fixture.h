#pragma once
// The viewer document tests' fixture: a folder for generated node files, a fixed
// viewing period, the message hook (answers queued per test) and the document.

#include <QCoreApplication>
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "platform/qt/message_box.h"
#include "tests/sim/node_file_generator.h"
#include "tests/support/temp_dir.h"
#include "viewer/period_source.h"
#include "viewer/view_doc.h"

inline void PrintTo(const DateStamp& t, std::ostream* os) { *os << t.Format(true); }

namespace zv::test {

inline DateStamp Hour(int y, int mo, int d, int h = 0) { return DateStamp(y, mo, d, h, 0, 0); }

class ViewDocTest : public testing::Test {
 protected:
  ViewDocTest() {
    QCoreApplication::setApplicationName("ZEVView");
    QObject::connect(&doc, &CZEVViewDoc::PathChanged,
                     [this](const QString& path, bool mru) { path_changes.emplace_back(path, mru); });
    QObject::connect(&doc, &CZEVViewDoc::TitleChanged, [this] { ++title_changes; });
  }

  // A file of every hour from `first` to `last` (V 4, N 00012).
  static sim::NodeFilePlan Hours(const DateStamp& first, const DateStamp& last) {
    sim::NodeFilePlan plan;
    plan.data = sim::HourlySeries::Between(first, last);
    return plan;
  }
  std::string Write(const sim::NodeFilePlan& plan) {
    std::string path = sim::WriteNodeFile(dir.path(), plan);
    EXPECT_FALSE(path.empty());
    return path;
  }
  bool Open(const std::string& path, const DateStamp& begin, const DateStamp& end) {
    period.begin = begin;
    period.end = end;
    return doc.OnOpenDocument(path);
  }
  std::vector<DateStamp> RecordTimes() const {
    std::vector<DateStamp> t;
    for (const CZEVDataRec& r : doc.records) t.push_back(r.time);
    return t;
  }

  TempDir dir;
  FixedPeriod period;
  ScopedMessageHook messages;
  CZEVViewDoc doc{&period};
  std::vector<std::pair<QString, bool>> path_changes;  // the document's signals
  int title_changes = 0;
};

}  // namespace zv::test
