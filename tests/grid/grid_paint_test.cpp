// The grid painting its viewport: cells at their places, selection, grid lines.

#include <QImage>
#include <QPaintEvent>
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

namespace {

using zv::test::Canvas;
using zv::test::HiddenLayout;
using zv::test::OwnedGrid;

QImage Render(CGridCtrl& grid) {
  QImage image(grid.viewport()->size(), QImage::Format_RGB32);
  image.fill(Qt::magenta);
  grid.viewport()->render(&image);
  return image;
}
COLORREF PixelAt(const QImage& image, int x, int y) { return zv::FromQColor(image.pixelColor(x, y)); }

// Remembers the areas the viewport is asked to paint.
class PaintRecorder : public QObject {
 public:
  explicit PaintRecorder(QWidget* widget) { widget->installEventFilter(this); }
  QRegion painted;

 protected:
  bool eventFilter(QObject* /*watched*/, QEvent* event) override {
    if (event->type() == QEvent::Paint) painted += static_cast<QPaintEvent*>(event)->region();
    return false;
  }
};

TEST(GridPainting, ScrolledCellsUnderFixedHeadings) {
  zv::test::DistinctPalette palette;
  HiddenLayout g;
  g->SetScrollPosition(SB_VERT, 20);
  g->SetScrollPosition(SB_HORZ, 50);
  // Rows 2, 4, 5, ... and columns 3, 4, 5 are shown; row 3 and column 2 are hidden.
  g->SetItemState(2, 3, g->GetItemState(2, 3) | CellSelected);
  g->SetItemState(4, 4, g->GetItemState(4, 4) | CellSelected);
  const QImage image = Render(*g);
  EXPECT_EQ(PixelAt(image, 60, 35), GetSysColor(COLOR_HIGHLIGHT));   // cell (2, 3)
  EXPECT_EQ(PixelAt(image, 110, 55), GetSysColor(COLOR_HIGHLIGHT));  // cell (4, 4)
  EXPECT_EQ(PixelAt(image, 110, 35), g->GetDefaultCell(false, false)->GetBackColour());
  EXPECT_EQ(PixelAt(image, 60, 12), g->GetDefaultCell(true, false)->GetBackColour());  // heading
  EXPECT_EQ(PixelAt(image, 20, 35), g->GetDefaultCell(false, true)->GetBackColour());  // row heading
}

TEST(GridPainting, GridBackgroundOutsideTheCells) {
  zv::test::DistinctPalette palette;
  HiddenLayout g;
  g->SetScrollPosition(SB_VERT, 99);
  g->SetScrollPosition(SB_HORZ, 54);
  // The cells end at x 140 and y 85 in a client area of 186 x 86.
  const QImage image = Render(*g);
  EXPECT_EQ(PixelAt(image, 160, 40), g->GetGridBackColour());
  EXPECT_EQ(PixelAt(image, 185, 5), g->GetGridBackColour());
  EXPECT_EQ(PixelAt(image, 60, 85), g->GetGridBackColour());
  EXPECT_EQ(PixelAt(image, 60, 84), g->GetGridLineColour());  // the last row's bottom line
  EXPECT_EQ(PixelAt(image, 139, 40), g->GetGridLineColour());  // the last column's right line
}

struct LinesCase {
  int lines;
  bool vertical, horizontal;
};

TEST(GridPainting, GridLinesOverTheDataCellsOnly) {
  zv::test::DistinctPalette palette;
  const LinesCase cases[] = {
      {GVL_NONE, false, false}, {GVL_HORZ, false, true}, {GVL_VERT, true, false}, {GVL_BOTH, true, true}};
  for (const LinesCase& c : cases) {
    SCOPED_TRACE(c.lines);
    HiddenLayout g;
    g->SetGridLines(c.lines);
    const QImage image = Render(*g);
    const COLORREF line = g->GetGridLineColour();
    // Cell (1, 1): x 40..89, y 25..44; its lines lie on x 89 and y 44.
    EXPECT_EQ(PixelAt(image, 89, 30) == line, c.vertical);
    EXPECT_EQ(PixelAt(image, 60, 44) == line, c.horizontal);
    // Fixed cells draw their own borders, never a grid line.
    for (int x = 0; x < 186; ++x) ASSERT_NE(PixelAt(image, x, 24), line) << x;
    for (int y = 0; y < 86; ++y) ASSERT_NE(PixelAt(image, 39, y), line) << y;
  }
}

TEST(GridPainting, RowsAndCellsOutsideTheClipBoxAreNotDrawn) {
  HiddenLayout g;
  Canvas canvas(186, 86);
  // Rows 1 and 2 (y 25..64), columns 1 and 3 (x 40..139).
  canvas.dc()->SetClipBox(CRect(40, 25, 140, 65));
  g->OnDraw(canvas.dc());
  EXPECT_NE(canvas.Pixel(60, 30), Canvas::kMarker);
  EXPECT_NE(canvas.Pixel(120, 50), Canvas::kMarker);
  EXPECT_EQ(canvas.Pixel(60, 75), Canvas::kMarker);   // row 5
  EXPECT_EQ(canvas.Pixel(160, 30), Canvas::kMarker);  // column 4
  EXPECT_EQ(canvas.Pixel(60, 10), Canvas::kMarker);   // headings above
  EXPECT_EQ(canvas.Pixel(20, 30), Canvas::kMarker);   // row headings to the left
  EXPECT_NE(canvas.Pixel(20, 0), Canvas::kMarker);    // the corner's edge: always drawn
}

TEST(GridPainting, DrawingSwitchedOffPaintsNothing) {
  HiddenLayout g;
  g->SetAllowDraw(false);
  Canvas canvas(186, 86);
  g->OnDraw(canvas.dc());
  EXPECT_FALSE(g->RedrawCell(1, 1, canvas.dc()));
  EXPECT_FALSE(g->InvalidateCellRect(1, 1));
  EXPECT_EQ(canvas.Ink(), CRect(186, 86, -1, -1));
}

TEST(GridPainting, VirtualGridHearsWhichCellsAreAboutToBeRead) {
  auto* made = new CGridCtrl;
  made->SetVirtualMode(true);
  made->SetRowCount(10);
  made->SetColumnCount(6);
  made->SetFixedRowCount(1);
  made->SetFixedColumnCount(1);
  HiddenLayout g(made);
  g.owner.Clear();
  Render(*g);
  ASSERT_EQ(g.owner.cacheHints.size(), 2u);
  EXPECT_EQ(g.owner.cacheHints[0], CCellRange(1, 1, 5, 4));
  EXPECT_EQ(g.owner.cacheHints[1], CCellRange(-1, -1, -1, -1));
}

TEST(GridPainting, RedrawCellDrawsOneCellWithItsLines) {
  zv::test::DistinctPalette palette;
  HiddenLayout g;
  g->SetItemState(2, 1, g->GetItemState(2, 1) | CellSelected);
  Canvas canvas(186, 86);
  // Cell (2, 1): x 40..89, y 45..64.
  EXPECT_TRUE(g->RedrawCell(2, 1, canvas.dc()));
  EXPECT_FALSE(g->RedrawCell(7, 1, canvas.dc()));  // not in view
  EXPECT_EQ(canvas.Pixel(60, 50), GetSysColor(COLOR_HIGHLIGHT));
  EXPECT_EQ(canvas.Pixel(89, 50), g->GetGridLineColour());
  EXPECT_EQ(canvas.Pixel(60, 64), g->GetGridLineColour());
  EXPECT_EQ(canvas.Ink(), CRect(40, 45, 90, 65));
  Canvas heading(186, 86);
  EXPECT_TRUE(g->RedrawCell(0, 1, heading.dc()));
  EXPECT_EQ(heading.Ink(), CRect(40, 0, 90, 25));
}

TEST(GridPainting, ChangesRepaintOnlyTheCellsTheyTouch) {
  HiddenLayout g;
  PaintRecorder recorder(g->viewport());
  g->SelectRange(2, 1, 2, 1);
  zv::test::ProcessPosted();
  EXPECT_EQ(recorder.painted, QRegion(40, 45, 50, 20));

  recorder.painted = QRegion();
  g->SelectRange(9, 1, 9, 1);  // out of view: the old cell only
  zv::test::ProcessPosted();
  EXPECT_EQ(recorder.painted, QRegion(40, 45, 50, 20));

  // The focus cell and, with focus tracking, its headings.
  recorder.painted = QRegion();
  g->SetFocusCell(2, 3);
  zv::test::ProcessPosted();
  EXPECT_EQ(recorder.painted, QRegion(90, 45, 50, 20) + QRegion(90, 0, 50, 25) + QRegion(0, 45, 40, 20));

  // A forced repaint happens before the call returns.
  recorder.painted = QRegion();
  g->SelectRange(1, 1, 1, 1, true);
  EXPECT_EQ(recorder.painted, QRegion(40, 25, 50, 20));
}

}  // namespace
