// Loading a node file for the viewing period: which records come in, the
// question when the period holds no data, the journal, and failed loads.
#include <cstdio>

#include "platform/ascii.h"
#include "platform/cp1251.h"
#include "platform/text_lines.h"
#include "tests/support/fifo_watchdog.h"
#include "tests/viewer/view_doc_fixture.h"

namespace {

using zv::MessageResult;
using zv::test::Hour;
using zv::test::ViewDocTest;

const QString kQuestion = QString::fromUtf8(
    "В файле 00012_Котельная №1.zev данные за выбранный период не найдены!\nОткрыть данные последнего месяца?");

// Which records a period takes from a file, and whether it asks.
TEST_F(ViewDocTest, PeriodTakesTheLineBeforeItsDaysAndTheFirstLineAfter) {
  zv::sim::NodeFilePlan plan = Hours(Hour(2024, 2, 1), Hour(2024, 3, 31, 23));
  plan.data.gaps.push_back({Hour(2024, 3, 5), Hour(2024, 3, 20, 23)});
  const std::string path = Write(plan);
  struct Case {
    const char* what;
    DateStamp begin, end;
    size_t count;
    DateStamp first, last;
    bool asks;
  } cases[] = {
      {"two days", Hour(2024, 3, 1), Hour(2024, 3, 2), 50, Hour(2024, 2, 29, 23), Hour(2024, 3, 3), false},
      {"in a gap", Hour(2024, 3, 10), Hour(2024, 3, 12), 2, Hour(2024, 3, 4, 23), Hour(2024, 3, 21), false},
      {"before all data", Hour(2024, 1, 1), Hour(2024, 1, 10), 1, Hour(2024, 2, 1), Hour(2024, 2, 1), true},
      {"after all data", Hour(2024, 4, 1), Hour(2024, 4, 30), 0, {}, {}, true},
      {"up to the last day", Hour(2024, 3, 30), Hour(2024, 3, 31), 48 + 1, Hour(2024, 3, 29, 23),
       Hour(2024, 3, 31, 23), false},
      {"one day", Hour(2024, 3, 1), Hour(2024, 3, 1), 0, {}, {}, false},
      {"end before begin", Hour(2024, 3, 2), Hour(2024, 3, 1), 0, {}, {}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    messages.Clear();
    if (c.asks) messages.QueueAnswer(MessageResult::kNo);
    ASSERT_TRUE(Open(path, c.begin, c.end));
    ASSERT_EQ(doc.records.size(), c.count);
    if (c.count > 0) {
      EXPECT_EQ(doc.records.front().time, c.first);
      EXPECT_EQ(doc.records.back().time, c.last);
    }
    EXPECT_EQ(doc.summary.size(), c.count >= 2 ? 2u : 0u);
    ASSERT_EQ(messages.texts().size(), c.asks ? 1u : 0u);
    if (c.asks) {
      EXPECT_EQ(messages.requests()[0].text, kQuestion);
      EXPECT_EQ(messages.requests()[0].buttons, zv::MessageButtons::kYesNo);
      EXPECT_EQ(messages.requests()[0].title, "ZEVView");
    }
    EXPECT_EQ(doc.openLastMonth, 0);
  }
  // Every record in between is a line of the period's days, in file order.
  ASSERT_TRUE(Open(path, Hour(2024, 3, 1), Hour(2024, 3, 2)));
  DateStamp t = Hour(2024, 2, 29, 23);
  for (const DateStamp& r : RecordTimes()) {
    EXPECT_EQ(r, t);
    t.Increment(DateStamp::kHour);
  }
}

TEST_F(ViewDocTest, YesOpensTheMonthBeforeTheFilesLastDataLine) {
  // The last line 15.03.2024 12:00; the period before all data stops reading
  // early, after it reading runs to the end: both offer the same last month.
  const std::string path = Write(Hours(Hour(2024, 2, 1), Hour(2024, 3, 15, 12)));
  for (const auto& [begin, end] : {std::pair{Hour(2024, 4, 1), Hour(2024, 4, 30)},
                                   std::pair{Hour(2024, 1, 1), Hour(2024, 1, 10)}}) {
    messages.Clear();
    messages.QueueAnswer(MessageResult::kYes);
    ASSERT_TRUE(Open(path, begin, end));
    ASSERT_EQ(messages.texts(), std::vector<QString>{kQuestion});
    // 14.02.2024 - 14.03.2024: the last line of 13.02, 30 days, the first line of 15.03.
    ASSERT_EQ(doc.records.size(), 1u + 30 * 24 + 1);
    EXPECT_EQ(doc.records.front().time, Hour(2024, 2, 13, 23));
    EXPECT_EQ(doc.records[1].time, Hour(2024, 2, 14, 0));
    EXPECT_EQ(doc.records.back().time, Hour(2024, 3, 15, 0));
    EXPECT_EQ(doc.summary.size(), 2u);
    EXPECT_EQ(doc.openLastMonth, 0);
  }
}

TEST_F(ViewDocTest, LastMonthReloadNeverAsksAgain) {
  zv::sim::NodeFilePlan plan = Hours(Hour(2024, 3, 15, 12), Hour(2024, 3, 15, 12));  // one line
  const std::string path = Write(plan);
  messages.QueueAnswer(MessageResult::kYes);
  messages.QueueAnswer(MessageResult::kYes);
  ASSERT_TRUE(Open(path, Hour(2024, 3, 1), Hour(2024, 3, 10)));
  // The month 14.02 - 14.03 holds no line either: its one record is the line
  // after it, and nothing more is asked.
  EXPECT_EQ(messages.texts().size(), 1u);
  ASSERT_EQ(doc.records.size(), 1u);
  EXPECT_EQ(doc.records[0].time, Hour(2024, 3, 15, 12));
  EXPECT_TRUE(doc.summary.empty());
  EXPECT_EQ(doc.openLastMonth, 0);
  // The next period change shows that period, not the last month.
  messages.Clear();
  messages.QueueAnswer(MessageResult::kNo);
  ASSERT_TRUE(Open(path, Hour(2024, 3, 20), Hour(2024, 3, 25)));
  ASSERT_EQ(doc.records.size(), 1u);
  EXPECT_EQ(doc.records[0].time, Hour(2024, 3, 15, 12));
  EXPECT_EQ(messages.texts().size(), 1u);
}

TEST_F(ViewDocTest, ReloadLastPeriodKeepsTheLastMonthWithoutAsking) {
  const std::string path = Write(Hours(Hour(2024, 2, 1), Hour(2024, 3, 15, 12)));
  messages.QueueAnswer(MessageResult::kYes);
  ASSERT_TRUE(Open(path, Hour(2024, 4, 1), Hour(2024, 4, 30)));
  period.begin = Hour(2024, 3, 1);  // the frame's period is not the one shown
  period.end = Hour(2024, 3, 2);
  messages.Clear();
  ASSERT_TRUE(doc.ReloadLastPeriod());
  EXPECT_TRUE(messages.texts().empty());
  EXPECT_EQ(doc.records.size(), 722u);
  EXPECT_EQ(doc.records.front().time, Hour(2024, 2, 13, 23));
}

TEST_F(ViewDocTest, LinesWithoutDataAreSkippedAndLineEndsDoNotMatter) {
  zv::sim::NodeFilePlan plan = Hours(Hour(2024, 2, 29), Hour(2024, 3, 3, 23));
  // Line 24 is 01.03 00:00.
  plan.damage = {{30, zv::sim::LineDamage::kNoTab},
                 {31, zv::sim::LineDamage::kTabFirst},
                 {32, zv::sim::LineDamage::kBlank},
                 {33, zv::sim::LineDamage::kJunk}};
  plan.trailing_lines = {"", "  "};
  std::vector<DateStamp> expected;
  for (DateStamp t = Hour(2024, 2, 29, 23); t.Compare(Hour(2024, 3, 3, 0), DateStamp::kHour) <= 0;
       t.Increment(DateStamp::kHour)) {
    // 06:00 has no TAB, 08:00 is empty, 09:00 junk; 07:00 keeps its data once
    // trimmed of the TAB before it.
    if (!(t.day == 1 && (t.hour == 6 || t.hour == 8 || t.hour == 9))) expected.push_back(t);
  }
  for (bool lf : {false, true}) {
    plan.lf_ends = lf;
    const std::string path = Write(plan);
    ASSERT_TRUE(Open(path, Hour(2024, 3, 1), Hour(2024, 3, 2)));
    EXPECT_EQ(RecordTimes(), expected) << "LF " << lf;
    EXPECT_EQ(doc.records[1].value[zev_column::kE1],
              zv::sim::DataValues(plan.data, 4)[24].value[zev_column::kE1]);
  }
  EXPECT_TRUE(messages.texts().empty());
}

TEST_F(ViewDocTest, HeaderTitleAndRecordLayoutFollowTheFile) {
  zv::sim::NodeFilePlan plan = Hours(Hour(2024, 3, 1), Hour(2024, 3, 3));
  plan.header = zv::sim::NodeHeaderKeys::Converted(8, "00345", zv::W1251("ЦТП-2"), 12);
  const std::string path = Write(plan);
  ASSERT_TRUE(Open(path, Hour(2024, 3, 1), Hour(2024, 3, 2)));
  EXPECT_EQ(doc.GetTitle(), zv::W1251("00345 ЦТП-2"));
  EXPECT_EQ(doc.TitleText(), QString::fromUtf8("00345 ЦТП-2"));
  EXPECT_EQ(title_changes, 1);
  EXPECT_EQ(doc.GetPathName(), path);
  EXPECT_EQ(doc.header.GetInt("SCHEMA"), 12);
  EXPECT_EQ(doc.header.ColumnList(1).size(), 10u);
  const zv::sim::HourValues first = zv::sim::DataValues(plan.data, 8)[0];
  EXPECT_EQ(doc.records[0].kind, 2);
  EXPECT_EQ(doc.records[0].value[zev_column::kV8], first.value[zev_column::kV8]);
  EXPECT_FALSE(doc.OnNewDocument());
}

TEST_F(ViewDocTest, JournalFromItsFileFromTheHeaderOrEmpty) {
  const std::string path = Write(Hours(Hour(2024, 3, 1), Hour(2024, 3, 3)));
  // No journal file: the header's three LAST_CHANGES entries.
  ASSERT_TRUE(Open(path, Hour(2024, 3, 1), Hour(2024, 3, 2)));
  ASSERT_EQ(doc.journal.size(), 3u);
  EXPECT_EQ(doc.journal[0].time, DateStamp(2024, 1, 10, 9, 0, 0));
  // The file: its entries, newest first, and its bytes.
  const std::string bytes = zv::sim::JournalFileBytes(zv::sim::SampleJournal(Hour(2024, 3, 1, 10), 5));
  zv::sim::WriteJournalFile(dir.path(), "00012", bytes);
  ASSERT_TRUE(doc.OnOpenDocument(path));
  ASSERT_EQ(doc.journal.size(), 5u);
  EXPECT_EQ(doc.journal[0].time, Hour(2024, 3, 1, 10));
  EXPECT_EQ(std::string(doc.journalImage.begin(), doc.journalImage.end()), bytes);
  // A short file: no entries, and no fall-back to the header.
  zv::sim::WriteJournalFile(dir.path(), "00012", bytes.substr(0, 100));
  ASSERT_TRUE(doc.OnOpenDocument(path));
  EXPECT_TRUE(doc.journal.empty());
  EXPECT_TRUE(messages.texts().empty());
}

TEST_F(ViewDocTest, FailedLoadEmptiesTheDataAndSaysSo) {
  const std::string path = Write(Hours(Hour(2024, 2, 1), Hour(2024, 3, 31, 23)));
  zv::sim::WriteJournalFile(dir.path(), "00012",
                            zv::sim::JournalFileBytes(zv::sim::SampleJournal(Hour(2024, 3, 1, 10), 5)));
  ASSERT_TRUE(Open(path, Hour(2024, 3, 1), Hour(2024, 3, 2)));
  ASSERT_FALSE(doc.records.empty());
  ASSERT_FALSE(doc.journal.empty());
  // The workstation renamed the file; the period changes.
  ASSERT_EQ(std::rename(path.c_str(), dir.File("00012_B.zev").c_str()), 0);
  period.begin = Hour(2024, 3, 5);
  EXPECT_FALSE(doc.OnOpenDocument(path));
  EXPECT_TRUE(doc.records.empty());
  EXPECT_TRUE(doc.summary.empty());
  EXPECT_TRUE(doc.startEnd.empty());
  EXPECT_TRUE(doc.journal.empty());
  EXPECT_EQ(doc.width[zev_column::kE1], 6);
  ASSERT_EQ(messages.texts().size(), 1u);
  EXPECT_TRUE(messages.texts()[0].startsWith(QString::fromUtf8("Не удается открыть файл ") +
                                             QString::fromStdString(path) + ".\n"))
      << messages.texts()[0].toStdString();
  EXPECT_EQ(messages.requests()[0].icon, zv::MessageIcon::kWarning);
}

// A FIFO named as a node file fails the open at once, with the open-failure
// message, instead of waiting for a writer.
TEST_F(ViewDocTest, FifoFailsTheOpenAtOnce) {
  const zv::test::FifoWatchdog fifo(dir.File("00012_A.zev"));
  ASSERT_TRUE(fifo.made());
  EXPECT_FALSE(Open(fifo.path(), Hour(2024, 3, 1), Hour(2024, 3, 2)));
  EXPECT_FALSE(fifo.ReaderWasStuck());
  ASSERT_EQ(messages.texts().size(), 1u);
  EXPECT_TRUE(messages.texts()[0].startsWith(QString::fromUtf8("Не удается открыть файл ") +
                                             QString::fromStdString(fifo.path()) + ".\n"))
      << messages.texts()[0].toStdString();
}

// A read that breaks off in the middle of the data fails the load: the lines
// read so far are not shown as the whole period.
TEST_F(ViewDocTest, ReadErrorInTheDataFailsTheLoad) {
  const std::string path = Write(Hours(Hour(2024, 3, 1), Hour(2024, 3, 4, 23)));
  int header_lines = 0;
  {
    zv::TextLineReader in(path);
    std::string line;
    while (in.Next(line) && zv::TrimView(line) != "$") ++header_lines;
  }
  const zv::ScopedLineReadFault fault(path, header_lines + 1 + 30);
  EXPECT_FALSE(Open(path, Hour(2024, 2, 1), Hour(2024, 4, 1)));
  EXPECT_TRUE(doc.records.empty());
  EXPECT_TRUE(doc.summary.empty());
  ASSERT_EQ(messages.texts().size(), 1u);
  EXPECT_TRUE(messages.texts()[0].startsWith(QString::fromUtf8("Не удается открыть файл ") +
                                             QString::fromStdString(path) + ".\n"));
}

}  // namespace
