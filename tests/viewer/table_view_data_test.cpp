// The daily and hourly tables over generated node files: which rows arise, what
// they show and what the totals count, as one table of cases, then the pages,
// the show types and the commands' states.

#include <QClipboard>
#include <QGuiApplication>
#include <functional>
#include <string>
#include <vector>

#include "data/format_helpers.h"
#include "platform/qt/qt_text.h"
#include "tests/viewer/table_view_fixture.h"

namespace {

namespace col = zev_column;
using zv::test::At;
using zv::test::TableViewTest;

std::string F3(float v) { return FormatFloatDigits(v, 3); }
std::string F2(float v) { return FormatFloatDigits(v, 2); }

// A gap of the hours from..to, both included.
zv::sim::HourGap Gap(const DateStamp& from, const DateStamp& to) { return {from, to}; }

struct Case {
  const char* name;
  std::function<void(zv::sim::NodeFilePlan&)> edit;
  DateStamp begin, end;
  int showType;
  // The data rows' headings expected between the two heading rows and the footer.
  std::vector<std::string> headings;  // empty: not checked
  int totalHours;  // ИТОГО's GW + EW
  std::function<void(const CTableView&)> check;
};

TEST_F(TableViewTest, DailyAndHourlyTables) {
  auto hours = [](const CTableView& v, const std::string& heading) {
    return std::stoi(Cell(v, heading, col::kGW)) + std::stoi(Cell(v, heading, col::kEW));
  };
  auto E1 = [this](const DateStamp& to, const DateStamp& from) {
    return F3(Record(to)->value[col::kE1] - Record(from)->value[col::kE1]);
  };
  // The mean of T1 over the hours from..to of one day, summed in order.
  auto meanT1 = [this](const DateStamp& from, int count) {
    float sum = 0;
    DateStamp t = from;
    for (int k = 0; k < count; ++k, t.Increment(DateStamp::kHour)) sum += Record(t)->value[col::kT1];
    return F2(sum / static_cast<float>(count));
  };
  auto error0x8000At5 = [](zv::sim::NodeFilePlan& s, const char* ucontrol) {
    s.header.Set("UCONTROL", ucontrol);
    s.data.error_code = [](const DateStamp& t, int) { return t == At(2024, 3, 1, 5) ? 0x8000 : 0; };
  };
  std::vector<std::string> hourly49;
  for (DateStamp t = At(2024, 3, 1); t.Compare(At(2024, 3, 3, 1), DateStamp::kHour) < 0; t.Increment(DateStamp::kHour))
    hourly49.push_back(t.Format(true));
  std::vector<std::string> hourlyWithout12 = hourly49;
  hourlyWithout12.erase(hourlyWithout12.begin() + 11, hourlyWithout12.begin() + 13);  // 11:00 and 12:00

  const Case cases[] = {
      {"every hour, daily", nullptr, At(2024, 3, 1), At(2024, 3, 2), CTableView::kDaily, {"01.03.2024", "02.03.2024"}, 48,
       [&](const CTableView& v) {
         EXPECT_EQ(Cell(v, "01.03.2024", col::kE1), E1(At(2024, 3, 2), At(2024, 3, 1)));
         EXPECT_EQ(Cell(v, "02.03.2024", col::kE1), E1(At(2024, 3, 3), At(2024, 3, 2)));
         EXPECT_EQ(Cell(v, "01.03.2024", col::kT1), meanT1(At(2024, 3, 1), 24));
         EXPECT_EQ(hours(v, "01.03.2024"), 24);
         EXPECT_EQ(hours(v, "02.03.2024"), 24);
         // The totals are the period record's: last minus second record, not the
         // sum of the rows (which start at the base record).
         EXPECT_EQ(Cell(v, "ИТОГО:", col::kE1), F3(doc.summary[0].value[col::kE1]));
         EXPECT_EQ(Cell(v, "ИТОГО:", col::kE1), F3(doc.records.back().value[col::kE1] - doc.records[1].value[col::kE1]));
         EXPECT_EQ(Cell(v, "ИТОГО:", col::kV1), F2(doc.summary[0].value[col::kV1]));
         EXPECT_EQ(Cell(v, "ИТОГО:", col::kT1), "");
         EXPECT_EQ(Cell(v, "СРЕДНИЕ:", col::kT1), F2(doc.summary[0].value[col::kT1]));
         EXPECT_EQ(Cell(v, "СРЕДНИЕ:", col::kE1), "");
         EXPECT_EQ(v.GetNormalHours(), 48);
         EXPECT_EQ(v.GetNoCountHours(), 0);
       }},
      {"every hour, hourly", nullptr, At(2024, 3, 1), At(2024, 3, 2), CTableView::kHourly, hourly49, 49,
       [&](const CTableView& v) {
         EXPECT_EQ(Cell(v, "01.03.2024 00:00", col::kE1), E1(At(2024, 3, 1), At(2024, 2, 29, 23)));
         EXPECT_EQ(Cell(v, "01.03.2024 00:00", col::kT1), F2(Record(At(2024, 3, 1))->value[col::kT1]));
         EXPECT_EQ(hours(v, "03.03.2024 00:00"), 1);
       }},
      {"11:00 missing, hourly",
       [](zv::sim::NodeFilePlan& s) { s.data.gaps.push_back(Gap(At(2024, 3, 1, 11), At(2024, 3, 1, 11))); },
       At(2024, 3, 1), At(2024, 3, 2), CTableView::kHourly, hourlyWithout12, 48,
       [&](const CTableView& v) { EXPECT_EQ(Cell(v, "01.03.2024 13:00", col::kE1), E1(At(2024, 3, 1, 13), At(2024, 3, 1, 12))); }},
      {"a day's 00:00 missing, daily",
       [](zv::sim::NodeFilePlan& s) { s.data.gaps.push_back(Gap(At(2024, 3, 2), At(2024, 3, 2))); },
       At(2024, 3, 1), At(2024, 3, 2), CTableView::kDaily, {"01.03.2024", "02.03.2024"}, 47,
       [&](const CTableView& v) {
         EXPECT_EQ(Cell(v, "01.03.2024", col::kE1), E1(At(2024, 3, 2, 1), At(2024, 3, 1)));
         EXPECT_EQ(hours(v, "01.03.2024"), 24);
         EXPECT_EQ(Cell(v, "02.03.2024", col::kE1), E1(At(2024, 3, 3), At(2024, 3, 2, 1)));
         EXPECT_EQ(hours(v, "02.03.2024"), 23);
       }},
      {"a whole day missing, daily",
       [](zv::sim::NodeFilePlan& s) {
         s.data = zv::sim::HourlySeries::Between(At(2024, 2, 29, 23), At(2024, 3, 4));
         s.data.gaps.push_back(Gap(At(2024, 3, 2), At(2024, 3, 2, 23)));
       },
       At(2024, 3, 1), At(2024, 3, 3), CTableView::kDaily, {"03.03.2024"}, 47,
       [&](const CTableView& v) {
         // Counters from the day's 00:00 record; means and hours over 01:00..23:00.
         EXPECT_EQ(Cell(v, "03.03.2024", col::kE1), E1(At(2024, 3, 4), At(2024, 3, 3)));
         EXPECT_EQ(Cell(v, "03.03.2024", col::kT1), meanT1(At(2024, 3, 3, 1), 23));
         EXPECT_EQ(hours(v, "03.03.2024"), 23);
       }},
      {"0x8000 alone under UCONTROL 0, hourly", [&](zv::sim::NodeFilePlan& s) { error0x8000At5(s, "0"); },
       At(2024, 3, 1), At(2024, 3, 2), CTableView::kHourly, {}, 49,
       [&](const CTableView& v) {
         EXPECT_EQ(Cell(v, "01.03.2024 05:00", col::kEC), "");
         EXPECT_EQ(Cell(v, "01.03.2024 05:00", col::kGW), "1");
         EXPECT_EQ(v.GetNoCountHours(), 0);
         EXPECT_EQ(v.GetErrorBits(), 0);
       }},
      {"0x8000 alone under UCONTROL 1, hourly", [&](zv::sim::NodeFilePlan& s) { error0x8000At5(s, "1"); },
       At(2024, 3, 1), At(2024, 3, 2), CTableView::kHourly, {}, 49,
       [&](const CTableView& v) {
         EXPECT_EQ(Cell(v, "01.03.2024 05:00", col::kEC), "U");
         EXPECT_EQ(Cell(v, "01.03.2024 05:00", col::kEW), "1");
         EXPECT_EQ(Cell(v, "01.03.2024 06:00", col::kEC), "");
         EXPECT_EQ(v.GetNoCountHours(), 1);
         EXPECT_EQ(v.GetErrorBits(), 0x8000);
       }},
      {"0x8000 alone under UCONTROL 1, daily", [&](zv::sim::NodeFilePlan& s) { error0x8000At5(s, "1"); },
       At(2024, 3, 1), At(2024, 3, 2), CTableView::kDaily, {"01.03.2024", "02.03.2024"}, 48,
       [&](const CTableView& v) {
         EXPECT_EQ(Cell(v, "01.03.2024", col::kEC), "U");
         EXPECT_EQ(Cell(v, "01.03.2024", col::kGW), "23");
         EXPECT_EQ(Cell(v, "02.03.2024", col::kEC), "");
       }},
      {"show type 5 builds the hourly table", nullptr, At(2024, 3, 1), At(2024, 3, 2), 5, hourly49, 49,
       [&](const CTableView& v) {
         for (UINT id : {viewer_cmd::kShowDaily, viewer_cmd::kShowHourly, viewer_cmd::kShowJournal,
                         viewer_cmd::kShowParameters}) {
           CCmdUI ui(id);
           v.OnUpdateShowType(&ui);
           EXPECT_FALSE(ui.m_bChecked) << id;
         }
       }},
      {"no hour before the next day: no row for the base record's day",
       [](zv::sim::NodeFilePlan& s) { s.data.gaps.push_back(Gap(At(2024, 3, 1), At(2024, 3, 1))); },
       At(2024, 3, 1), At(2024, 3, 2), CTableView::kDaily, {"01.03.2024", "02.03.2024"}, 47,
       [&](const CTableView& v) {
         EXPECT_EQ(Cell(v, "01.03.2024", col::kE1), E1(At(2024, 3, 2), At(2024, 3, 1, 1)));
         EXPECT_EQ(hours(v, "01.03.2024"), 23);
       }},
  };

  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    zv::sim::NodeFilePlan plan = TwoDays();
    if (c.edit) c.edit(plan);
    ASSERT_TRUE(Open(plan, c.begin, c.end));
    CTableView& view = NewView(c.showType);
    const std::vector<std::string> rows = Rows(view);
    ASSERT_GE(rows.size(), 4u);
    if (!c.headings.empty()) {
      std::vector<std::string> headings;
      for (int row = 2; row < view.GetGrid()->GetRowCount() - 2; ++row)
        headings.push_back(zv::Cp1251ToUtf8(view.GetGrid()->GetItemText(row, 0)));
      EXPECT_EQ(headings, c.headings);
    }
    EXPECT_EQ(RowOf(view, "ИТОГО:"), view.GetGrid()->GetRowCount() - 2);
    EXPECT_EQ(RowOf(view, "СРЕДНИЕ:"), view.GetGrid()->GetRowCount() - 1);
    EXPECT_EQ(hours(view, "ИТОГО:"), c.totalHours);
    EXPECT_EQ(view.GetNormalHours() + view.GetNoCountHours(), c.totalHours);
    c.check(view);
    EXPECT_TRUE(messages.requests().empty());
  }
}

