// The title tip: shown over a cell only when its text is cut off, laid over the
// text, never taking the focus, and gone when the pointer leaves the cell, at a
// key, a press, a scroll step, an edit start and when the window is deactivated.

#include <QApplication>
#include <QEvent>
#include <gtest/gtest.h>

#include "grid/grid_ctrl.h"
#include "grid/title_tip.h"
#include "tests/grid/grid_test_support.h"

namespace {

using zv::test::CellCentre;
using zv::test::HiddenLayout;
using zv::test::Key;
using zv::test::Move;

const char kLong[] = "a text far too long for its cell";

// Cell (2, 1) holds a long text, (2, 3) and (1, 1) short ones; the grid has the
// keyboard focus.
struct TipLayout : HiddenLayout {
  TipLayout() {
    grid->SetItemText(2, 1, kLong);
    grid->SetItemText(2, 3, "ok");
    grid->SetItemText(1, 1, "ok");
    grid->setFocus();
    zv::test::ProcessPosted();
  }
  CTitleTip* Tip() const { return grid->findChild<CTitleTip*>(); }
  bool Shown() const { return Tip() != nullptr && Tip()->isVisible(); }
  void HoverLong() {
    Move(*grid, CellCentre(*grid, 2, 1));
    if (!Shown()) ADD_FAILURE() << "no tip over the long text";
  }
};

TEST(GridTitleTip, OnlyATextThatIsCutOffGetsATip) {
  TipLayout g;
  ASSERT_EQ(QApplication::focusWidget(), g.grid);
  Move(*g, CellCentre(*g, 1, 1));
  EXPECT_FALSE(g.Shown());
  Move(*g, CellCentre(*g, 2, 1));
  ASSERT_TRUE(g.Shown());
  // Over the cell's text, from its left edge, as wide as the text with a blank on
  // either side; the hover area is the whole cell.
  CRect cell;
  ASSERT_TRUE(g->GetCellRect(2, 1, &cell));
  const QPoint topLeft = g->viewport()->mapToGlobal(QPoint(cell.left, cell.top));
  const QRect shown = g.Tip()->geometry();
  EXPECT_EQ(shown.topLeft(), topLeft);
  EXPECT_EQ(shown.height(), cell.Height());
  EXPECT_GT(shown.width(), cell.Width());
  EXPECT_EQ(g.Tip()->GetHoverRect(),
            CRect(topLeft.x(), topLeft.y(), topLeft.x() + cell.Width() + 1, topLeft.y() + cell.Height() + 1));
  // It takes neither the focus nor the window's activation.
  EXPECT_EQ(QApplication::focusWidget(), g.grid);
  EXPECT_EQ(QApplication::activeWindow(), &g.owner);
  // Moving within the cell keeps it; the short text next to it has none.
  Move(*g, CellCentre(*g, 2, 1) + QPoint(10, 3));
  EXPECT_TRUE(g.Shown());
  Move(*g, CellCentre(*g, 2, 3));
  EXPECT_FALSE(g.Shown());
  // Without title tips nothing shows.
  g->EnableTitleTips(false);
  Move(*g, CellCentre(*g, 2, 1));
  EXPECT_FALSE(g.Shown());
}

TEST(GridTitleTip, TheTipsColours) {
  TipLayout g;
  g->SetTipBackColour(RGB(10, 200, 30));
  g.HoverLong();
  const QImage picture = g.Tip()->grab().toImage();
  EXPECT_EQ(picture.pixelColor(picture.width() - 3, 2), QColor(10, 200, 30));
  EXPECT_EQ(picture.pixelColor(0, 0), QColor(Qt::black));  // the border
}

TEST(GridTitleTip, WhatHidesTheTip) {
  for (int way = 0; way < 7; ++way) {
    SCOPED_TRACE(way);
    TipLayout g;
    g->SetFocusCell(4, 1);
    g.HoverLong();
    switch (way) {
      case 0: Move(*g, CellCentre(*g, 4, 1)); break;  // out of the cell
      case 1: Key(*g.grid, Qt::Key_Down); break;
      case 2: zv::test::Press(*g, CellCentre(*g, 2, 1)); break;
      case 3: g->OnVScroll(SB_LINEDOWN); break;
      case 4: g->BeginCellEdit(4, 1, CPoint(-1, -1), VK_LBUTTON); break;
      case 5: {
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(g->viewport(), &leave);
        break;
      }
      default: {
        QEvent deactivate(QEvent::WindowDeactivate);
        QCoreApplication::sendEvent(g.grid, &deactivate);
        break;
      }
    }
    EXPECT_FALSE(g.Shown());
  }
}

TEST(GridTitleTip, NoTipOverTheCellBeingEdited) {
  TipLayout g;
  g->SetFocusCell(2, 1);
  g->BeginCellEdit(2, 1, CPoint(-1, -1), VK_LBUTTON);
  ASSERT_TRUE(g->IsItemEditing(2, 1));
  Move(*g, CellCentre(*g, 2, 1));
  EXPECT_FALSE(g.Shown());
}

}  // namespace
