// The viewer's grid: new cells copy the format above them, a font sets margin and
// default sizes from its metrics, columns are sized to their widest text (hidden
// ones too, headings semi-bold), the copy's bytes, and a right click that leaves
// selection and focus alone.

#include <QFontMetrics>
#include <QMimeData>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

#include "platform/cp1251.h"
#include "platform/qt/qt_text.h"
#include "tests/grid/grid_test_support.h"
#include "viewer/viewer_grid_ctrl.h"

namespace {

using zv::test::OwnedGrid;

constexpr UINT kCentred = DT_CENTER | DT_VCENTER;
constexpr UINT kLeft = DT_VCENTER;

CFont MakeArial(int height, int weight = FW_NORMAL) {
  CFont font;
  font.CreateFont(height, 0, 0, 0, weight, false, false, false, DEFAULT_CHARSET, OUT_CHARACTER_PRECIS,
                  CLIP_CHARACTER_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, "Arial");
  return font;
}

void SetHeading(CGridCtrl& grid, int row, int col, const std::string& text, UINT format) {
  GridItem item;
  item.mask = ItemText | ItemFormat;
  item.row = row;
  item.col = col;
  item.strText = text;
  item.nFormat = format;
  grid.SetItem(&item);
}

UINT FormatOf(CGridCtrl& grid, int row, int col) { return grid.GetCell(row, col)->GetFormat(); }

// A viewer grid in a shown owner, with the heading rows of a table.
struct ViewerGrid : OwnedGrid {
  ViewerGrid(int fixedRows, int cols, UINT format)
      : OwnedGrid(new CViewerGridCtrl(fixedRows, cols, fixedRows, 0), {}, {}, QSize(600, 300)) {
    for (int row = 0; row < fixedRows; ++row)
      for (int col = 0; col < cols; ++col) SetHeading(*grid, row, col, "h", format);
  }
  CViewerGridCtrl& viewer() { return static_cast<CViewerGridCtrl&>(*grid); }
  std::string Copied() {
    std::unique_ptr<QMimeData> data(grid->CopySelectionText());
    return data == nullptr ? "(none)" : zv::QToCp1251(data->text());
  }
};

TEST(ViewerGrid, NewCellsTakeTheFormatAbove) {
  // Under centred headings (daily and hourly tables) rows come out centred, under
  // left-aligned ones (journal, parameters) left-aligned, however they are made.
  for (UINT format : {kCentred, kLeft}) {
    ViewerGrid g(2, 3, format);
    const int appended = g->InsertRow("01.03.2024", -1);
    ASSERT_EQ(appended, 2);
    g->InsertRow("02.03.2024", -1);
    g->SetRowCount(6);  // rows 4 and 5 from the count
    for (int row = 2; row < 6; ++row)
      for (int col = 0; col < 3; ++col) EXPECT_EQ(FormatOf(*g, row, col), format) << row << "," << col;
    // Inserted between rows: the format of the row above it.
    SetHeading(*g, 3, 1, "x", DT_RIGHT);
    g->InsertRow("mid", 4);
    EXPECT_EQ(FormatOf(*g, 4, 1), static_cast<UINT>(DT_RIGHT));
    EXPECT_EQ(FormatOf(*g, 4, 0), format);
  }
  {
    // A new column: row 0 has the default cell's format, every row below copies it.
    ViewerGrid g(1, 1, kLeft);
    g->SetRowCount(4);
    SetHeading(*g, 0, 0, "h", kCentred);
    g->SetColumnCount(2);
    const UINT defaultFormat = g->GetDefaultCell(true, false)->GetFormat();
    for (int row = 0; row < 4; ++row) EXPECT_EQ(FormatOf(*g, row, 1), defaultFormat) << row;
    EXPECT_NE(defaultFormat, kCentred);
  }
}

TEST(ViewerGrid, FontSetsMarginAndDefaultSizes) {
  for (int height : {12, 14, 20}) {
    ViewerGrid g(1, 2, kLeft);
    g->SetRowCount(3);
    const CFont font = MakeArial(height);
    g->SetFont(&font);
    const QFontMetrics fm(font.GetQFont());
    const int margin = fm.horizontalAdvance(QChar(' '));
    EXPECT_EQ(g.viewer().GetMargin(), margin);
    for (bool fixedRow : {false, true})
      for (bool fixedCol : {false, true}) {
        CGridDefaultCell* def = g->GetDefaultCell(fixedRow, fixedCol);
        EXPECT_EQ(def->GetHeight(), fm.height() + std::max(0, fm.leading()) + 2 * margin) << height;
        EXPECT_EQ(def->GetWidth(), 12 * fm.averageCharWidth() + 2 * margin) << height;
        EXPECT_EQ(*def->GetFont(), font.GetLogFont());
      }
    // Cells that existed before read the new font, as do the cells made after it.
    EXPECT_EQ(*g->GetCell(2, 1)->GetFont(), font.GetLogFont());
    EXPECT_EQ(g->GetCell(2, 1)->GetMargin(), static_cast<UINT>(margin));
    const int row = g->InsertRow("heading", -1);
    EXPECT_EQ(*g->GetCell(row, 1)->GetFont(), font.GetLogFont());
    // The heading's text height with its margins is the appended row's height, the
    // default height that of a row made by the count.
    EXPECT_EQ(g->GetRowHeight(row), fm.height() + 2 * margin);
    g->SetRowCount(row + 2);
    EXPECT_EQ(g->GetRowHeight(row + 1), g->GetDefaultCell(false, false)->GetHeight());
  }
}

TEST(ViewerGrid, AutoSizeMeasuresEveryColumnHeadingsSemiBold) {
  ViewerGrid g(2, 4, kCentred);
  const CFont font = MakeArial(12);
  const CFont semiBold = MakeArial(12, FW_SEMIBOLD);
  g->SetFont(&font);
  const std::string title = zv::W1251("Температура подачи");
  SetHeading(*g, 0, 0, "", kCentred);
  SetHeading(*g, 1, 0, zv::W1251("Дата"), kCentred);
  SetHeading(*g, 0, 1, title, kCentred);  // wider than the data below it
  SetHeading(*g, 1, 1, zv::W1251("°С"), kCentred);
  SetHeading(*g, 0, 2, "E1", kCentred);
  SetHeading(*g, 1, 2, "", kCentred);
  SetHeading(*g, 0, 3, "", kCentred);
  SetHeading(*g, 1, 3, "", kCentred);
  const std::vector<std::vector<std::string>> rows = {
      {"01.03.2024 00:00", "65.43", "1111.111", ""},
      {"01.03.2024 01:00", "-7.10", "0.011", ""},
  };
  for (const auto& texts : rows) {
    const int row = g->InsertRow(texts[0], -1);
    for (int col = 1; col < 4; ++col) g->SetItemText(row, col, texts[static_cast<size_t>(col)]);
  }
  g->SetColumnWidth(2, 0);  // hidden: sized all the same
  std::vector<int> heights;
  for (int row = 0; row < g->GetRowCount(); ++row) heights.push_back(g->GetRowHeight(row));

  g->AutoSizeColumns();

  const QFontMetrics plain(font.GetQFont()), bold(semiBold.GetQFont());
  const int margins = 4 * plain.horizontalAdvance(QChar(' '));
  auto w = [](const QFontMetrics& fm, const std::string& text) { return fm.horizontalAdvance(zv::QFromCp1251(text)); };
  ASSERT_GT(w(bold, title), w(plain, title));
  EXPECT_EQ(g->GetColumnWidth(0), std::max(w(bold, zv::W1251("Дата")), w(plain, "01.03.2024 00:00")) + margins);
  EXPECT_EQ(g->GetColumnWidth(1), w(bold, title) + margins);
  EXPECT_EQ(g->GetColumnWidth(2), std::max(w(bold, "E1"), w(plain, "1111.111")) + margins);
  EXPECT_EQ(g->GetColumnWidth(3), margins);  // nothing but empty texts
  for (int row = 0; row < g->GetRowCount(); ++row) EXPECT_EQ(g->GetRowHeight(row), heights[static_cast<size_t>(row)]);
}

TEST(ViewerGrid, CopyTakesHiddenCellsAndMarksEmptyOnes) {
  ViewerGrid g(1, 4, kCentred);
  g->SetRowCount(5);
  const std::vector<std::vector<std::string>> cells = {
      {"a", "b", "c"}, {"d", "", "f"}, {"g", "h", "i"}, {zv::W1251("ИТОГО:"), "", "1.5"}};
  for (int row = 0; row < 4; ++row)
    for (int col = 0; col < 3; ++col) g->SetItemText(row + 1, col + 1, cells[static_cast<size_t>(row)][static_cast<size_t>(col)]);
  g->SetColumnWidth(2, 0);
  g->SetRowHeight(3, 0);
  g->SelectRange(1, 1, 4, 3);
  EXPECT_EQ(g.Copied(), "a\tb\tc\nd\t \tf\ng\th\ti\n" + zv::W1251("ИТОГО:") + "\t \t1.5");

  // An unselected cell inside the bounds gives nothing; the TABs stay.
  g->SetItemState(2, 1, g->GetItemState(2, 1) & ~CellSelected);
  g->SetItemState(2, 2, g->GetItemState(2, 2) & ~CellSelected);
  EXPECT_EQ(g.Copied(), "a\tb\tc\n\t\tf\ng\th\ti\n" + zv::W1251("ИТОГО:") + "\t \t1.5");

  g->ClearSelection();
  EXPECT_EQ(g.Copied(), "(none)");
}

TEST(ViewerGrid, RightClickLeavesSelectionAndFocus) {
  ViewerGrid g(1, 4, kCentred);
  g->SetRowCount(6);
  g->SetFocusCell(2, 1);
  g->SelectRange(2, 1, 3, 2);
  g.owner.Clear();
  const QPoint at = zv::test::CellCentre(*g, 4, 3);
  zv::test::Click(*g, at, Qt::NoModifier, Qt::RightButton);
  EXPECT_EQ(g->GetFocusCell(), CCellID(2, 1));
  EXPECT_EQ(g->GetSelectedCount(), 4);
  EXPECT_TRUE(g->IsCellSelected(3, 2));
  EXPECT_FALSE(g->IsCellSelected(4, 3));
  // Only the context-menu request reaches the owner, at the clicked point.
  ASSERT_EQ(g.owner.log.size(), 1u);
  EXPECT_EQ(g.owner.log[0].code, zv::test::RecordingOwner::kContextMenu);
  EXPECT_EQ(QPoint(g.owner.log[0].row, g.owner.log[0].col), at);
}

}  // namespace