TEST_F(TableViewTest, HeadingRowsFromTheColumnTable) {
  ASSERT_TRUE(Open(TwoDays(), At(2024, 3, 1), At(2024, 3, 2)));
  CTableView& view = NewView(CTableView::kDaily);
  const CViewerGridCtrl& grid = *view.GetGrid();
  const std::vector<int>& ids = doc.header.ColumnList(0);
  ASSERT_EQ(grid.GetColumnCount(), static_cast<int>(ids.size()));
  ASSERT_EQ(grid.GetFixedRowCount(), 2);
  EXPECT_EQ(grid.GetFixedColumnCount(), 0);
  for (size_t c = 0; c < ids.size(); ++c) {
    const CDataColumn& column = zv::ViewerColumnTable()[static_cast<size_t>(ids[c])];
    EXPECT_EQ(grid.GetItemText(0, static_cast<int>(c)), column.title);
    EXPECT_EQ(grid.GetItemText(1, static_cast<int>(c)), column.unit);
  }
  EXPECT_EQ(zv::Cp1251ToUtf8(grid.GetItemText(1, 0)), "Дата");
  // Data rows and footers come out centred, in the data font.
  CFont data;
  data.CreateFont(12, 0, 0, 0, FW_NORMAL, false, false, false, DEFAULT_CHARSET, OUT_CHARACTER_PRECIS,
                  CLIP_CHARACTER_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, "Arial");
  for (int row : {0, 2, grid.GetRowCount() - 1}) {
    EXPECT_EQ(grid.GetCell(row, 1)->GetFormat(), static_cast<UINT>(DT_CENTER | DT_VCENTER)) << row;
    EXPECT_EQ(*grid.GetCell(row, 1)->GetFont(), data.GetLogFont()) << row;
  }
  EXPECT_FALSE(grid.IsEditable());
}

