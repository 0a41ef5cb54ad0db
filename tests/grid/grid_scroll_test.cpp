// Scroll bars and scrolling: when the bars show and what range they get, the scroll
// codes, the bars' own actions, bringing a cell into view, the wheel and resizing.

#include <QGuiApplication>
#include <QScrollBar>
#include <QStyleHints>
#include <gtest/gtest.h>

#include "grid/grid_ctrl.h"
#include "tests/grid/grid_test_support.h"

namespace {

using zv::test::HiddenLayout;
using zv::test::OwnedGrid;

struct BarCase {
  const char* what;
  std::vector<int> heights, widths;  // row 0 and column 0 are fixed
  bool horz, vert;
  int hMax, hPage, vMax, vPage;  // the Windows model of the two bars
};

TEST(GridScrollBars, WhenTheBarsShowAndWhatRangeTheyGet) {
  // Client area 200 x 100; the bars are 14 pixels.
  const BarCase cases[] = {
      {"everything fits", {25, 20, 20}, {40, 50, 50}, false, false, 0, 0, 0, 0},
      {"rows overflow", {25, 20, 20, 20, 20, 20, 20, 20, 20, 20}, {40, 50, 50}, false, true, 0, 0, 179, 75},
      {"columns overflow", {25, 20, 20}, {40, 50, 50, 50, 50, 50}, true, false, 249, 160, 0, 0},
      {"both overflow", {25, 20, 20, 20, 20, 20, 20, 20, 20, 20}, {40, 50, 50, 50, 50, 50}, true, true, 249, 146,
       179, 61},
      // The rows fit until the horizontal bar takes its room; the vertical bar that
      // then appears narrows the columns' room in turn.
      {"horizontal bar brings the vertical one", {25, 10, 10, 10, 10, 10, 10, 10}, {40, 50, 50, 70}, true, true,
       169, 146, 69, 61},
      {"vertical bar brings the horizontal one", {25, 20, 20, 20, 20}, {40, 50, 50, 50}, true, true, 149, 146, 79, 61},
      {"exactly fitting cells need no bar", {25, 25, 25, 25}, {40, 80, 80}, false, false, 0, 0, 0, 0},
  };
  for (const BarCase& c : cases) {
    SCOPED_TRACE(c.what);
    OwnedGrid g(static_cast<int>(c.heights.size()), static_cast<int>(c.widths.size()), 1, 1, c.heights, c.widths);
    EXPECT_EQ(g->HasHorzScrollBar(), c.horz);
    EXPECT_EQ(g->HasVertScrollBar(), c.vert);
    // The bits tell what is shown, and the client area is what the bars leave.
    EXPECT_EQ(g->horizontalScrollBar()->isVisible(), c.horz);
    EXPECT_EQ(g->verticalScrollBar()->isVisible(), c.vert);
    EXPECT_EQ(g->GetClientRect(), CRect(0, 0, 200 - (c.vert ? 14 : 0), 100 - (c.horz ? 14 : 0)));
    SCROLLINFO h, v;
    ASSERT_TRUE(g->GetScrollInfo(SB_HORZ, &h));
    ASSERT_TRUE(g->GetScrollInfo(SB_VERT, &v));
    EXPECT_EQ(h.nMax, c.hMax);
    EXPECT_EQ(h.nPage, static_cast<UINT>(c.hPage));
    EXPECT_EQ(v.nMax, c.vMax);
    EXPECT_EQ(v.nPage, static_cast<UINT>(c.vPage));
    // The page is the client area less the fixed cells, so the bar reaches the last pixel.
    if (c.horz) {
      EXPECT_EQ(c.hPage, g->GetClientRect().Width() - 40);
      EXPECT_EQ(g->horizontalScrollBar()->maximum(), c.hMax - c.hPage + 1);
    }
    if (c.vert) {
      EXPECT_EQ(c.vPage, g->GetClientRect().Height() - 25);
      EXPECT_EQ(g->verticalScrollBar()->maximum(), c.vMax - c.vPage + 1);
    }
  }
}

TEST(GridScrollBars, FixedCellsLargerThanTheClientAreaHideBothBars) {
  HiddenLayout g;
  ASSERT_TRUE(g->HasHorzScrollBar() && g->HasVertScrollBar());
  g->SetColumnWidth(0, 250);
  EXPECT_FALSE(g->HasHorzScrollBar());
  EXPECT_FALSE(g->HasVertScrollBar());
  EXPECT_FALSE(g->horizontalScrollBar()->isVisible());
  EXPECT_FALSE(g->verticalScrollBar()->isVisible());
  g->SetColumnWidth(0, 40);
  EXPECT_TRUE(g->HasHorzScrollBar() && g->HasVertScrollBar());
  g->SetRowHeight(0, 150);
  EXPECT_FALSE(g->HasHorzScrollBar() || g->HasVertScrollBar());
}

TEST(GridScrollBars, TheLastStripOfTheLastColumnIsReachable) {
  // The vertical bar appears only after the horizontal one; the horizontal range
  // must count with it.
  OwnedGrid g(8, 4, 1, 1, {25, 10}, {40, 50, 50, 70});
  g->SetScrollPosition(SB_HORZ, 1000);
  CRect last;
  ASSERT_TRUE(g->GetCellRect(1, 3, &last));
  EXPECT_LT(last.right, g->GetClientRect().right);
}

TEST(GridScrollBars, HiddenGridComputesItsBarsFromItsSize) {
  QWidget parent;
  auto* g = new CGridCtrl(10, 6, 1, 1);
  ASSERT_TRUE(g->Create(CRect(0, 0, 202, 102), &parent, 100));
  for (int row = 0; row < 10; ++row) g->SetRowHeight(row, 20);
  for (int col = 0; col < 6; ++col) g->SetColumnWidth(col, 50);
  EXPECT_TRUE(g->HasHorzScrollBar());
  EXPECT_TRUE(g->HasVertScrollBar());
  const CRect hidden = g->GetClientRect();
  parent.show();
  EXPECT_EQ(hidden, CRect::FromQRect(g->viewport()->rect()));
  EXPECT_TRUE(g->verticalScrollBar()->isVisible());
}

struct CodeCase {
  int bar;
  int start;
  UINT code;
  int pos;      // afterwards
  int topLeft;  // row (vertical) or column (horizontal) of the top-left cell
};

TEST(GridScrolling, ScrollCodesTable) {
  const CodeCase cases[] = {
      {SB_VERT, 0, SB_LINEDOWN, 20, 2},
      {SB_VERT, 20, SB_LINEDOWN, 40, 3},  // row 3 is hidden: row 4 shows first
      {SB_VERT, 40, SB_LINEDOWN, 60, 5},  // over the hidden row and row 4 in one step
      {SB_VERT, 60, SB_LINEUP, 40, 3},
      {SB_VERT, 40, SB_LINEUP, 20, 2},
      {SB_VERT, 20, SB_LINEUP, 0, 1},
      {SB_VERT, 0, SB_LINEUP, 0, 1},
      {SB_VERT, 0, SB_PAGEDOWN, 61, 6},   // a page is the client height less the headings
      {SB_VERT, 61, SB_PAGEDOWN, 99, 7},  // clamped to maximum - page + 1
      {SB_VERT, 99, SB_PAGEDOWN, 99, 7},
      {SB_VERT, 99, SB_LINEDOWN, 99, 7},
      {SB_VERT, 99, SB_PAGEUP, 38, 3},
      {SB_VERT, 38, SB_PAGEUP, 0, 1},
      {SB_VERT, 0, SB_BOTTOM, 99, 7},
      {SB_VERT, 99, SB_TOP, 0, 1},
      {SB_VERT, 40, SB_ENDSCROLL, 40, 3},
      {SB_HORZ, 0, SB_LINERIGHT, 50, 2},
      {SB_HORZ, 50, SB_LINERIGHT, 54, 4},  // past the hidden column, clamped
      {SB_HORZ, 54, SB_LINELEFT, 4, 2},
      {SB_HORZ, 4, SB_LINELEFT, 0, 1},
      {SB_HORZ, 0, SB_PAGERIGHT, 54, 4},
      {SB_HORZ, 54, SB_PAGELEFT, 0, 1},
      {SB_HORZ, 0, SB_RIGHT, 54, 4},
      {SB_HORZ, 54, SB_LEFT, 0, 1},
  };
  HiddenLayout g;
  for (const CodeCase& c : cases) {
    SCOPED_TRACE(testing::Message() << (c.bar == SB_VERT ? "vertical" : "horizontal") << " from " << c.start
                                    << " code " << c.code);
    g->SetScrollPosition(SB_HORZ, 0);
    g->SetScrollPosition(SB_VERT, 0);
    g->SetScrollPosition(c.bar, c.start);
    if (c.bar == SB_VERT) g->OnVScroll(c.code);
    else g->OnHScroll(c.code);
    EXPECT_EQ(g->GetScrollPosition(c.bar), c.pos);
    const CCellID topLeft = g->GetFirstVisibleDataCell();
    EXPECT_EQ(c.bar == SB_VERT ? topLeft.row : topLeft.col, c.topLeft);
  }
}

TEST(GridScrolling, ThumbInsideARowStartsTheDisplayAtTheNextRow) {
  HiddenLayout g;
  QScrollBar* bar = g->verticalScrollBar();
  bar->setSliderPosition(30);  // a drag of the thumb, tracked
  EXPECT_EQ(g->GetScrollPosition(SB_VERT), 30);
  EXPECT_EQ(g->GetFirstVisibleDataCell().row, 3);
  CRect rect;
  ASSERT_TRUE(g->GetCellRect(4, 1, &rect));
  EXPECT_EQ(rect.top, 25);  // the first data row starts right below the headings
}

TEST(GridScrolling, TheBarsActionsAreTheGridsScrollSteps) {
  HiddenLayout g;
  QScrollBar* bar = g->verticalScrollBar();
  bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  EXPECT_EQ(g->GetScrollPosition(SB_VERT), 20);  // one row, not the bar's own step
  bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  EXPECT_EQ(g->GetScrollPosition(SB_VERT), 60);
  bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
  EXPECT_EQ(g->GetScrollPosition(SB_VERT), 40);
  bar->triggerAction(QAbstractSlider::SliderPageStepSub);
  EXPECT_EQ(g->GetScrollPosition(SB_VERT), 0);
  bar->triggerAction(QAbstractSlider::SliderToMaximum);
  EXPECT_EQ(g->GetScrollPosition(SB_VERT), 99);
  EXPECT_EQ(g->GetFirstVisibleDataCell().row, 7);
  g->horizontalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  EXPECT_EQ(g->GetScrollPosition(SB_HORZ), 50);
  // A bar moved some other way (its own context menu) moves the display as well.
  bar->setValue(50);
  EXPECT_EQ(g->GetFirstVisibleDataCell().row, 5);
}

TEST(GridEnsureVisible, VisibleCellsStayAndOthersComeIn) {
  HiddenLayout g;
  g->EnsureVisible(2, 1);  // already shown in full
  EXPECT_EQ(g->GetScrollPosition(SB_VERT), 0);
  EXPECT_EQ(g->GetScrollPosition(SB_HORZ), 0);

  g->EnsureVisible(5, 1);  // shown in part at the bottom
  EXPECT_EQ(g->GetScrollPosition(SB_VERT), 20);
  EXPECT_EQ(g->GetScrollPosition(SB_HORZ), 0);
  CRect rect;
  ASSERT_TRUE(g->GetCellRect(5, 1, &rect));
  EXPECT_LT(rect.bottom, g->GetClientRect().bottom);

  g->EnsureVisible(9, 5);  // the far corner
  ASSERT_TRUE(g->GetCellRect(9, 5, &rect));
  EXPECT_LT(rect.bottom, g->GetClientRect().bottom);
  EXPECT_LT(rect.right, g->GetClientRect().right);

  g->EnsureVisible(1, 1);  // back to the start
  EXPECT_EQ(g->GetScrollPosition(SB_VERT), 0);
  EXPECT_EQ(g->GetScrollPosition(SB_HORZ), 0);
}

TEST(GridEnsureVisible, EndsWhenTheViewCannotMoveFurther) {
  // Sizes changed while drawing was off leave the bars short of the new width: the
  // cell can never come in whole, and the scrolling must still end.
  HiddenLayout g;
  g->SetAllowDraw(false);
  g->SetColumnWidth(5, 400);
  g->SetAllowDraw(true);
  g->EnsureVisible(1, 5);
  EXPECT_EQ(g->GetScrollPosition(SB_HORZ), 54);
  g->SetFocusCell(1, 4);
  g->OnKeyDown(VK_RIGHT, Qt::NoModifier);
  EXPECT_EQ(g->GetFocusCell(), CCellID(1, 5));
}

struct WheelCase {
  int lines;  // lines per notch
  int delta;
  int pos;  // from 200
};

class WheelGrid : public CGridCtrl {
 public:
  explicit WheelGrid(int lines) : CGridCtrl(40, 3, 1, 1) { SetWheelScrollLines(lines); }
};

TEST(GridWheel, NotchesPostLinesOrPages) {
  const WheelCase cases[] = {
      {3, 120, 140},   // three lines up
      {3, -240, 320},  // six lines down
      {3, 60, 180},    // half a notch, one line
      {1, 119, 200},   // less than a line: nothing
      {-1, 120, 125},  // a page (100 - 25) up
      {-1, -120, 275},
      {-1, 60, 200},  // less than a notch: no page
  };
  for (const WheelCase& c : cases) {
    SCOPED_TRACE(testing::Message() << c.lines << " lines, delta " << c.delta);
    OwnedGrid g(new WheelGrid(c.lines), {25, 20}, {40, 50});
    g->SetScrollPosition(SB_VERT, 200);
    zv::test::Wheel(*g, QPoint(50, 50), c.delta);
    EXPECT_EQ(g->GetScrollPosition(SB_VERT), 200);  // posted, not yet done
    zv::test::ProcessPosted();
    EXPECT_EQ(g->GetScrollPosition(SB_VERT), c.pos);
  }
}

TEST(GridWheel, LinesComeFromThePlatform) {
  QStyleHints* hints = QGuiApplication::styleHints();
  const int saved = hints->wheelScrollLines();
  hints->setWheelScrollLines(5);
  EXPECT_EQ(CGridCtrl::GetWheelScrollLines(), 5);
  OwnedGrid g(40, 3, 1, 1, {25, 20}, {40, 50});
  hints->setWheelScrollLines(saved);
  zv::test::Wheel(*g, QPoint(50, 50), -120);
  zv::test::ProcessPosted();
  EXPECT_EQ(g->GetScrollPosition(SB_VERT), 100);
}

TEST(GridResize, BarsFollowTheWindowSize) {
  OwnedGrid g(5, 4, 1, 1, {20}, {40});
  EXPECT_FALSE(g->HasHorzScrollBar() || g->HasVertScrollBar());
  g->resize(100, 60);
  EXPECT_TRUE(g->HasHorzScrollBar());
  EXPECT_TRUE(g->HasVertScrollBar());
  EXPECT_EQ(g->GetClientRect(), CRect::FromQRect(g->viewport()->rect()));
  g->resize(400, 300);
  EXPECT_FALSE(g->HasHorzScrollBar() || g->HasVertScrollBar());
}

// A grid that, while it handles its own resize, resizes another grid (as a view
// laying out its panes might).
class LayingOutGrid : public CGridCtrl {
 public:
  LayingOutGrid() : CGridCtrl(5, 4, 1, 1) {}
  CGridCtrl* other = nullptr;
  void StopCellEdit() override {
    if (other != nullptr) other->resize(100, 60);
  }
};

TEST(GridResize, EachGridGuardsOnlyItsOwnResize) {
  auto* laying = new LayingOutGrid;
  OwnedGrid a(laying, {20}, {40});
  OwnedGrid b(5, 4, 1, 1, {20}, {40});
  ASSERT_FALSE(b->HasVertScrollBar());
  laying->other = b.grid;
  a->resize(300, 200);
  EXPECT_EQ(b->size(), QSize(100, 60));
  EXPECT_TRUE(b->HasVertScrollBar());
  EXPECT_TRUE(b->HasHorzScrollBar());
  laying->other = nullptr;
}

}  // namespace
