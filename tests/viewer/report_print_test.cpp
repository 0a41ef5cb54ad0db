// The report through the print loop: how its rows and its closing block fall
// into pages, a page range printed on its own, the question before a table wider
// than the paper, and two windows that each print their own.

#include <gtest/gtest.h>

#include <QFile>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <algorithm>
#include <string>
#include <vector>

#include "data/data_columns.h"
#include "platform/cp1251.h"
#include "platform/str_format.h"
#include "tests/viewer/modal_answer.h"
#include "tests/viewer/report_fixture.h"
#include "viewer/command_ui.h"
#include "viewer/report_texts.h"

namespace {

using zv::test::ArialHeight;
using zv::test::At;
using zv::test::LineSegment;
using zv::test::RecordingDevice;
using zv::test::ReportTest;
using zv::test::TextRun;

constexpr int kLimit = 2910;  // the top of the footer band on A4 portrait
const char kLastSignatures[] = "Представитель обслуживающей организации:_________________________________________________";

double Bottom(const TextRun& run) { return run.top + run.height; }

std::string Label(int n) { return zv::StrFormat("R%04d", n); }

bool IsLabel(const TextRun& run) {
  const std::string text = run.Utf8();
  return text.size() == 5 && text[0] == 'R' && text.find_first_not_of("0123456789", 1) == std::string::npos;
}

// Leaves `count` body rows in the view's table and labels them R0001, R0002, ...
// in their first column, so that every printed row can be told by its label.
void KeepLabelledRows(CTableView& view, int count) {
  CViewerGridCtrl& grid = *view.GetGrid();
  const int fixed = grid.GetFixedRowCount();
  while (grid.GetRowCount() - fixed > count) grid.DeleteRow(grid.GetRowCount() > fixed + 1 ? fixed + 1 : fixed);
  ASSERT_EQ(grid.GetRowCount() - fixed, count);
  for (int row = fixed; row < grid.GetRowCount(); ++row) grid.SetItemText(row, 0, Label(row - fixed + 1));
}

// What one recorded page carries.
struct PageContent {
  std::vector<std::string> labels;  // the body rows' labels, top to bottom
  double lowestLine = 0;            // the lowest line of the tables (not a band rule)
  int sheets = 0;                   // "Лист ..." texts
  std::string sheet;                // the last of them
  int closings = 0;                 // the closing block's last line
  const TextRun* closing = nullptr;
  int lines = 0;                    // drawn lines, the band rules included
};

std::vector<PageContent> Contents(const RecordingDevice& device) {
  std::vector<PageContent> pages(static_cast<size_t>(device.Pages()));
  for (const TextRun& run : device.Texts()) {
    PageContent& page = pages[static_cast<size_t>(run.page - 1)];
    if (IsLabel(run)) {
      page.labels.push_back(run.Utf8());
    }
    if (run.Utf8().rfind("Лист ", 0) == 0) {
      ++page.sheets;
      page.sheet = run.Utf8();
    }
    if (run.Utf8() == kLastSignatures) {
      ++page.closings;
      page.closing = &run;
    }
  }
  for (const LineSegment& line : device.Lines()) {
    PageContent& page = pages[static_cast<size_t>(line.page - 1)];
    ++page.lines;
    // The band rules run from the page's left edge, the tables from the margin.
    if (line.x1 > 0) page.lowestLine = std::max(page.lowestLine, line.y2);
  }
  return pages;
}

// The heights a page is laid out with, taken from a report of three rows: where
// the body rows start on page 1 and on later pages, the room a row takes and the
// height of the closing block below the last row.
struct Room {
  int firstRowsTop = 0;
  int rowsTop = 0;
  int step = 0;
  int closing = 0;
  // Rows that fit below `top`, and those that still leave room for the block.
  int Rows(int top) const { return (kLimit - top) / step; }
  int RowsWithClosing(int top) const { return (kLimit - closing - top) / step; }
};

class ReportPagesTest : public ReportTest {
 protected:
  // Two weeks of hours: 336 rows and more for the hourly table.
  CTableView& TwoWeeks() {
    EXPECT_TRUE(Open(Hours(At(2024, 2, 29, 23), At(2024, 3, 15, 0)), At(2024, 3, 1), At(2024, 3, 14)));
    return NewView(CTableView::kHourly);
  }