TEST_F(TableViewTest, PageListsWithoutSomeColumns) {
  struct ListCase {
    const char* list;  // DATAPRINT1; null: no such key
    std::vector<std::string> firstDataRow;
  };
  ASSERT_TRUE(Open(TwoDays(), At(2024, 3, 1), At(2024, 3, 2)));
  const CZEVDataRec* d1 = Record(At(2024, 3, 1));
  const CZEVDataRec* d2 = Record(At(2024, 3, 2));
  const std::string e1 = F3(d2->value[col::kE1] - d1->value[col::kE1]);
  const ListCase cases[] = {
      // Without GW and EW the totals still count: the report prints them.
      {"DATE\tE1", {"01.03.2024", e1}},
      // An empty page: the rows' headings make the only column.
      {nullptr, {"01.03.2024"}},
      // Without DATE the first column's values stand where the heading was.
      {"E1\tGW\tEW", {e1, "24", "0"}},
  };
  for (const ListCase& c : cases) {
    SCOPED_TRACE(c.list != nullptr ? c.list : "(none)");
    zv::sim::NodeFilePlan plan = TwoDays();
    if (c.list != nullptr) plan.header.Set("DATAPRINT1", c.list);
    else plan.header.Remove("DATAPRINT1");
    ASSERT_TRUE(Open(plan, At(2024, 3, 1), At(2024, 3, 2)));
    CTableView& view = NewView(CTableView::kDaily);
    ASSERT_EQ(view.GetGrid()->GetRowCount(), 2 + 2 + 2);
    std::vector<std::string> first;
    for (int c2 = 0; c2 < view.GetGrid()->GetColumnCount(); ++c2)
      first.push_back(zv::Cp1251ToUtf8(view.GetGrid()->GetItemText(2, c2)));
    EXPECT_EQ(first, c.firstDataRow);
    EXPECT_EQ(view.GetNormalHours(), 48);
    EXPECT_EQ(view.GetNoCountHours(), 0);
  }
}

