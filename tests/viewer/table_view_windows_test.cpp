// Two windows of one document, the node settings command with its save and
// reload, and printing through the view.

#include <QPrinter>
#include <QPushButton>
#include <cstdio>
#include <string>
#include <vector>

#include "data/data_columns.h"
#include "platform/text_lines.h"
#include "tests/grid/print_test_support.h"
#include "tests/viewer/table_view_fixture.h"

namespace {

namespace col = zev_column;
using zv::test::At;
using zv::test::TableViewTest;

// How many data rows of the view show the letter in their EC column.
int RowsWithLetter(const CTableView& view, char letter) {
  const std::vector<int>& ids = view.GetDocument()->header.ColumnList(view.GetPage());
  int ec = -1;
  for (size_t c = 0; c < ids.size(); ++c)
    if (ids[c] == col::kEC) ec = static_cast<int>(c);
  int count = 0;
  const CViewerGridCtrl& grid = *view.GetGrid();
  for (int row = grid.GetFixedRowCount(); ec >= 0 && row < grid.GetRowCount(); ++row)
    if (grid.GetItemText(row, ec).find(letter) != std::string::npos) ++count;
  return count;
}

TEST_F(TableViewTest, TwoWindowsKeepTheirOwnPagesAndTotals) {
  zv::sim::NodeFilePlan plan = TwoDays();
  plan.header.Set("UCONTROL", "1");
  plan.data.error_code = [](const DateStamp& t, int) { return t.hour == 5 ? 0x8000 : 0; };
  ASSERT_TRUE(Open(plan, At(2024, 3, 1), At(2024, 3, 2)));
  CTableView& daily = NewView(CTableView::kDaily);
  CTableView& hourly = NewView(CTableView::kHourly);
  hourly.OnReportPage(viewer_cmd::kReportPage3);
  // The daily window rebuilt after the other changed its page keeps what it had.
  daily.OnUpdate();
  EXPECT_EQ(daily.GetPage(), 0);
  EXPECT_EQ(hourly.GetPage(), 2);
  EXPECT_EQ(daily.GetNormalHours() + daily.GetNoCountHours(), 48);
  EXPECT_EQ(hourly.GetNormalHours() + hourly.GetNoCountHours(), 49);
  EXPECT_EQ(daily.GetNoCountHours(), 2);   // 05:00 of both days
  EXPECT_EQ(hourly.GetNoCountHours(), 2);
  EXPECT_EQ(daily.GetErrorBits(), 0x8000);
  CCmdUI page1(viewer_cmd::kReportPage1), page3(viewer_cmd::kReportPage3);
  daily.OnUpdateReportPage(&page1);
  hourly.OnUpdateReportPage(&page3);
  EXPECT_TRUE(page1.m_bChecked);
  EXPECT_TRUE(page3.m_bChecked);
  // The journal shown in one window does not touch its totals.
  daily.OnShowJournal();
  EXPECT_EQ(daily.GetNormalHours() + daily.GetNoCountHours(), 48);
}

TEST_F(TableViewTest, NodeSettingsSaveReloadsAndRebuildsEveryWindow) {
  // Every third hour carries a no-count code of V1 that the scheme does not
  // confirm: a new evaluation clears it.
  zv::sim::NodeFilePlan plan = TwoDays();
  plan.data.error_code = zv::sim::ErrorEvery(3, 0x0004);
  ASSERT_TRUE(Open(plan, At(2024, 3, 1), At(2024, 3, 2)));
  CTableView& daily = NewView(CTableView::kDaily);
  CTableView& hourly = NewView(CTableView::kHourly);
  hourly.OnReportPage(viewer_cmd::kReportPage3);
  ASSERT_EQ(RowsWithLetter(daily, 'V'), 2);
  ASSERT_EQ(RowsWithLetter(hourly, 'V'), 16);
  ASSERT_EQ(maximized, 2);

  ASSERT_TRUE(RunNodeSettings(hourly, ChooseScheme2));
  EXPECT_EQ(doc.header.GetString("SCHEMA"), "2");
  EXPECT_TRUE(messages.requests().empty());
  EXPECT_EQ(doc.recompute, 0);
  EXPECT_EQ(RowsWithLetter(daily, 'V'), 0);
  EXPECT_EQ(RowsWithLetter(hourly, 'V'), 0);
  EXPECT_EQ(hourly.GetPage(), 2);  // the window keeps its page
  EXPECT_EQ(doc.records.size(), 50u);
  EXPECT_EQ(maximized, 3);  // the window of the command asks again
  // The file carries the new scheme and codes.
  zv::TextLineReader reader(path);
  std::string line, all;
  while (reader.Next(line)) all += line + "\n";
  EXPECT_NE(all.find("SCHEMA\t2"), std::string::npos);

  // Cancel: nothing saved, nothing rebuilt.
  ASSERT_TRUE(RunNodeSettings(hourly, [](CNodeProperties& d) { d.reject(); }));
  EXPECT_EQ(maximized, 3);
}

TEST_F(TableViewTest, FailedSaveKeepsTheSchemePending) {
  zv::sim::NodeFilePlan plan = TwoDays();
  plan.data.error_code = zv::sim::ErrorEvery(3, 0x0004);
  ASSERT_TRUE(Open(plan, At(2024, 3, 1), At(2024, 3, 2)));
  CTableView& view = NewView(CTableView::kHourly);
  view.OnReportPage(viewer_cmd::kReportPage3);
  // The file is gone: the save fails with a message.
  ASSERT_EQ(std::remove(path.c_str()), 0);
  ASSERT_TRUE(RunNodeSettings(view, ChooseScheme2));
  EXPECT_FALSE(messages.requests().empty());
  EXPECT_EQ(doc.recompute, 1);
  // No reload: the records in memory stay.
  EXPECT_EQ(doc.records.size(), 50u);
  // A second confirmation without a scheme change keeps the pending one.
  ASSERT_TRUE(RunNodeSettings(view, [](CNodeProperties& d) { d.okButton()->click(); }));
  EXPECT_EQ(doc.recompute, 1);
}

TEST_F(TableViewTest, PrintsThroughTheGridWithTheViewsRecordAsUserData) {
  ASSERT_TRUE(Open(TwoDays(), At(2024, 3, 1), At(2024, 3, 2)));
  CTableView& view = NewView(CTableView::kDaily);
  const std::string pdf = dir.path() + "/table.pdf";
  {
    QPrinter printer(QPrinter::HighResolution);
    zv::test::SetUpPdfPrinter(printer, pdf, 300);
    // The job's user data is the view's record of what it shows.
    struct Spy : zv::PrintClient {
      CTableView* view;
      zv::ReportSource seen;
      explicit Spy(CTableView* v) : view(v) {}
      void OnBeginPrinting(CDC* dc, PrintInfo* info) override { view->OnBeginPrinting(dc, info); }
      void OnPrint(CDC* dc, PrintInfo* info) override {
        view->OnPrint(dc, info);
        seen = *static_cast<const zv::ReportSource*>(info->m_lpUserData);
      }
      void OnEndPrinting(CDC* dc, PrintInfo* info) override { view->OnEndPrinting(dc, info); }
    } spy(&view);
    ASSERT_TRUE(zv::PrintPages(printer, spy));
    EXPECT_EQ(spy.seen.document, &doc);
    EXPECT_EQ(spy.seen.showType, CTableView::kDaily);
    EXPECT_EQ(spy.seen.normalHours, view.GetNormalHours());
  }
  std::string text;
  for (const std::string& page : zv::test::PdfPages(pdf)) text += page;
  EXPECT_NE(text.find("01.03.2024"), std::string::npos);
  EXPECT_NE(text.find("ИТОГО:"), std::string::npos);
}

}  // namespace
