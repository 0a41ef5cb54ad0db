// The grid painting its viewport: cells at their places, selection, grid lines.

#include <QImage>
#include <gtest/gtest.h>

#include "grid/gdi_colours.h"
#include "grid/grid_ctrl.h"
#include "tests/grid/grid_test_support.h"

namespace {

class GridPaint : public testing::Test {
 protected:
  GridPaint() : made_(4, 4, 1, 1) {
    for (int col = 0; col < 4; ++col) grid().SetColumnWidth(col, 40);
    for (int row = 0; row < 4; ++row) grid().SetRowHeight(row, 20);
  }
  CGridCtrl& grid() { return *made_.grid; }
  QImage Paint() {
    QImage image(grid().viewport()->size(), QImage::Format_RGB32);
    image.fill(Qt::magenta);
    grid().viewport()->render(&image);
    return image;
  }
  static COLORREF At(const QImage& image, int x, int y) { return zv::FromQColor(image.pixelColor(x, y)); }

  zv::test::DistinctPalette palette_;
  zv::test::CreatedGrid made_;
};

TEST_F(GridPaint, CellsBackgroundLinesAndSelection) {
  grid().SetItemState(2, 2, grid().GetItemState(2, 2) | CellSelected);
  const QImage image = Paint();
  // Cell (2, 2) spans x 80..119, y 40..59; its grid lines lie on x 119 and y 59.
  EXPECT_EQ(At(image, 100, 45), GetSysColor(COLOR_HIGHLIGHT));
  EXPECT_EQ(At(image, 60, 45), grid().GetDefaultCell(false, false)->GetBackColour());
  EXPECT_EQ(At(image, 119, 70), grid().GetGridLineColour());
  EXPECT_EQ(At(image, 60, 59), grid().GetGridLineColour());
  // Headings are raised; outside the cells the grid's background shows.
  EXPECT_EQ(At(image, 60, 0), GetSysColor(COLOR_BTNHIGHLIGHT));
  EXPECT_EQ(At(image, 20, 30), grid().GetDefaultCell(false, true)->GetBackColour());
  EXPECT_EQ(At(image, 200, 100), grid().GetGridBackColour());
}

TEST_F(GridPaint, HiddenColumnsAndDrawingSwitchedOff) {
  grid().SetColumnWidth(1, 0);
  grid().SetItemState(2, 2, grid().GetItemState(2, 2) | CellSelected);
  const QImage image = Paint();
  // Column 2 moves into the place of the hidden column 1.
  EXPECT_EQ(At(image, 60, 45), GetSysColor(COLOR_HIGHLIGHT));
  EXPECT_EQ(At(image, 100, 45), grid().GetDefaultCell(false, false)->GetBackColour());
  grid().SetAllowDraw(false);
  EXPECT_EQ(At(Paint(), 60, 45), zv::FromQColor(QColor(Qt::magenta)));
}

}  // namespace