  Room Measure(CTableView& view) {
    const CViewerGridCtrl& grid = *view.GetGrid();
    KeepLabelledRows(view, 3);
    RecordingDevice device;
    EXPECT_TRUE(Record(view, device));
    Room room;
    const TextRun* title = device.Find("Среднечасовые показания");
    const TextRun* closing = device.Find(kLastSignatures);
    if (title == nullptr || closing == nullptr) {
      ADD_FAILURE() << "no title or closing block";
      return room;
    }
    // Heading rows three times their screen height, each sharing a line with
    // the one before (see the geometry tests).
    const int headings = 3 * grid.GetRowHeight(0) + 3 * grid.GetRowHeight(1) - 4;
    room.firstRowsTop = static_cast<int>(Bottom(*title)) + headings;
    room.rowsTop = 40 + headings;
    const int cy1 = ArialHeight(21);
    room.step = cy1 + cy1 / 2 - 2;
    room.closing = static_cast<int>(Bottom(*closing)) - (room.firstRowsTop + 3 * room.step);
    return room;
  }
};

// Rows and the closing block by the room they find: every body row printed once
// and in order, the block once on the last page and within it, every page
// numbered of the right count.
TEST_F(ReportPagesTest, RowsAndClosingBlockFallIntoPages) {
  CTableView& view = TwoWeeks();
  const int available = view.GetGrid()->GetRowCount() - view.GetGrid()->GetFixedRowCount();
  const Room room = Measure(view);
  ASSERT_GT(room.closing, 200);
  const int page1 = room.Rows(room.firstRowsTop);
  const int later = room.Rows(room.rowsTop);
  const int withClosing = room.RowsWithClosing(room.firstRowsTop);
  ASSERT_LT(withClosing + 1, page1);
  ASSERT_LE(page1 + later, available);

  struct Case {
    const char* what;
    int rows;
    std::vector<int> rowsPerPage;
    bool closingAlone;  // the last page carries the block alone: no rows, no heading rows
  };
  const Case cases[] = {
      {"no body rows", 0, {0}, false},
      {"one row", 1, {1}, false},
      {"the most rows that leave room for the block", withClosing, {withClosing}, false},
      {"one row more: the block goes on", withClosing + 1, {withClosing + 1, 0}, true},
      {"rows exactly fill page 1", page1, {page1, 0}, true},
      {"one row more than page 1 holds", page1 + 1, {page1, 1}, false},
      {"two full pages", page1 + later, {page1, later, 0}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    CTableView& v = NewView(CTableView::kHourly);
    KeepLabelledRows(v, c.rows);
    RecordingDevice device;
    ASSERT_TRUE(Record(v, device));
    const std::vector<PageContent> pages = Contents(device);
    const int count = static_cast<int>(pages.size());
    ASSERT_EQ(count, static_cast<int>(c.rowsPerPage.size()));
    int next = 1;
    for (int p = 1; p <= count; ++p) {
      const PageContent& page = pages[static_cast<size_t>(p - 1)];
      EXPECT_EQ(page.sheets, 1) << "page " << p;
      EXPECT_EQ(page.sheet, zv::StrFormat("Лист %d из %d", p, count)) << "page " << p;
      ASSERT_EQ(static_cast<int>(page.labels.size()), c.rowsPerPage[static_cast<size_t>(p - 1)]) << "page " << p;
      for (const std::string& label : page.labels) EXPECT_EQ(label, Label(next++)) << "page " << p;
      EXPECT_LE(page.lowestLine, kLimit) << "page " << p;
      EXPECT_EQ(page.closings, p == count ? 1 : 0) << "page " << p;
    }
    EXPECT_EQ(next, c.rows + 1);
    const PageContent& last = pages.back();
    ASSERT_NE(last.closing, nullptr);
    EXPECT_LE(Bottom(*last.closing), kLimit);
    EXPECT_GT(last.closing->top, last.lowestLine);
    // A page of the block alone draws no table: the band rules are its only lines.
    EXPECT_EQ(last.lines == 2, c.closingAlone) << last.lines;
    if (c.closingAlone) {
      EXPECT_EQ(last.closing->top, 40 + room.closing - last.closing->height);
    }
  }
}

// A page range that does not start at 1 prints its own pages as the whole job
// does: the same rows, bands and, on the last page, the closing block.
TEST_F(ReportPagesTest, PageRangePrintsItsOwnPages) {
  CTableView& view = TwoWeeks();
  const int available = view.GetGrid()->GetRowCount() - view.GetGrid()->GetFixedRowCount();
  const Room room = Measure(view);
  const int page1 = room.Rows(room.firstRowsTop);
  const int later = room.Rows(room.rowsTop);
  ASSERT_LE(page1 + 2 * later + 1, available);
  struct Case {
    int rows;
    int pages;
    int from, to;
  };
  const Case cases[] = {
      {page1 + 2 * later + 1, 4, 2, 3},  // the block on page 4, outside the range
      {page1 + later + 1, 3, 2, 3},      // the block after the one row of page 3
      {page1 + later + 1, 3, 3, 3},
      {page1 + later, 3, 2, 3},  // the block alone on page 3
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.rows << " rows, pages " << c.from << " to " << c.to);
    CTableView& v = NewView(CTableView::kHourly);
    KeepLabelledRows(v, c.rows);
    settings.setPrintRange(QPrinter::AllPages);
    RecordingDevice whole;
    ASSERT_TRUE(Record(v, whole));
    ASSERT_EQ(whole.Pages(), c.pages);

    settings.setPrintRange(QPrinter::PageRange);
    settings.setFromTo(c.from, c.to);
    RecordingDevice range;
    ASSERT_TRUE(Record(v, range));
    ASSERT_EQ(range.Pages(), c.to - c.from + 1);
    const std::vector<PageContent> pages = Contents(range);
    const std::vector<PageContent> expected = Contents(whole);
    int closings = 0;
    for (int p = 1; p <= range.Pages(); ++p) {
      const int page = c.from + p - 1;
      EXPECT_EQ(range.PageText(p), whole.PageText(page)) << "page " << page;
      EXPECT_EQ(pages[static_cast<size_t>(p - 1)].labels, expected[static_cast<size_t>(page - 1)].labels);
      EXPECT_EQ(pages[static_cast<size_t>(p - 1)].sheet, zv::StrFormat("Лист %d из %d", page, c.pages));
      closings += pages[static_cast<size_t>(p - 1)].closings;
    }
    EXPECT_EQ(closings, c.to == c.pages ? 1 : 0);
    // Not the first page's head.
    EXPECT_EQ(range.Find("ДАННЫЕ ТЕПЛОСЧЕТЧИКА"), nullptr);
  }
  settings.setPrintRange(QPrinter::AllPages);
}

// Every column of the viewer's table on one hourly page: far wider than A4
// portrait. Printing asks first; Yes prints the page as it is, No prints nothing.
// A table that fits is printed without a question, and the preview never asks.
TEST_F(ReportTest, WidthQuestionForATableWiderThanThePaper) {
  std::string all;
  for (const CDataColumn& column : zv::ViewerColumnTable()) all += (all.empty() ? "" : "\t") + column.key;
  zv::sim::NodeFilePlan plan = TwoDays();
  plan.header.Set("DATAPRINT1", all);
  ASSERT_TRUE(Open(plan, At(2024, 3, 1), At(2024, 3, 2)));
  CTableView& wide = NewView(CTableView::kHourly);
  wide.OnReportPage(viewer_cmd::kReportPage1);
  ASSERT_EQ(wide.GetGrid()->GetColumnCount(), 35);
  const QString question = QString::fromUtf8(zv::report_text::kTooWide);

  messages.QueueAnswer(zv::MessageResult::kNo);
  EXPECT_TRUE(PrintPdf(wide, "no.pdf").empty());
  ASSERT_EQ(messages.requests().size(), 1u);
  EXPECT_EQ(messages.requests()[0].text, question);
  EXPECT_EQ(messages.requests()[0].buttons, zv::MessageButtons::kYesNo);
  EXPECT_FALSE(QFile::exists(QString::fromStdString(dir.File("no.pdf"))));

  messages.Clear();
  messages.QueueAnswer(zv::MessageResult::kYes);
  const std::vector<std::string> pages = PrintPdf(wide, "yes.pdf");
  ASSERT_FALSE(pages.empty());
  EXPECT_EQ(messages.texts(), std::vector<QString>{question});
  EXPECT_NE(pages[0].find("Среднечасовые показания"), std::string::npos);

  // The preview shows the same page without asking.
  messages.Clear();
  QPrinter printer(QPrinter::HighResolution);
  zv::test::SetUpPdfPrinter(printer, dir.File("preview.pdf"));
  int previewPages = 0;
  EXPECT_TRUE(zv::test::AnswerModal<QPrintPreviewDialog>([&] { wide.PreviewReport(printer); },
                                                         [&](QPrintPreviewDialog& d) {
                                                           if (auto* w = d.findChild<QPrintPreviewWidget*>())
                                                             previewPages = w->pageCount();
                                                           d.reject();
                                                         }));
  EXPECT_GE(previewPages, 1);
  EXPECT_TRUE(messages.requests().empty());

  // The usual pages of every kind fit A4 portrait: no question.
  for (int kind : {CTableView::kDaily, CTableView::kHourly, CTableView::kJournal, CTableView::kParameters}) {
    ASSERT_TRUE(Open(TwoDays(), At(2024, 3, 1), At(2024, 3, 2)));
    CTableView& view = NewView(kind);
    EXPECT_FALSE(PrintPdf(view, "fits" + std::to_string(kind) + ".pdf").empty()) << kind;
    EXPECT_TRUE(messages.requests().empty()) << kind;
  }
}

// Two windows of one document showing different kinds and report pages, and a
// window of another document: each report has its own window's kind, columns,
// totals and node, whichever window was opened or printed last.
TEST_F(ReportTest, EachWindowPrintsItsOwn) {
  zv::sim::NodeFilePlan plan = TwoDays();
  plan.data.error_code = zv::sim::ErrorEvery(5, 0x0004);
  ASSERT_TRUE(Open(plan, At(2024, 3, 1), At(2024, 3, 2)));
  CTableView& daily = NewView(CTableView::kDaily);
  CTableView& hourly = NewView(CTableView::kHourly);
  hourly.OnReportPage(viewer_cmd::kReportPage2);  // no EC, GW or EW: no statistics
  ASSERT_EQ(daily.GetPage(), 0);
  ASSERT_EQ(hourly.GetPage(), 1);

  zv::sim::NodeFilePlan other = TwoDays();
  other.header.Set("N", "77").Set("NAME", zv::W1251("Школа №5"));
  const std::string otherPath = zv::sim::WriteNodeFile(dir.path(), other);
  ASSERT_FALSE(otherPath.empty());
  CZEVViewDoc otherDoc{&period};
  ASSERT_TRUE(otherDoc.OnOpenDocument(otherPath));
  zv::Profile(zv::kProgramZEVView).WriteInt("Settings", "ShowType", CTableView::kJournal);
  CTableView journal(&otherDoc);
  journal.resize(1000, 600);
  journal.show();
  journal.OnInitialUpdate();

  auto text = [this](CTableView& view, const std::string& name) {
    std::string all;
    for (const std::string& page : PrintPdf(view, name))
      for (const std::string& word : zv::test::Words(page)) all += (all.empty() ? "" : " ") + word;
    return all;
  };
  auto has = [](const std::string& all, const std::string& part) { return all.find(part) != std::string::npos; };
  const std::string hoursLine = zv::StrFormat("Время нормальной работы: %d часов", daily.GetNormalHours());
  // Printed in turns: the hourly window first, the daily one last opened but one.
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    const std::string h = text(hourly, "hourly" + std::to_string(round) + ".pdf");
    const std::string d = text(daily, "daily" + std::to_string(round) + ".pdf");
    const std::string j = text(journal, "journal" + std::to_string(round) + ".pdf");
    EXPECT_TRUE(has(d, "Среднесуточные показания"));
    EXPECT_FALSE(has(d, "Среднечасовые показания"));
    EXPECT_TRUE(has(h, "Среднечасовые показания"));
    EXPECT_FALSE(has(h, "Среднесуточные показания"));
    EXPECT_TRUE(has(j, "Журнал изменения настроек"));
    // The daily page counts errors and hours, the hourly one's second page not.
    EXPECT_TRUE(has(d, hoursLine)) << d;
    EXPECT_FALSE(has(h, "Время нормальной работы"));
    EXPECT_FALSE(has(j, "Время нормальной работы"));
    // Each window's node.
    EXPECT_TRUE(has(d, "ZEV №00012") && has(h, "ZEV №00012"));
    EXPECT_TRUE(has(j, "ZEV №00077")) << j;
    EXPECT_TRUE(has(j, "Школа №5"));
    EXPECT_FALSE(has(d, "Школа №5") || has(h, "Школа №5"));
    // Each page's columns: P1 only on the hourly window's page, M1 only on the daily's.
    const std::vector<std::string> dw = zv::test::Words(d);
    const std::vector<std::string> hw = zv::test::Words(h);
    EXPECT_EQ(zv::test::CountWord(hw, "P1") > 0, true);
    EXPECT_EQ(zv::test::CountWord(dw, "P1"), 0);
    EXPECT_GT(zv::test::CountWord(dw, "M1"), 0);
    EXPECT_EQ(zv::test::CountWord(hw, "M1"), 0);
  }
}

}  // namespace