TEST_F(TableViewTest, NoRecordsOrNoSummary) {
  // Begin and end on one day: nothing loaded, only the heading rows.
  ASSERT_TRUE(Open(TwoDays(), At(2024, 3, 1), At(2024, 3, 1)));
  CTableView& view = NewView(CTableView::kHourly);
  EXPECT_EQ(view.GetGrid()->GetRowCount(), 2);
  EXPECT_EQ(view.GetNormalHours() + view.GetNoCountHours(), 0);
  // One record (the user declined the last month): no rows, no footer.
  messages.QueueAnswer(zv::MessageResult::kNo);
  ASSERT_TRUE(Open(Hours(At(2024, 3, 1, 5), At(2024, 3, 1, 5)), At(2024, 3, 1), At(2024, 3, 2)));
  ASSERT_EQ(doc.records.size(), 1u);
  view.OnUpdate();
  EXPECT_EQ(view.GetGrid()->GetRowCount(), 2);
}

TEST_F(TableViewTest, ShowTypeAndPageCommands) {
  ASSERT_TRUE(Open(TwoDays(), At(2024, 3, 1), At(2024, 3, 2)));
  CTableView& view = NewView(CTableView::kDaily);
  EXPECT_EQ(maximized, 1);
  auto checked = [&view](UINT id, bool page) {
    CCmdUI ui(id);
    if (page) view.OnUpdateReportPage(&ui);
    else view.OnUpdateShowType(&ui);
    return ui.m_bChecked;
  };
  const zv::Profile profile(zv::kProgramZEVView);
  struct ShowCase {
    void (CTableView::*command)();
    UINT id;
    int type;
    int rows;  // with the heading rows
  } shows[] = {
      {&CTableView::OnShowHourly, viewer_cmd::kShowHourly, 1, 2 + 49 + 2},
      {&CTableView::OnShowJournal, viewer_cmd::kShowJournal, 2, 1 + 3},  // the header's three entries
      {&CTableView::OnShowParameters, viewer_cmd::kShowParameters, 3, 1 + 10},
      {&CTableView::OnShowDaily, viewer_cmd::kShowDaily, 0, 2 + 2 + 2},
  };
  for (const ShowCase& s : shows) {
    (view.*s.command)();
    EXPECT_EQ(view.GetShowType(), s.type);
    EXPECT_EQ(profile.GetInt("Settings", "ShowType", -1), s.type);
    EXPECT_EQ(view.GetGrid()->GetRowCount(), s.rows) << s.type;
    for (UINT other : {viewer_cmd::kShowDaily, viewer_cmd::kShowHourly, viewer_cmd::kShowJournal,
                       viewer_cmd::kShowParameters})
      EXPECT_EQ(checked(other, false), other == s.id) << s.type << " " << other;
  }
  // Pages: the columns of list n; the page is not stored.
  for (int page = 0; page < 4; ++page) {
    view.OnReportPage(viewer_cmd::kReportPage1 + static_cast<UINT>(page));
    EXPECT_EQ(view.GetPage(), page);
    EXPECT_EQ(view.GetGrid()->GetColumnCount(), static_cast<int>(doc.header.ColumnList(page).size()));
    EXPECT_EQ(zv::Cp1251ToUtf8(view.GetGrid()->GetItemText(2, 0)), "01.03.2024");
    for (int other = 0; other < 4; ++other)
      EXPECT_EQ(checked(viewer_cmd::kReportPage1 + static_cast<UINT>(other), true), other == page);
  }
  EXPECT_FALSE(profile.Has("Settings", "Page"));
  EXPECT_EQ(maximized, 1);  // only the first update asks for it
}

