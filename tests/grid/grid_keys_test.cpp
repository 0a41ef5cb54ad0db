// The keyboard: where each key takes the focus cell past hidden rows and columns,
// Tab and Shift+Tab wrapping, the page keys at the ends, what keys select and
// scroll, and the keys and characters handed on to the editing and clipboard code.

#include <QLineEdit>
#include <gtest/gtest.h>

#include "grid/grid_ctrl.h"
#include "tests/grid/grid_test_support.h"

namespace {

using Codes = std::vector<std::string>;
using zv::test::HiddenLayout;
using zv::test::Key;
using zv::test::RecordingGrid;

struct KeyCase {
  CCellID from;
  int key;
  Qt::KeyboardModifiers modifiers;
  CCellID to;
};

TEST(GridKeys, WhereEachKeyTakesTheFocus) {
  // Row 3 and column 2 are hidden; row 0 and column 0 are fixed; 10 rows, 6 columns.
  const Qt::KeyboardModifiers none = Qt::NoModifier, shift = Qt::ShiftModifier, ctrl = Qt::ControlModifier;
  const KeyCase cases[] = {
      {{2, 1}, Qt::Key_Down, none, {4, 1}},
      {{4, 1}, Qt::Key_Up, none, {2, 1}},
      {{1, 1}, Qt::Key_Right, none, {1, 3}},
      {{1, 3}, Qt::Key_Left, none, {1, 1}},
      {{1, 1}, Qt::Key_Left, none, {1, 1}},  // never into the fixed column
      {{1, 1}, Qt::Key_Up, none, {1, 1}},    // nor the fixed row
      {{9, 1}, Qt::Key_Down, none, {9, 1}},
      {{1, 5}, Qt::Key_Right, none, {1, 5}},
      {{1, 1}, Qt::Key_Tab, none, {1, 3}},
      {{1, 5}, Qt::Key_Tab, none, {2, 1}},  // the start of the next row
      {{2, 5}, Qt::Key_Tab, none, {4, 1}},  // past the hidden row
      {{9, 5}, Qt::Key_Tab, none, {9, 5}},  // the last cell stays
      {{1, 3}, Qt::Key_Backtab, shift, {1, 1}},
      {{2, 1}, Qt::Key_Backtab, shift, {1, 5}},  // the end of the row above
      {{4, 1}, Qt::Key_Backtab, shift, {2, 5}},
      {{1, 1}, Qt::Key_Backtab, shift, {1, 1}},
      {{2, 1}, Qt::Key_Tab, shift, {1, 5}},  // Shift+Tab in its other form
      {{4, 4}, Qt::Key_Home, none, {4, 1}},
      {{4, 4}, Qt::Key_Home, ctrl, {1, 1}},
      {{4, 1}, Qt::Key_End, none, {4, 5}},
      {{2, 1}, Qt::Key_End, ctrl, {9, 5}},
  };
  for (const KeyCase& c : cases) {
    SCOPED_TRACE(testing::Message() << "key " << c.key << " from " << c.from.row << "," << c.from.col);
    HiddenLayout g;
    g->SetFocusCell(c.from);
    g->EnsureVisible(c.from);
    EXPECT_TRUE(Key(*g.grid, c.key, c.modifiers));
    EXPECT_EQ(g->GetFocusCell(), c.to);
    // The new focus cell is in view.
    CRect rect;
    ASSERT_TRUE(g->GetCellRect(c.to, &rect));
    EXPECT_LT(rect.bottom, g->GetClientRect().bottom);
    EXPECT_LT(rect.right, g->GetClientRect().right);
  }
}

TEST(GridKeys, EveryRowBelowHiddenLeavesTheFocus) {
  HiddenLayout g;
  for (int row = 5; row < 10; ++row) g->SetRowHeight(row, 0);
  g->SetFocusCell(4, 5);
  Key(*g.grid, Qt::Key_Down);
  EXPECT_EQ(g->GetFocusCell(), CCellID(4, 5));
  Key(*g.grid, Qt::Key_Tab);
  EXPECT_EQ(g->GetFocusCell(), CCellID(4, 5));
}

TEST(GridKeys, CtrlEndWithHiddenLastColumnsAndRow) {
  HiddenLayout g;
  g->SetColumnWidth(5, 0);
  g->SetColumnWidth(4, 0);
  g->SetRowHeight(9, 0);
  g->SetFocusCell(1, 1);
  Key(*g.grid, Qt::Key_End, Qt::ControlModifier);
  EXPECT_EQ(g->GetFocusCell(), CCellID(8, 3));
  // With every data column hidden but the first, Home and End both land there.
  g->SetColumnWidth(3, 0);
  Key(*g.grid, Qt::Key_Home);
  EXPECT_EQ(g->GetFocusCell(), CCellID(8, 1));
  Key(*g.grid, Qt::Key_End);
  EXPECT_EQ(g->GetFocusCell(), CCellID(8, 1));
}

TEST(GridKeys, PageKeysAtTheEnds) {
  HiddenLayout g;
  g->SetFocusCell(1, 1);
  // A page is 61 pixels: the top row goes from 1 to 6, the focus row with it.
  Key(*g.grid, Qt::Key_PageDown);
  EXPECT_EQ(g->GetFocusCell(), CCellID(6, 1));
  Key(*g.grid, Qt::Key_PageDown);  // the view moves one row to its end
  EXPECT_EQ(g->GetFocusCell(), CCellID(7, 1));
  Key(*g.grid, Qt::Key_PageDown);  // the view cannot move: the last row
  EXPECT_EQ(g->GetFocusCell(), CCellID(9, 1));
  EXPECT_EQ(g->GetScrollPosition(SB_VERT), 99);
  Key(*g.grid, Qt::Key_PageUp);
  EXPECT_EQ(g->GetFocusCell(), CCellID(5, 1));
  Key(*g.grid, Qt::Key_PageUp);
  EXPECT_EQ(g->GetScrollPosition(SB_VERT), 0);
  Key(*g.grid, Qt::Key_PageUp);  // at the top: the first data row
  EXPECT_EQ(g->GetFocusCell(), CCellID(1, 1));
}

TEST(GridKeys, TabToTheNextLineScrollsBackToTheLeft) {
  HiddenLayout g;
  g->SetFocusCell(1, 5);
  g->EnsureVisible(1, 5);
  ASSERT_EQ(g->GetScrollPosition(SB_HORZ), 54);
  Key(*g.grid, Qt::Key_Tab);
  EXPECT_EQ(g->GetFocusCell(), CCellID(2, 1));
  EXPECT_EQ(g->GetScrollPosition(SB_HORZ), 0);
  Key(*g.grid, Qt::Key_Backtab, Qt::ShiftModifier);
  EXPECT_EQ(g->GetFocusCell(), CCellID(1, 5));
  EXPECT_TRUE(g->IsCellVisible(1, 5));
}

TEST(GridKeys, KeysSelectTheCellTheyMoveTo) {
  HiddenLayout g;
  g->SetFocusCell(1, 1);
  Key(*g.grid, Qt::Key_Down);
  EXPECT_EQ(g.owner.Codes(), (Codes{"-100 2,1", "-101 2,1"}));
  EXPECT_EQ(g->GetSelectedCount(), 1);
  EXPECT_TRUE(g->IsCellSelected(2, 1));
  // Shift extends from where the keys started.
  Key(*g.grid, Qt::Key_Down, Qt::ShiftModifier);
  Key(*g.grid, Qt::Key_Right, Qt::ShiftModifier);
  EXPECT_EQ(g->GetSelectionBounds(), CCellRange(2, 1, 4, 3));
  // Shift+Tab starts afresh.
  Key(*g.grid, Qt::Key_Backtab, Qt::ShiftModifier);
  EXPECT_EQ(g->GetSelectionBounds(), CCellRange(4, 1, 4, 1));
  // In list mode whole rows.
  g->SetListMode(true);
  g->SetFocusCell(1, 1);
  Key(*g.grid, Qt::Key_Down);
  EXPECT_EQ(g->GetSelectionBounds(), CCellRange(2, 1, 2, 5));
}

TEST(GridKeys, AltKeysAreLeftToTheMenus) {
  auto* recording = new RecordingGrid;
  HiddenLayout g(recording);
  g->SetFocusCell(2, 1);
  EXPECT_FALSE(Key(*g.grid, Qt::Key_Down, Qt::AltModifier));
  EXPECT_FALSE(Key(*g.grid, Qt::Key_F, Qt::AltModifier, "f"));
  EXPECT_EQ(g->GetFocusCell(), CCellID(2, 1));
  EXPECT_TRUE(recording->chars.empty());
}

TEST(GridKeys, WithoutAFocusCellKeysGoOn) {
  HiddenLayout g;
  EXPECT_FALSE(Key(*g.grid, Qt::Key_Down));
  EXPECT_FALSE(Key(*g.grid, Qt::Key_A, Qt::ControlModifier));
  EXPECT_EQ(g->GetSelectedCount(), 0);
  EXPECT_TRUE(g.owner.log.empty());
}

TEST(GridKeys, EditAndClipboardKeys) {
  auto* recording = new RecordingGrid;
  HiddenLayout g(recording);
  g->SetFocusCell(2, 1);
  Key(*g.grid, Qt::Key_F2);
  ASSERT_EQ(recording->edits.size(), 1u);
  EXPECT_EQ(recording->edits[0], (RecordingGrid::Edit{2, 1, CPoint(-1, -1), VK_LBUTTON}));
  Key(*g.grid, Qt::Key_Delete);
  Key(*g.grid, Qt::Key_C, Qt::ControlModifier);
  Key(*g.grid, Qt::Key_Insert, Qt::ControlModifier);
  Key(*g.grid, Qt::Key_X, Qt::ControlModifier);
  Key(*g.grid, Qt::Key_V, Qt::ControlModifier);
  Key(*g.grid, Qt::Key_Insert, Qt::ShiftModifier);
  EXPECT_EQ(recording->clears, 1);
  EXPECT_EQ(recording->copies, 2);
  EXPECT_EQ(recording->cuts, 1);
  EXPECT_EQ(recording->pastes, 2);
  EXPECT_EQ(g->GetFocusCell(), CCellID(2, 1));  // none of them moves the focus

  g.owner.Clear();
  Key(*g.grid, Qt::Key_A, Qt::ControlModifier);
  EXPECT_EQ(g->GetSelectedCount(), 9 * 5);
  ASSERT_EQ(g.owner.log.size(), 2u);
  EXPECT_EQ(g.owner.log[0].code, GridNotifyCode::SelectionChanging);
  EXPECT_EQ(g.owner.log[1].code, GridNotifyCode::SelectionChanged);
  EXPECT_EQ(g.owner.log[1].selected, 9 * 5);
}

TEST(GridKeys, EachKeyAlsoGivesItsCharacter) {
  auto* recording = new RecordingGrid;
  HiddenLayout g(recording);
  g->SetFocusCell(2, 1);
  Key(*g.grid, Qt::Key_A, Qt::NoModifier, "a");
  Key(*g.grid, Qt::Key_unknown, Qt::NoModifier, QString::fromUtf8("я"));
  Key(*g.grid, Qt::Key_Tab, Qt::NoModifier, "\t");
  Key(*g.grid, Qt::Key_Delete, Qt::NoModifier, QString(QChar(0x7f)));  // types nothing
  const bool returnTaken = Key(*g.grid, Qt::Key_Return, Qt::NoModifier, "\r");
  EXPECT_EQ(recording->chars, (std::vector<UINT>{'a', 0xFF, '\t', '\r'}));
  EXPECT_FALSE(returnTaken);  // Return goes on to the parent (a dialog's default button)
  EXPECT_EQ(g->GetFocusCell(), CCellID(2, 3));  // the Tab moved on
}

TEST(GridKeys, TabStaysInTheGridWhileItHandlesTab) {
  HiddenLayout g;
  auto* next = new QLineEdit(&g.owner);
  next->show();
  g->setFocus();
  ASSERT_EQ(g.owner.focusWidget(), g.grid);
  g->SetFocusCell(1, 1);
  Key(*g.grid, Qt::Key_Tab);
  Key(*g.grid, Qt::Key_Backtab, Qt::ShiftModifier);
  Key(*g.grid, Qt::Key_Tab);
  EXPECT_EQ(g.owner.focusWidget(), g.grid);
  EXPECT_EQ(g->GetFocusCell(), CCellID(1, 3));
  // Not handling Tab, the grid passes it to the focus chain.
  g->SetHandleTabKey(false);
  Key(*g.grid, Qt::Key_Tab);
  EXPECT_EQ(g.owner.focusWidget(), next);
  EXPECT_EQ(g->GetFocusCell(), CCellID(1, 3));
}

TEST(GridKeys, SelectAllOnAHundredThousandRows) {
  zv::test::OwnedGrid g(100001, 3, 1, 1, {}, {});
  g->SetFocusCell(1, 1);
  g.owner.Clear();
  Key(*g.grid, Qt::Key_A, Qt::ControlModifier);
  EXPECT_EQ(g->GetSelectedCount(), 100000 * 2);
  // Ready to be copied: the bounds are a valid range of the grid.
  const CCellRange bounds = g->GetSelectionBounds();
  EXPECT_EQ(bounds, CCellRange(1, 1, 100000, 2));
  EXPECT_TRUE(g->IsValidRange(bounds));
  EXPECT_TRUE(g->IsCellSelected(100000, 2));
  EXPECT_FALSE(g->IsCellSelected(0, 1));
  ASSERT_EQ(g.owner.log.size(), 2u);
  EXPECT_EQ(g.owner.log[1].selected, 100000 * 2);
  // A click replaces it all with one cell.
  zv::test::Click(*g, zv::test::CellCentre(*g, 2, 2));
  EXPECT_EQ(g->GetSelectedCount(), 1);
  EXPECT_FALSE(g->IsCellSelected(100000, 2));
}

}  // namespace
