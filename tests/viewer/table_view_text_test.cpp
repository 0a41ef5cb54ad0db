// The journal and parameter tables: rows, texts as stored, left alignment and the
// text font; every table reached from every other.

#include <QApplication>
#include <QFontMetrics>
#include <QScrollBar>
#include <map>
#include <string>
#include <vector>

#include "grid/gdi_font.h"
#include "platform/qt/qt_text.h"

#include "tests/viewer/table_view_fixture.h"

namespace {

using zv::test::At;
using zv::test::TableViewTest;

LOGFONT TextFont() {
  CFont font;
  font.CreateFont(14, 0, 0, 0, FW_NORMAL, false, false, false, DEFAULT_CHARSET, OUT_CHARACTER_PRECIS,
                  CLIP_CHARACTER_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, "Arial");
  return font.GetLogFont();
}

// Heading row and rows: one fixed row, left-aligned cells in the text font.
void ExpectTextLayout(const CViewerGridCtrl& grid) {
  EXPECT_EQ(grid.GetFixedRowCount(), 1);
  EXPECT_EQ(grid.GetFixedColumnCount(), 0);
  for (int row = 0; row < grid.GetRowCount(); ++row)
    for (int col = 0; col < grid.GetColumnCount(); ++col) {
      EXPECT_EQ(grid.GetCell(row, col)->GetFormat(), static_cast<UINT>(DT_VCENTER)) << row << "," << col;
      EXPECT_EQ(*grid.GetCell(row, col)->GetFont(), TextFont()) << row << "," << col;
    }
}

TEST_F(TableViewTest, JournalTable) {
  zv::sim::NodeFilePlan plan = TwoDays();
  ASSERT_FALSE(zv::sim::WriteJournalFile(dir.path(), "00012",
                                         zv::sim::JournalFileBytes(zv::sim::SampleJournal(At(2024, 3, 1, 10), 5)))
                   .empty());
  ASSERT_TRUE(Open(plan, At(2024, 3, 1), At(2024, 3, 2)));
  ASSERT_EQ(doc.journal.size(), 5u);
  CTableView& view = NewView(CTableView::kDaily);
  const int normal = view.GetNormalHours();
  view.OnShowJournal();
  const std::vector<std::string> rows = Rows(view);
  ASSERT_EQ(rows.size(), 6u);
  EXPECT_EQ(rows[0], "Дата|Изменения");
  for (size_t i = 0; i < doc.journal.size(); ++i)
    EXPECT_EQ(rows[i + 1], zv::Cp1251ToUtf8(doc.journal[i].time.Format(true) + "|" + doc.journal[i].text));
  ExpectTextLayout(*view.GetGrid());
  // The journal leaves the totals of the last daily table as they were.
  EXPECT_EQ(view.GetNormalHours(), normal);

  // No journal file and no header entries: only the heading row.
  for (const char* key : {"LAST_CHANGES1", "LAST_CHANGES2", "LAST_CHANGES3"}) plan.header.Remove(key);
  plan.header.Set("N", "00013");
  ASSERT_TRUE(Open(plan, At(2024, 3, 1), At(2024, 3, 2)));
  ASSERT_TRUE(doc.journal.empty());
  view.OnUpdate();
  EXPECT_EQ(Rows(view), std::vector<std::string>{"Дата|Изменения"});
}

TEST_F(TableViewTest, ParameterTable) {
  struct Case {
    const char* version;  // null: no V
    const char* sensors;  // CN_PT; null: absent
    std::string sensorText;
    size_t rows;
  } cases[] = {
      {nullptr, "7", "", 10}, {"8", "1", "Pt500en", 14}, {"4", nullptr, "Pt100en", 10}, {"4", "3", "Pt500ru", 10},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.version != nullptr ? c.version : "no V");
    zv::sim::NodeFilePlan plan = TwoDays();
    plan.header = zv::sim::NodeHeaderKeys::Converted(c.version != nullptr && std::string(c.version) == "8" ? 8 : 4);
    if (c.version == nullptr) plan.header.Remove("V");
    if (c.sensors != nullptr) plan.header.Set("CN_PT", c.sensors);
    else plan.header.Remove("CN_PT");
    plan.header.Set("SCHEMA", "21");
    plan.header.Set("WTIME", "12345");
    plan.header.Set("TCW", "5.5");
    plan.header.Set("CN_L1", "10.000");
    ASSERT_TRUE(Open(plan, At(2024, 3, 1), At(2024, 3, 2)));
    CTableView& view = NewView(CTableView::kParameters);
    const std::vector<std::string> rows = Rows(view);
    ASSERT_EQ(rows.size(), c.rows + 1);
    EXPECT_EQ(rows[0], "Параметр|Значение|Ед.измерения");
    EXPECT_EQ(rows[1], "Серийный номер прибора|00012|");
    // Without V the header's own preset stands: "4".
    EXPECT_EQ(rows[2], std::string("Версия прибора|") + (c.version != nullptr ? c.version : "4") + "|");
    EXPECT_EQ(rows[3], "Схема|21|");  // as stored, not as scheme names
    EXPECT_EQ(rows[4], "Время наработки|12345|часов");
    EXPECT_EQ(rows[5], "Температура холодной воды|5.5|°С");
    EXPECT_EQ(rows[6], "Тип термодатчиков|" + c.sensorText + "|");
    EXPECT_EQ(rows[7], "Вес импульса расходомера 1|10.000|л/имп");
    EXPECT_EQ(rows.back().substr(0, rows.back().find('|')),
              "Вес импульса расходомера " + std::to_string(c.rows - 6));
    ExpectTextLayout(*view.GetGrid());
  }
  // The unit of the cold water is degrees with the Cyrillic letter Es.
  EXPECT_EQ(zv::W1251("°С"), "\xB0\xD1");
}

