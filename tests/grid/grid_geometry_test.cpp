// Where the cells are for each scroll position: the top-left non-fixed cell, the
// visible range, cell rectangles, hits and visibility, with hidden rows and columns.

#include <gtest/gtest.h>

#include "grid/grid_ctrl.h"
#include "tests/grid/grid_test_support.h"

namespace {

using zv::test::OwnedGrid;

using Layout = zv::test::HiddenLayout;

TEST(GridGeometry, ClientAreaLeavesRoomForBothBars) {
  Layout g;
  EXPECT_TRUE(g->HasHorzScrollBar());
  EXPECT_TRUE(g->HasVertScrollBar());
  EXPECT_EQ(g->GetClientRect(), CRect(0, 0, 200 - g.BarWidth(), 100 - g.BarHeight()));
  EXPECT_EQ(g->GetClientRect(), CRect::FromQRect(g->viewport()->rect()));
}

struct Hit {
  QPoint point;
  CCellID withFixed, dataOnly;
};
struct Rect {
  CCellID cell;
  bool placed;
  CRect rect;
};
struct ScrollCase {
  const char* what;
  int h, v;  // scroll positions
  CCellID topLeft;
  CCellRange range;
  CRect rangeRect;
  std::vector<Rect> rects;
  std::vector<Hit> hits;
};

TEST(GridGeometry, EveryScrollPositionTable) {
  const CCellID none(-1, -1);
  const ScrollCase cases[] = {
      {"at the origin", 0, 0, {1, 1}, {1, 1, 5, 4}, {0, 0, 186, 86},
       {{{1, 1}, true, {40, 25, 89, 44}},
        {{4, 3}, true, {90, 65, 139, 84}},   // after hidden row 3 and hidden column 2
        {{3, 2}, true, {90, 65, 89, 64}},    // hidden: no pixel
        {{0, 0}, true, {0, 0, 39, 24}},
        {{0, 3}, true, {90, 0, 139, 24}},
        {{5, 0}, true, {0, 85, 39, 104}}},
       {{{45, 30}, {1, 1}, {1, 1}},
        {{89, 70}, {4, 1}, {4, 1}},
        {{90, 65}, {4, 3}, {4, 3}},  // hidden ones are never hit
        {{10, 10}, {0, 0}, none},
        {{10, 30}, {1, 0}, {1, -1}},
        {{190, 30}, {1, 5}, {1, 5}},  // partly shown column
        {{250, 30}, {1, -1}, {1, -1}},
        {{-1, -1}, none, none}}},
      {"one row down", 0, 20, {2, 1}, {2, 1, 6, 4}, {0, 0, 186, 86},
       {{{1, 1}, false, {}}, {{2, 1}, true, {40, 25, 89, 44}}, {{0, 1}, true, {40, 0, 89, 24}}},
       {{{45, 30}, {2, 1}, {2, 1}}, {{45, 50}, {4, 1}, {4, 1}}}},
      {"a position inside a row starts at the next row", 0, 21, {3, 1}, {3, 1, 7, 4}, {0, 0, 186, 86},
       {{{2, 1}, false, {}}, {{4, 1}, true, {40, 25, 89, 44}}},
       {{{45, 30}, {4, 1}, {4, 1}}}},
      {"one column right", 50, 0, {1, 2}, {1, 2, 5, 5}, {0, 0, 186, 86},
       {{{1, 1}, false, {}}, {{1, 3}, true, {40, 25, 89, 44}}, {{1, 5}, true, {140, 25, 189, 44}}},
       {{{45, 30}, {1, 3}, {1, 3}}}},
      {"as far as the bars go", 54, 99, {7, 4}, {7, 4, 9, 5}, {0, 0, 140, 85},
       {{{7, 4}, true, {40, 25, 89, 44}},
        {{1, 1}, false, {}},
        {{0, 4}, true, {40, 0, 89, 24}},
        {{7, 0}, true, {0, 25, 39, 44}}},
       {{{45, 30}, {7, 4}, {7, 4}}, {{150, 30}, {7, -1}, {7, -1}}, {{45, 85}, {-1, 4}, {-1, 4}}}},
  };
  Layout g;
  for (const ScrollCase& c : cases) {
    SCOPED_TRACE(c.what);
    g->SetScrollPosition(SB_HORZ, c.h);
    g->SetScrollPosition(SB_VERT, c.v);
    ASSERT_EQ(g->GetScrollPosition(SB_HORZ), c.h);
    ASSERT_EQ(g->GetScrollPosition(SB_VERT), c.v);
    EXPECT_EQ(g->GetFirstVisibleDataCell(), c.topLeft);
    CRect rangeRect;
    EXPECT_EQ(g->GetVisibleDataRange(&rangeRect), c.range);
    EXPECT_EQ(rangeRect, c.rangeRect);
    for (const Rect& r : c.rects) {
      CRect rect;
      EXPECT_EQ(g->GetCellRect(r.cell, &rect), r.placed) << r.cell.row << "," << r.cell.col;
      if (r.placed) {
        EXPECT_EQ(rect, r.rect) << r.cell.row << "," << r.cell.col;
      }
    }
    for (const Hit& h : c.hits) {
      const CPoint p(h.point.x(), h.point.y());
      EXPECT_EQ(g->CellFromPoint(p, true), h.withFixed) << p.x << "," << p.y;
      EXPECT_EQ(g->CellFromPoint(p, false), h.dataOnly) << p.x << "," << p.y;
    }
  }
}

TEST(GridGeometry, VisibilityAndOriginsAndTheRememberedTopLeftCell) {
  Layout g;
  EXPECT_TRUE(g->IsCellVisible(5, 4));   // partly shown at the bottom right
  EXPECT_FALSE(g->IsCellVisible(6, 1));  // starts below the client area
  EXPECT_FALSE(g->IsCellVisible(1, 6));  // no such column
  EXPECT_TRUE(g->IsCellVisible(0, 0));
  CPoint origin;
  EXPECT_TRUE(g->GetCellOrigin(4, 3, &origin));
  EXPECT_EQ(origin, CPoint(90, 65));
  EXPECT_FALSE(g->GetCellOrigin(10, 0, &origin));

  g->SetScrollPosition(SB_VERT, 99);
  EXPECT_FALSE(g->IsCellVisible(1, 1));  // scrolled out above
  EXPECT_TRUE(g->IsCellVisible(0, 1));   // headings stay
  EXPECT_EQ(g->GetFirstVisibleDataCell(), CCellID(7, 1));
  // A change of sizes recomputes the top-left cell.
  g->SetRowHeight(1, 200);
  g->SetScrollPosition(SB_VERT, 99);
  EXPECT_EQ(g->GetFirstVisibleDataCell(), CCellID(2, 1));
}

TEST(GridGeometry, GridWithoutDataRowsOrColumns) {
  OwnedGrid g(1, 1, 1, 1, {20}, {40});
  EXPECT_FALSE(g->IsValid(g->GetFirstVisibleDataCell()));
  EXPECT_EQ(g->CellFromPoint(CPoint(10, 10), true), CCellID(0, 0));
  EXPECT_EQ(g->CellFromPoint(CPoint(10, 10), false), CCellID(-1, -1));
  EXPECT_EQ(g->CellFromPoint(CPoint(50, 10), true), CCellID(0, -1));
}

}  // namespace
