// A cell drawn into an image: fills, the focus frame, the edges of fixed cells, the
// sort mark, and the printed form.

#include <gtest/gtest.h>

#include "grid/gdi_colours.h"
#include "grid/grid_ctrl.h"
#include "tests/grid/grid_test_support.h"

namespace {

using zv::test::Canvas;

// A 3 x 3 grid with one fixed row and one fixed column; cells are drawn into the
// rectangle (5, 5)-(44, 24), right and bottom inclusive.
class CellDraw : public testing::Test {
 protected:
  static constexpr CRect kRect{5, 5, 44, 24};
  CellDraw() : grid_(3, 3, 1, 1) {}
  void Draw(int row, int col, bool erase, Canvas& canvas) {
    CGridCellBase* cell = grid_.GetCell(row, col);
    ASSERT_NE(cell, nullptr);
    EXPECT_TRUE(cell->Draw(canvas.dc(), row, col, kRect, erase));
  }
  COLORREF Sys(int index) { return GetSysColor(index); }

  zv::test::DistinctPalette palette_;
  CGridCtrl grid_;
};

TEST_F(CellDraw, BackgroundFillsTheCellIncludingItsRightAndBottomEdge) {
  const COLORREF back = grid_.GetDefaultCell(false, false)->GetBackColour();
  {
    Canvas canvas(60, 40);
    Draw(1, 1, true, canvas);
    EXPECT_EQ(canvas.Pixel(5, 5), back);
    EXPECT_EQ(canvas.Pixel(44, 24), back);
    EXPECT_EQ(canvas.Pixel(45, 10), Canvas::kMarker);
    EXPECT_EQ(canvas.Pixel(10, 25), Canvas::kMarker);
  }
  {
    // Not erasing and no colour of its own: nothing is filled.
    Canvas canvas(60, 40);
    Draw(1, 1, false, canvas);
    EXPECT_EQ(canvas.Ink(), CRect(60, 40, -1, -1));
  }
  {
    // A colour of its own fills even without erasing.
    grid_.SetItemBackColour(1, 1, RGB(0, 128, 0));
    Canvas canvas(60, 40);
    Draw(1, 1, false, canvas);
    EXPECT_EQ(canvas.Pixel(44, 24), RGB(0, 128, 0));
  }
}

TEST_F(CellDraw, SelectedCellIsFilledWithTheHighlight) {
  grid_.SetItemState(1, 1, grid_.GetItemState(1, 1) | CellSelected);
  Canvas canvas(60, 40);
  Draw(1, 1, false, canvas);
  EXPECT_EQ(canvas.Count(Sys(COLOR_HIGHLIGHT), CRect(5, 5, 45, 25)), 40 * 20);
}

TEST_F(CellDraw, FocusFrameLeavesTheGridLinePixels) {
  grid_.SetFocusCell(1, 1);
  grid_.SetItemState(1, 1, grid_.GetItemState(1, 1) | CellSelected);
  Canvas canvas(60, 40);
  Draw(1, 1, false, canvas);
  const COLORREF frame = Sys(COLOR_HIGHLIGHTTEXT);
  const COLORREF fill = Sys(COLOR_HIGHLIGHT);
  EXPECT_EQ(canvas.Pixel(5, 5), frame);
  EXPECT_EQ(canvas.Pixel(43, 12), frame);
  EXPECT_EQ(canvas.Pixel(12, 23), frame);
  EXPECT_EQ(canvas.Pixel(44, 12), fill);
  EXPECT_EQ(canvas.Pixel(12, 24), fill);
  EXPECT_EQ(canvas.Pixel(12, 12), fill);
}

TEST_F(CellDraw, WithoutGridLinesTheFocusFrameTakesTheWholeCell) {
  grid_.SetGridLines(GVL_NONE);
  grid_.SetFocusCell(1, 1);
  Canvas canvas(60, 40);
  Draw(1, 1, true, canvas);
  const COLORREF text = grid_.GetDefaultCell(false, false)->GetTextColour();
  EXPECT_EQ(canvas.Pixel(44, 12), text);
  EXPECT_EQ(canvas.Pixel(12, 24), text);
  EXPECT_EQ(canvas.Pixel(12, 12), grid_.GetDefaultCell(false, false)->GetBackColour());
}

TEST_F(CellDraw, NoFocusFrameWhenSwitchedOff) {
  grid_.SetFrameFocus(false);
  grid_.SetFocusCell(1, 1);
  Canvas canvas(60, 40);
  Draw(1, 1, true, canvas);
  EXPECT_EQ(canvas.Pixel(5, 5), grid_.GetDefaultCell(false, false)->GetBackColour());
}

TEST_F(CellDraw, FixedCellIsRaised) {
  Canvas canvas(60, 40);
  Draw(0, 1, true, canvas);
  const COLORREF light = Sys(COLOR_BTNHIGHLIGHT);
  const COLORREF dark = Sys(COLOR_3DDKSHADOW);
  EXPECT_EQ(canvas.Pixel(12, 5), light);
  EXPECT_EQ(canvas.Pixel(5, 12), light);
  EXPECT_EQ(canvas.Pixel(44, 12), dark);
  EXPECT_EQ(canvas.Pixel(12, 24), dark);
  EXPECT_EQ(canvas.Pixel(44, 5), dark);
  EXPECT_EQ(canvas.Pixel(20, 12), grid_.GetDefaultCell(true, false)->GetBackColour());
}

TEST_F(CellDraw, FixedCellOfTheFocusRowOrColumnIsSunken) {
  grid_.SetFocusCell(1, 2);
  const COLORREF dark = Sys(COLOR_3DDKSHADOW);
  const COLORREF light = Sys(COLOR_3DLIGHT);
  for (CCellID heading : {CCellID(1, 0), CCellID(0, 2)}) {
    Canvas canvas(60, 40);
    Draw(heading.row, heading.col, true, canvas);
    EXPECT_EQ(canvas.Pixel(12, 5), dark) << heading.row << "," << heading.col;
    EXPECT_EQ(canvas.Pixel(5, 12), dark);
    EXPECT_EQ(canvas.Pixel(44, 12), light);
    EXPECT_EQ(canvas.Pixel(12, 24), light);
  }
  // A heading of another row and column stays raised; so do all without focus tracking.
  Canvas other(60, 40);
  Draw(0, 1, true, other);
  EXPECT_EQ(other.Pixel(12, 5), Sys(COLOR_BTNHIGHLIGHT));
  grid_.SetTrackFocus(false);
  Canvas untracked(60, 40);
  Draw(1, 0, true, untracked);
  EXPECT_EQ(untracked.Pixel(12, 5), Sys(COLOR_BTNHIGHLIGHT));
}

TEST_F(CellDraw, NoEdgesWithoutGridLines) {
  grid_.SetGridLines(GVL_NONE);
  Canvas canvas(60, 40);
  Draw(0, 1, true, canvas);
  EXPECT_EQ(canvas.Count(Sys(COLOR_3DDKSHADOW), CRect(0, 0, 60, 40)), 0);
  EXPECT_EQ(canvas.Count(Sys(COLOR_BTNHIGHLIGHT), CRect(0, 0, 60, 40)), 0);
}

TEST_F(CellDraw, FailsWithoutGridDcOrArea) {
  Canvas canvas(60, 40);
  CGridCell loose;
  EXPECT_FALSE(loose.Draw(canvas.dc(), 1, 1, kRect, true));
  CGridCellBase* cell = grid_.GetCell(1, 1);
  EXPECT_FALSE(cell->Draw(nullptr, 1, 1, kRect, true));
  EXPECT_FALSE(cell->Draw(canvas.dc(), 1, 1, CRect(5, 5, 5, 24), true));
  EXPECT_FALSE(cell->Draw(canvas.dc(), 1, 1, CRect(5, 5, 44, 4), true));
  EXPECT_EQ(canvas.Ink(), CRect(60, 40, -1, -1));
}

// The sort mark: a triangle in the shadow colour at the right of heading row 0.
class SortMark : public CellDraw {
 protected:
  Canvas::Rows MarkOf(int row, int col, const CRect& rect) {
    Canvas canvas(80, 60);
    grid_.GetCell(row, col)->Draw(canvas.dc(), row, col, rect, true);
    return canvas.RowsOf(Sys(COLOR_BTNSHADOW));
  }
};

TEST_F(SortMark, PointsUpAscendingAndDownDescending) {
  const CRect tall(5, 5, 70, 40);
  grid_.SetSortColumn(1);
  grid_.SetSortAscending(true);
  const Canvas::Rows up = MarkOf(0, 1, tall);
  ASSERT_GE(up.top, 0);
  EXPECT_LT(up.topCount, up.bottomCount);  // apex above, base below
  EXPECT_GT(up.bottom, up.top);
  grid_.SetSortAscending(false);
  const Canvas::Rows down = MarkOf(0, 1, tall);
  ASSERT_GE(down.top, 0);
  EXPECT_GT(down.topCount, down.bottomCount);
  // The mark stands in the right part of the cell.
  Canvas canvas(80, 60);
  grid_.GetCell(0, 1)->Draw(canvas.dc(), 0, 1, tall, true);
  EXPECT_EQ(canvas.Count(Sys(COLOR_BTNSHADOW), CRect(0, 0, 40, 60)), 0);
  EXPECT_GT(canvas.Count(Sys(COLOR_BTNSHADOW), CRect(40, 0, 80, 60)), 0);
}

TEST_F(SortMark, OnlyInRowZeroOfTheSortColumn) {
  const CRect tall(5, 5, 70, 40);
  grid_.SetSortColumn(1);
  EXPECT_LT(MarkOf(1, 1, tall).top, 0);
  EXPECT_LT(MarkOf(0, 2, tall).top, 0);
  grid_.SetSortColumn(-1);
  EXPECT_LT(MarkOf(0, 1, tall).top, 0);
}

TEST_F(SortMark, SkippedInCellsTooLowOrTooNarrow) {
  grid_.SetSortColumn(1);
  const int margin = static_cast<int>(grid_.GetCell(0, 1)->GetMargin());
  // Rows whose text area leaves no height for a mark.
  for (int height : {1, 3, 5, 2 * margin + 4}) {
    EXPECT_LT(MarkOf(0, 1, CRect(5, 5, 70, 5 + height)).top, 0) << height;
  }
  // A cell narrower than the mark.
  EXPECT_LT(MarkOf(0, 1, CRect(5, 5, 5 + 2 * margin + 4, 40)).top, 0);
}

class CellPrint : public CellDraw {
 protected:
  Canvas Print(int row, int col) {
    Canvas canvas(60, 40);
    EXPECT_TRUE(grid_.GetCell(row, col)->PrintCell(canvas.dc(), row, col, kRect));
    return canvas;
  }
};

TEST_F(CellPrint, FillsOnlyWhatDiffersFromTheDefaultOrIsFixed) {
  const COLORREF normalBack = grid_.GetDefaultCell(false, false)->GetBackColour();
  grid_.SetItemBackColour(1, 1, normalBack);
  EXPECT_EQ(Print(1, 1).Pixel(20, 12), Canvas::kMarker);
  grid_.SetItemBackColour(1, 1, RGB(0, 99, 0));
  EXPECT_EQ(Print(1, 1).Pixel(20, 12), RGB(0, 99, 0));
  EXPECT_EQ(Print(0, 1).Pixel(20, 12), grid_.GetDefaultCell(true, false)->GetBackColour());
  // Printing shows no selection.
  grid_.SetItemState(2, 2, grid_.GetItemState(2, 2) | CellSelected);
  EXPECT_EQ(Print(2, 2).Pixel(20, 12), Canvas::kMarker);
}

TEST_F(CellPrint, WithoutShadingNothingIsFilled) {
  grid_.SetShadedPrinting(false);
  grid_.SetItemBackColour(1, 1, RGB(0, 99, 0));
  EXPECT_EQ(Print(1, 1).Pixel(20, 12), Canvas::kMarker);
  EXPECT_EQ(Print(0, 1).Pixel(20, 12), Canvas::kMarker);
}

TEST_F(CellPrint, TextPrintsInBlackWithoutShadingAndGreyOnTwoColours) {
  grid_.SetItemText(1, 1, "WWWW");
  grid_.SetItemTextColour(1, 1, RGB(200, 0, 0));
  grid_.GetCell(1, 1)->SetFormat(DT_LEFT | DT_SINGLELINE | DT_VCENTER);
  auto inkColours = [&](bool shaded, bool mono) {
    grid_.SetShadedPrinting(shaded);
    Canvas canvas(60, 40);
    canvas.dc()->FillSolidRect(CRect(0, 0, 60, 40), RGB(255, 255, 255));
    canvas.dc()->SetMonochrome(mono);
    grid_.GetCell(1, 1)->PrintCell(canvas.dc(), 1, 1, kRect);
    // The darkest pixel of the text tells its colour (antialiased edges are lighter).
    QColor darkest(255, 255, 255);
    const QImage& img = canvas.Image();
    for (int y = 0; y < img.height(); ++y)
      for (int x = 0; x < img.width(); ++x) {
        const QColor c = img.pixelColor(x, y);
        if (c.lightness() < darkest.lightness()) darkest = c;
      }
    return darkest;
  };
  const QColor red = inkColours(true, false);
  EXPECT_GT(red.red(), red.green() + 100);
  const QColor black = inkColours(false, false);
  EXPECT_LT(black.lightness(), 40);
  const QColor grey = inkColours(true, true);
  EXPECT_EQ(grey.red(), grey.green());
  EXPECT_EQ(grey.green(), grey.blue());
}

}  // namespace