void Show(CTableView& view, int kind) {
  switch (kind) {
    case CTableView::kDaily: view.OnShowDaily(); break;
    case CTableView::kHourly: view.OnShowHourly(); break;
    case CTableView::kJournal: view.OnShowJournal(); break;
    default: view.OnShowParameters(); break;
  }
}

// The heights of a table's heading rows.
std::vector<int> HeadingHeights(const CViewerGridCtrl& grid) {
  std::vector<int> heights;
  for (int row = 0; row < grid.GetFixedRowCount(); ++row) heights.push_back(grid.GetRowHeight(row));
  return heights;
}

// Every table reached from every other, the one before scrolled to its end:
// the new table opens at its top, and its heading rows are as high as in a
// window that showed it first, holding their texts in their own font with the
// margin above and below.
TEST_F(TableViewTest, ASwitchedTableStartsAtItsTopWithHeadingRowsOfItsOwnFont) {
  ASSERT_FALSE(zv::sim::WriteJournalFile(dir.path(), "00012",
                                         zv::sim::JournalFileBytes(zv::sim::SampleJournal(At(2024, 3, 20, 10), 60)))
                   .empty());
  ASSERT_TRUE(Open(Hours(At(2024, 2, 29, 23), At(2024, 4, 1, 0)), At(2024, 3, 1), At(2024, 3, 31)));
  const int kinds[] = {CTableView::kDaily, CTableView::kHourly, CTableView::kJournal, CTableView::kParameters};
  std::map<int, std::vector<int>> first;
  for (int kind : kinds) first[kind] = HeadingHeights(*NewView(kind).GetGrid());

  CTableView& view = NewView(CTableView::kDaily);
  view.resize(1000, 160);  // the parameters too need a scroll bar
  QApplication::processEvents();
  CViewerGridCtrl& grid = *view.GetGrid();
  for (int from : kinds)
    for (int to : kinds) {
      if (from == to) continue;
      SCOPED_TRACE(std::to_string(from) + " to " + std::to_string(to));
      Show(view, from);
      grid.SetScrollPosition(SB_VERT, grid.verticalScrollBar()->maximum());
      ASSERT_GT(grid.GetScrollPosition(SB_VERT), 0);
      Show(view, to);
      EXPECT_EQ(grid.GetScrollPosition(SB_VERT), 0);
      EXPECT_EQ(HeadingHeights(grid), first[to]);
      for (int row = 0; row < grid.GetFixedRowCount(); ++row)
        for (int col = 0; col < grid.GetColumnCount(); ++col) {
          const CGridCellBase* cell = grid.GetCell(row, col);
          const QFontMetrics metrics(zv::LogFontToQFont(*cell->GetFont()));
          const int text = std::max(metrics.height(), metrics.boundingRect(zv::QFromCp1251(cell->GetText())).height());
          EXPECT_GE(grid.GetRowHeight(row), text + 2 * static_cast<int>(cell->GetMargin())) << row << "," << col;
        }
    }
}

}  // namespace
