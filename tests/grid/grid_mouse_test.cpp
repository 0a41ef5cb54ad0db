// The mouse against a recording owner: what a click, a drag, Shift, Ctrl, the
// headings, list mode, the dividers, double clicks and the right button do, and in
// which order the owner hears of it.

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QRubberBand>
#include <QStyleHints>
#include <gtest/gtest.h>

#include "grid/grid_ctrl.h"
#include "tests/grid/grid_test_support.h"

namespace {

using Codes = std::vector<std::string>;
using zv::test::CellCentre;
using zv::test::Click;
using zv::test::HiddenLayout;
using zv::test::Move;
using zv::test::Press;
using zv::test::RecordingGrid;
using zv::test::RecordingOwner;
using zv::test::Release;

// Cells of the layout at the start: columns x 0..39, 40..89, (2 hidden), 90..139,
// 140..189; rows y 0..24, 25..44, 45..64, (3 hidden), 65..84, 85..104.

TEST(GridMouse, ClickSelectsTheCellAndTellsTheOwner) {
  HiddenLayout g;
  Click(*g, CellCentre(*g, 2, 1));
  EXPECT_EQ(g->GetFocusCell(), CCellID(2, 1));
  EXPECT_EQ(g->GetSelectedCount(), 1);
  EXPECT_TRUE(g->IsCellSelected(2, 1));
  EXPECT_EQ(g.owner.Codes(), (Codes{"-100 2,1", "-101 2,1", "-2 2,1"}));
  // The click notification is posted: it comes after the release.
  zv::test::ProcessPosted();
  EXPECT_EQ(g.owner.Codes().back(), "1 100,0");
  EXPECT_EQ(g->GetMouseMode(), MouseNone);
}

TEST(GridMouse, DragSelectsARectangle) {
  HiddenLayout g;
  Press(*g, CellCentre(*g, 2, 1));
  Move(*g, CellCentre(*g, 4, 4), Qt::LeftButton);
  EXPECT_EQ(g->GetFocusCell(), CCellID(4, 4));
  Release(*g, CellCentre(*g, 4, 4));
  // Rows 2..4 by columns 1..4, the hidden row and column included.
  EXPECT_EQ(g->GetSelectedCount(), 12);
  EXPECT_EQ(g->GetSelectionBounds(), CCellRange(2, 1, 4, 4));
}

TEST(GridMouse, ShiftExtendsFromTheAnchor) {
  HiddenLayout g;
  Click(*g, CellCentre(*g, 1, 1));
  Click(*g, CellCentre(*g, 4, 3), Qt::ShiftModifier);
  EXPECT_EQ(g->GetSelectionBounds(), CCellRange(1, 1, 4, 3));
  EXPECT_EQ(g->GetFocusCell(), CCellID(4, 3));
  Click(*g, CellCentre(*g, 2, 1), Qt::ShiftModifier);  // the anchor stays
  EXPECT_EQ(g->GetSelectionBounds(), CCellRange(1, 1, 2, 1));

  // Without an anchor the focus cell is one.
  HiddenLayout fresh;
  fresh->SetFocusCell(2, 1);
  Click(*fresh, CellCentre(*fresh, 4, 3), Qt::ShiftModifier);
  EXPECT_EQ(fresh->GetSelectionBounds(), CCellRange(2, 1, 4, 3));
}

TEST(GridMouse, CtrlAddsAndTakesAway) {
  HiddenLayout g;
  Click(*g, CellCentre(*g, 1, 1));
  Click(*g, CellCentre(*g, 4, 4), Qt::ControlModifier);
  EXPECT_EQ(g->GetSelectedCount(), 2);
  EXPECT_TRUE(g->IsCellSelected(1, 1));
  EXPECT_TRUE(g->IsCellSelected(4, 4));
  // A drag with Ctrl adds its rectangle to what is there.
  Press(*g, CellCentre(*g, 2, 3), Qt::ControlModifier);
  Move(*g, CellCentre(*g, 2, 4), Qt::LeftButton);
  Release(*g, CellCentre(*g, 2, 4), Qt::ControlModifier);
  EXPECT_EQ(g->GetSelectedCount(), 4);
  // Ctrl on a selected cell deselects it alone.
  Click(*g, CellCentre(*g, 4, 4), Qt::ControlModifier);
  EXPECT_EQ(g->GetSelectedCount(), 3);
  EXPECT_FALSE(g->IsCellSelected(4, 4));
  EXPECT_TRUE(g->IsCellSelected(1, 1));
  EXPECT_EQ(g->GetFocusCell(), CCellID(4, 4));
  // A plain click starts afresh.
  Click(*g, CellCentre(*g, 2, 1));
  EXPECT_EQ(g->GetSelectedCount(), 1);
}

TEST(GridMouse, HeadingsSelectColumnsRowsAndEverything) {
  HiddenLayout g;
  Click(*g, QPoint(114, 12));  // heading of column 3
  EXPECT_EQ(g->GetSelectionBounds(), CCellRange(1, 3, 9, 3));
  EXPECT_EQ(g->GetSelectedCount(), 9);
  // A heading press leaves no focus cell.
  EXPECT_EQ(g.owner.Codes(), (Codes{"-100 0,3", "-101 -1,-1", "-2 0,3"}));

  Click(*g, QPoint(20, 74));  // heading of row 4
  EXPECT_EQ(g->GetSelectionBounds(), CCellRange(4, 1, 4, 5));

  Click(*g, QPoint(20, 12));  // the corner
  EXPECT_EQ(g->GetSelectedCount(), 9 * 5);

  // A drag along the headings takes the columns between, and the focus follows.
  Press(*g, QPoint(60, 12));
  Move(*g, QPoint(160, 12), Qt::LeftButton);
  Release(*g, QPoint(160, 12));
  EXPECT_EQ(g->GetSelectionBounds(), CCellRange(1, 1, 9, 4));
  EXPECT_EQ(g->GetFocusCell(), CCellID(1, 4));

  g->SetFixedColumnSelection(false);
  g->ClearSelection();
  Click(*g, QPoint(114, 12));
  EXPECT_EQ(g->GetSelectedCount(), 0);
}

TEST(GridMouse, SingleColumnSelection) {
  HiddenLayout g;
  g->SetSingleColumnSelect(true);
  Press(*g, QPoint(60, 12));
  Move(*g, QPoint(160, 12), Qt::LeftButton);
  Release(*g, QPoint(160, 12));
  EXPECT_EQ(g->GetSelectionBounds(), CCellRange(1, 4, 9, 4));
}

TEST(GridMouse, ListModeSelectsWholeRows) {
  HiddenLayout g;
  g->SetListMode(true);
  Click(*g, CellCentre(*g, 2, 3));
  EXPECT_EQ(g->GetSelectionBounds(), CCellRange(2, 1, 2, 5));
  Click(*g, CellCentre(*g, 4, 1), Qt::ShiftModifier);
  EXPECT_EQ(g->GetSelectionBounds(), CCellRange(2, 1, 4, 5));
  // Ctrl takes a selected row away.
  Click(*g, CellCentre(*g, 4, 4), Qt::ControlModifier);
  EXPECT_EQ(g->GetSelectionBounds(), CCellRange(2, 1, 3, 5));

  // List mode ends row selection from the row headings until it is asked for again.
  g->ClearSelection();
  Click(*g, QPoint(20, 74));
  EXPECT_EQ(g->GetSelectedCount(), 0);
  g->SetFixedRowSelection(true);
  Click(*g, QPoint(20, 74));
  EXPECT_EQ(g->GetSelectionBounds(), CCellRange(4, 1, 4, 5));

  // One row at a time.
  g->SetSingleRowSelect(true);
  EXPECT_TRUE(g->GetSingleRowSelect());
  Click(*g, CellCentre(*g, 1, 1));
  Click(*g, CellCentre(*g, 2, 1), Qt::ShiftModifier);
  EXPECT_EQ(g->GetSelectionBounds(), CCellRange(2, 1, 2, 5));
  g->SetListMode(false);
  EXPECT_FALSE(g->GetSingleRowSelect());
  EXPECT_EQ(g->GetSelectedCount(), 0);
  EXPECT_EQ(g->GetFocusCell(), CCellID());
}

TEST(GridMouse, RightReleaseMovesFocusBeforeTheContextMenuRequest) {
  HiddenLayout g;
  Click(*g, CellCentre(*g, 1, 1));
  g.owner.Clear();
  const QPoint at = CellCentre(*g, 4, 3);
  Press(*g, at, Qt::NoModifier, Qt::RightButton);
  EXPECT_TRUE(g.owner.log.empty());  // nothing on the press
  Release(*g, at, Qt::NoModifier, Qt::RightButton);
  ASSERT_EQ(g.owner.Codes(), (Codes{"-5 4,3", "2 " + std::to_string(at.x()) + "," + std::to_string(at.y())}));
  // Both already see the new focus cell, and the old selection gone.
  for (const RecordingOwner::Entry& e : g.owner.log) {
    EXPECT_EQ(e.focus, CCellID(4, 3));
    EXPECT_EQ(e.selected, 0);
  }

  // On a heading the focus goes to the first data cell below it.
  g.owner.Clear();
  Click(*g, QPoint(114, 12), Qt::NoModifier, Qt::RightButton);
  EXPECT_EQ(g.owner.log.front().code, NM_RCLICK);
  EXPECT_EQ(g->GetFocusCell(), CCellID(1, 3));
  EXPECT_EQ(g.owner.log.back().code, RecordingOwner::kContextMenu);
}

TEST(GridMouse, QtsOwnMouseMenuRequestIsDroppedKeyboardOnesGoOn) {
  HiddenLayout g;
  const QPoint at = CellCentre(*g, 2, 1);
  QContextMenuEvent mouse(QContextMenuEvent::Mouse, at, g->viewport()->mapToGlobal(at));
  QCoreApplication::sendEvent(g->viewport(), &mouse);
  EXPECT_TRUE(g.owner.log.empty());
  QContextMenuEvent keyboard(QContextMenuEvent::Keyboard, at, g->viewport()->mapToGlobal(at));
  QCoreApplication::sendEvent(g.grid, &keyboard);
  ASSERT_EQ(g.owner.log.size(), 1u);
  EXPECT_EQ(g.owner.log[0].code, RecordingOwner::kKeyboardMenu);
}

TEST(GridMouse, RightReleaseOutsideTheCells) {
  HiddenLayout g;
  g->SetScrollPosition(SB_HORZ, 54);
  g->SetScrollPosition(SB_VERT, 99);  // the cells end at x 140
  Click(*g, QPoint(160, 40), Qt::NoModifier, Qt::RightButton);
  EXPECT_EQ(g.owner.Codes(), (Codes{"-5 -1,-1"}));
  // A left click there selects nothing and posts no click notification.
  g.owner.Clear();
  Click(*g, QPoint(160, 40));
  zv::test::ProcessPosted();
  for (const RecordingOwner::Entry& e : g.owner.log) EXPECT_NE(e.code, RecordingOwner::kClicked);
}

QRubberBand* SizingLine(CGridCtrl& grid) { return grid.viewport()->findChild<QRubberBand*>(); }

TEST(GridMouse, DividersFollowThePointer) {
  HiddenLayout g;
  Move(*g, QPoint(89, 12));  // right edge of column 1's heading
  EXPECT_EQ(g->GetMouseMode(), MouseOverColumnDivider);
  EXPECT_EQ(g->viewport()->cursor().shape(), Qt::SizeHorCursor);
  Move(*g, QPoint(60, 12));
  EXPECT_EQ(g->GetMouseMode(), MouseNone);
  EXPECT_EQ(g->viewport()->cursor().shape(), Qt::ArrowCursor);
  Move(*g, QPoint(20, 44));  // bottom edge of row 1's heading
  EXPECT_EQ(g->GetMouseMode(), MouseOverRowDivider);
  EXPECT_EQ(g->viewport()->cursor().shape(), Qt::SizeVerCursor);
  Move(*g, QPoint(60, 44));  // dividers are only in the headings
  EXPECT_EQ(g->GetMouseMode(), MouseNone);
  Move(*g, QPoint(1, 12));  // column 0 has no left divider
  EXPECT_EQ(g->GetMouseMode(), MouseNone);
  g->SetColumnResize(false);
  Move(*g, QPoint(89, 12));
  EXPECT_EQ(g->GetMouseMode(), MouseNone);
}

TEST(GridMouse, DraggingADividerSizesTheColumn) {
  HiddenLayout g;
  Move(*g, QPoint(89, 12));
  Press(*g, QPoint(89, 12));
  EXPECT_EQ(g->GetMouseMode(), MouseSizingColumn);
  Move(*g, QPoint(120, 12), Qt::LeftButton);
  ASSERT_NE(SizingLine(*g), nullptr);
  EXPECT_TRUE(SizingLine(*g)->isVisible());
  EXPECT_EQ(SizingLine(*g)->geometry(), QRect(120, 0, 2, 86));
  EXPECT_EQ(g->GetColumnWidth(1), 50);  // not before the release
  Release(*g, QPoint(120, 12));
  EXPECT_EQ(g->GetColumnWidth(1), 80);
  EXPECT_FALSE(SizingLine(*g)->isVisible());
  EXPECT_EQ(g->GetSelectedCount(), 0);  // sizing selects nothing

  // The pointer cannot pass the column's left edge: at least one pixel is left.
  Move(*g, QPoint(119, 12));
  Press(*g, QPoint(119, 12));
  Move(*g, QPoint(5, 12), Qt::LeftButton);
  EXPECT_EQ(SizingLine(*g)->geometry().x(), 41);
  Release(*g, QPoint(5, 12));
  EXPECT_EQ(g->GetColumnWidth(1), 1);

  // Released where pressed: no change.
  g->SetColumnWidth(1, 50);
  Move(*g, QPoint(89, 12));
  Press(*g, QPoint(89, 12));
  Release(*g, QPoint(89, 12));
  EXPECT_EQ(g->GetColumnWidth(1), 50);
}

TEST(GridMouse, LeftDividerOfAColumnAfterAHiddenOne) {
  // The left edge of column 3 is also the right edge of hidden column 2.
  HiddenLayout reopen;
  Move(*reopen, QPoint(91, 12));
  Press(*reopen, QPoint(91, 12));
  Release(*reopen, QPoint(120, 12));
  EXPECT_EQ(reopen->GetColumnWidth(2), 30);  // the hidden column opens again
  EXPECT_EQ(reopen->GetColumnWidth(1), 50);

  HiddenLayout keep;
  keep->SetHiddenColUnhide(false);
  Move(*keep, QPoint(91, 12));
  Press(*keep, QPoint(91, 12));
  Release(*keep, QPoint(120, 12));
  EXPECT_EQ(keep->GetColumnWidth(2), 0);  // stays hidden: column 1 is sized
  EXPECT_EQ(keep->GetColumnWidth(1), 80);
}

TEST(GridMouse, DraggingARowDivider) {
  HiddenLayout g;
  Move(*g, QPoint(20, 44));
  Press(*g, QPoint(20, 44));
  EXPECT_EQ(g->GetMouseMode(), MouseSizingRow);
  Move(*g, QPoint(20, 60), Qt::LeftButton);
  EXPECT_EQ(SizingLine(*g)->geometry(), QRect(0, 60, 186, 2));
  Release(*g, QPoint(20, 60));
  EXPECT_EQ(g->GetRowHeight(1), 35);
}

TEST(GridMouse, DoubleClickOnADividerFitsTheColumn) {
  HiddenLayout g;
  g->SetItemText(2, 1, "a text wider than fifty pixels, surely");
  Move(*g, QPoint(89, 12));
  zv::test::DoubleClick(*g, QPoint(89, 12));
  const int fitted = g->GetColumnWidth(1);
  EXPECT_GT(fitted, 50);
  g->SetColumnWidth(1, 50);
  ASSERT_TRUE(g->AutoSizeColumn(1));
  EXPECT_EQ(g->GetColumnWidth(1), fitted);

  // On the left divider of column 3 the column before it counts, past the hidden one.
  g->SetColumnWidth(1, 50);
  Move(*g, QPoint(91, 12));
  zv::test::DoubleClick(*g, QPoint(91, 12));
  EXPECT_EQ(g->GetColumnWidth(1), fitted);
  EXPECT_EQ(g->GetColumnWidth(2), 0);
}

TEST(GridMouse, DoubleClickIsNoPress) {
  auto* recording = new RecordingGrid;
  HiddenLayout g(recording);
  const QPoint at = CellCentre(*g, 2, 1);
  zv::test::DoubleClick(*g, at);
  EXPECT_EQ(g.owner.Codes(), (Codes{"-100 2,1", "-101 2,1", "-2 2,1", "-3 2,1", "-101 2,1", "-2 2,1"}));
  // A double click on a cell's text edits it.
  ASSERT_EQ(recording->edits.size(), 1u);
  EXPECT_EQ(recording->edits[0].row, 2);
  EXPECT_EQ(recording->edits[0].col, 1);
  EXPECT_EQ(recording->edits[0].nChar, VK_LBUTTON);
}

TEST(GridMouse, PressOnTheFocusCellsTextEditsOnRelease) {
  auto* recording = new RecordingGrid;
  HiddenLayout g(recording);
  const QPoint at = CellCentre(*g, 2, 1);
  Click(*g, at);
  g.owner.Clear();
  Press(*g, at);
  EXPECT_EQ(g->GetMouseMode(), MousePrepareEdit);
  // A hand's jitter is no drag.
  Move(*g, at + QPoint(1, 0), Qt::LeftButton);
  Release(*g, at + QPoint(1, 0));
  ASSERT_EQ(recording->edits.size(), 1u);
  EXPECT_EQ(recording->edits[0], (RecordingGrid::Edit{2, 1, CPoint(at.x() + 1 - 40, at.y() - 45), VK_LBUTTON}));
  EXPECT_EQ(g->GetSelectedCount(), 1);
  EXPECT_EQ(g->GetFocusCell(), CCellID(2, 1));
  EXPECT_EQ(recording->drags, 0);

  // A real move gives the edit up: the release clears selection and focus.
  g.owner.Clear();
  Press(*g, at);
  Move(*g, at + QPoint(QGuiApplication::styleHints()->startDragDistance() + 1, 0), Qt::LeftButton);
  EXPECT_EQ(recording->drags, 1);
  Release(*g, at);
  EXPECT_EQ(recording->edits.size(), 1u);
  EXPECT_EQ(g.owner.Codes(), (Codes{"-2 2,1", "-100 2,1", "-101 -1,-1"}));
  EXPECT_EQ(g->GetSelectedCount(), 0);
  EXPECT_EQ(g->GetFocusCell(), CCellID());

  // Not editable: the press selects as any other.
  g->SetEditable(false);
  Click(*g, at);
  Press(*g, at);
  EXPECT_EQ(g->GetMouseMode(), MouseSelectCells);
  Release(*g, at);
}

TEST(GridMouse, PressOnASelectedCellPreparesADragWhenDragAndDropIsOn) {
  auto* recording = new RecordingGrid;
  HiddenLayout g(recording);
  g->EnableDragAndDrop(true);
  Press(*g, CellCentre(*g, 1, 1));
  Move(*g, CellCentre(*g, 2, 3), Qt::LeftButton);
  Release(*g, CellCentre(*g, 2, 3));
  ASSERT_EQ(g->GetSelectedCount(), 6);
  Press(*g, CellCentre(*g, 2, 1));
  EXPECT_EQ(g->GetMouseMode(), MousePrepareDrag);
  EXPECT_EQ(g->GetFocusCell(), CCellID(2, 1));
  Move(*g, CellCentre(*g, 2, 1) + QPoint(1, 1), Qt::LeftButton);
  EXPECT_EQ(recording->drags, 0);
  Move(*g, CellCentre(*g, 4, 1), Qt::LeftButton);
  EXPECT_EQ(recording->drags, 1);
}

TEST(GridMouse, HoldingTheButtonBelowTheCellsScrollsAndSelects) {
  HiddenLayout g;
  const QPoint at = CellCentre(*g, 4, 1);
  Press(*g, at);
  Move(*g, QPoint(at.x(), 120), Qt::LeftButton);  // below the client area
  ASSERT_TRUE(zv::test::WaitFor([&] { return g->GetFirstVisibleDataCell().row >= 6; }));
  EXPECT_GT(g->GetFocusCell().row, 5);
  EXPECT_EQ(g->GetSelectionBounds().GetMinRow(), 4);
  EXPECT_GT(g->GetSelectionBounds().GetMaxRow(), 5);
  Release(*g, QPoint(at.x(), 120));
  const int top = g->GetFirstVisibleDataCell().row;
  QElapsedTimer wait;
  wait.start();
  while (wait.elapsed() < 100) QCoreApplication::processEvents();
  EXPECT_EQ(g->GetFirstVisibleDataCell().row, top);  // the release stopped it
}

TEST(GridMouse, HeadingPressStartsNoAutoScroll) {
  HiddenLayout g;
  Press(*g, QPoint(60, 12));
  Move(*g, QPoint(60, 120), Qt::LeftButton);
  QElapsedTimer wait;
  wait.start();
  while (wait.elapsed() < 100) QCoreApplication::processEvents();
  EXPECT_EQ(g->GetFirstVisibleDataCell().row, 1);
  Release(*g, QPoint(60, 120));
}

}  // namespace