TEST_F(TableViewTest, CopyAndSelectAllStates) {
  ASSERT_TRUE(Open(TwoDays(), At(2024, 3, 1), At(2024, 3, 2)));
  CTableView& view = NewView(CTableView::kDaily);
  auto enabled = [&view](UINT id) {
    CCmdUI ui(id);
    if (id == viewer_cmd::kEditCopy) view.OnUpdateEditCopy(&ui);
    else view.OnUpdateEditSelectAll(&ui);
    return ui.m_bEnabled;
  };
  EXPECT_FALSE(enabled(viewer_cmd::kEditCopy));  // nothing selected
  EXPECT_TRUE(enabled(viewer_cmd::kEditSelectAll));
  view.OnEditSelectAll();
  EXPECT_TRUE(enabled(viewer_cmd::kEditCopy));
  view.OnEditCopy();
  const std::string copied = zv::QToCp1251(QGuiApplication::clipboard()->text());
  // Select all takes the data rows, the footer included.
  EXPECT_EQ(copied.substr(0, 11), "01.03.2024\t");
  EXPECT_NE(copied.find(zv::W1251("ИТОГО:")), std::string::npos);
  view.GetGrid()->ClearSelection();
  EXPECT_FALSE(enabled(viewer_cmd::kEditCopy));

  // A journal with one row only (its heading): select all is off.
  zv::sim::NodeFilePlan plan = TwoDays();
  for (const char* key : {"LAST_CHANGES1", "LAST_CHANGES2", "LAST_CHANGES3"}) plan.header.Remove(key);
  ASSERT_TRUE(Open(plan, At(2024, 3, 1), At(2024, 3, 2)));
  view.OnShowJournal();
  EXPECT_EQ(view.GetGrid()->GetRowCount(), 1);
  EXPECT_FALSE(enabled(viewer_cmd::kEditSelectAll));
}

}  // namespace
