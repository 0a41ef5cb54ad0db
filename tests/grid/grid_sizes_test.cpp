// Column widths, row heights and automatic sizing.

#include <QFontMetrics>
#include <gtest/gtest.h>

#include "grid/grid_ctrl.h"

namespace {

int TextWidth(CGridCtrl& g, const char* text) {
  return QFontMetrics(g.GetFont()->GetQFont()).horizontalAdvance(QString::fromLatin1(text));
}

TEST(GridSizes, WidthsAndHeightsAndTheirSums) {
  CGridCtrl g(3, 4, 1, 2);
  for (int col = 0; col < 4; ++col) ASSERT_TRUE(g.SetColumnWidth(col, 10 * (col + 1)));
  for (int row = 0; row < 3; ++row) ASSERT_TRUE(g.SetRowHeight(row, 5 + row));
  EXPECT_EQ(g.GetFixedColumnWidth(), 30);
  EXPECT_EQ(g.GetTotalWidth(), 100);
  EXPECT_EQ(g.GetFixedRowHeight(), 5);
  EXPECT_EQ(g.GetTotalHeight(), 18);
  EXPECT_FALSE(g.SetColumnWidth(1, -1));
  EXPECT_FALSE(g.SetColumnWidth(4, 10));
  EXPECT_FALSE(g.SetRowHeight(0, -5));
  EXPECT_TRUE(g.SetColumnWidth(1, 0));  // hides
  EXPECT_EQ(g.GetColumnWidth(1), 0);
  EXPECT_EQ(g.GetColumnWidth(4), -1);
  EXPECT_EQ(g.GetRowHeight(-1), -1);
}

TEST(GridSizes, AutoSizeColumnTakesTheWidestCellOfTheStyle) {
  CGridCtrl g(4, 2, 1, 0);
  g.SetItemText(0, 1, "a very long heading text");
  g.SetItemText(1, 1, "mid");
  g.SetItemText(2, 1, "longer data");
  g.SetItemText(3, 1, "x");  // an empty cell would count with the default cell's width
  const int margin = static_cast<int>(g.GetDefaultCell(false, false)->GetMargin());
  struct Case {
    int style;
    const char* widest;
    int fixedExtra;
  };
  const Case cases[] = {
      {GVS_BOTH, "a very long heading text", 1},
      {GVS_HEADER, "a very long heading text", 1},
      {GVS_DATA, "longer data", 0},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(g.AutoSizeColumn(1, c.style));
    EXPECT_EQ(g.GetColumnWidth(1), TextWidth(g, c.widest) + 2 * margin + 1 + c.fixedExtra) << c.style;
  }
  // Style 0 is the grid's own (both).
  g.SetAutoSizeStyle(GVS_DATA);
  ASSERT_TRUE(g.AutoSizeColumn(1));
  EXPECT_EQ(g.GetColumnWidth(1), TextWidth(g, "longer data") + 2 * margin + 1);
}

TEST(GridSizes, AutoSizeColumnOverNoRowsKeepsTheWidth) {
  struct Case {
    int rows, fixedRows, style;
  };
  const Case cases[] = {
      {3, 0, GVS_HEADER},  // headings only, but there are none
      {1, 1, GVS_DATA},    // data only, but there is none
      {0, 0, GVS_BOTH},
  };
  for (const Case& c : cases) {
    CGridCtrl g(c.rows, 2, c.fixedRows, 0);
    g.SetColumnWidth(1, 57);
    EXPECT_FALSE(g.AutoSizeColumn(1, c.style)) << c.rows << " " << c.style;
    EXPECT_EQ(g.GetColumnWidth(1), 57);
    g.AutoSizeColumns(c.style);
    EXPECT_EQ(g.GetColumnWidth(1), 57);
  }
}

TEST(GridSizes, HiddenColumnsStayHidden) {
  CGridCtrl g(3, 3, 1, 0);
  g.SetItemText(1, 0, "abc");
  g.SetItemText(1, 1, "hidden text");
  g.SetColumnWidth(1, 0);
  EXPECT_FALSE(g.AutoSizeColumn(1));
  g.AutoSizeColumns();
  EXPECT_EQ(g.GetColumnWidth(1), 0);
  EXPECT_GT(g.GetColumnWidth(0), TextWidth(g, "abc"));
  EXPECT_FALSE(g.AutoSizeColumn(3));
}

TEST(GridSizes, AutoSizeRowTakesTheTallestCell) {
  CGridCtrl g(2, 2);
  LOGFONT big = *g.GetDefaultCell(false, false)->GetFont();
  big.lfHeight = -30;
  GridItem item;
  item.row = 1;
  item.col = 1;
  item.mask = ItemText | ItemFont;
  item.strText = "Big";
  item.lfFont = big;
  g.SetItem(&item);
  ASSERT_TRUE(g.AutoSizeRow(1));
  EXPECT_EQ(g.GetRowHeight(1), g.GetTextExtent(1, 1, "Big").cy + 1);
  g.SetRowHeight(0, 0);
  EXPECT_FALSE(g.AutoSizeRow(0));
  EXPECT_EQ(g.GetRowHeight(0), 0);
  // No column to measure: the height stays.
  CGridCtrl empty(2, 0);
  empty.SetRowHeight(1, 21);
  EXPECT_FALSE(empty.AutoSizeRow(1));
  EXPECT_EQ(empty.GetRowHeight(1), 21);
}

TEST(GridSizes, FontChangeDerivesDefaultSizesButKeepsExistingOnes) {
  CGridCtrl g(2, 2);
  g.SetColumnWidth(0, 33);
  CFont font;
  font.CreateFont(-25, 0, 0, 0, FW_BOLD, false, false, false, DEFAULT_CHARSET, OUT_CHARACTER_PRECIS,
                  CLIP_CHARACTER_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, "DejaVu Sans");
  g.SetFont(&font);
  EXPECT_EQ(g.GetColumnWidth(0), 33);
  EXPECT_EQ(g.GetFont()->GetLogFont().lfHeight, -25);
  const QFontMetrics fm(font.GetQFont());
  for (auto [r, c] : {std::pair{false, false}, {true, false}, {false, true}, {true, true}}) {
    EXPECT_EQ(g.GetDefaultCell(r, c)->GetHeight(), fm.height() * 3 / 2);
    EXPECT_EQ(g.GetDefaultCell(r, c)->GetMargin(), static_cast<UINT>(fm.horizontalAdvance(" ")));
  }
  // New columns take the new default width.
  g.SetColumnCount(3);
  EXPECT_EQ(g.GetColumnWidth(2), fm.horizontalAdvance(" XXXXXXXXXXXX "));
}

}  // namespace
