// The focus cell and the selected cells.

#include <gtest/gtest.h>
#include <random>
#include <set>

#include "grid/cell_id_set.h"
#include "grid/grid_ctrl.h"
#include "tests/grid/grid_test_support.h"

namespace {

TEST(CellIds, IdsAndRanges) {
  EXPECT_FALSE(CCellID().IsValid());
  EXPECT_TRUE(CCellID(0, 0).IsValid());
  EXPECT_TRUE(CCellID(1, 2) == CCellID(1, 2));
  EXPECT_TRUE(CCellID(1, 2) != CCellID(2, 1));
  const CCellRange r(1, 2, 3, 4);
  EXPECT_TRUE(r.IsValid());
  EXPECT_TRUE(r.InRange(1, 2));
  EXPECT_TRUE(r.InRange(CCellID(3, 4)));
  EXPECT_FALSE(r.InRange(4, 4));
  EXPECT_EQ(r.GetTopLeft(), CCellID(1, 2));
  EXPECT_FALSE(CCellRange().IsValid());
  EXPECT_FALSE(CCellRange(2, 0, 1, 0).IsValid());
  CCellRange copy;
  copy = r;
  const CCellRange& same = copy;
  copy = same;
  EXPECT_EQ(copy, r);
}

TEST(CellIdSet, KeysHoldRowAndColumnInFull) {
  CCellIdSet set;
  EXPECT_TRUE(set.Insert(CCellID(1, 0)));
  EXPECT_TRUE(set.Insert(CCellID(65537, 0)));
  EXPECT_TRUE(set.Insert(CCellID(0, 65536)));
  EXPECT_TRUE(set.Insert(CCellID(0, 0)));
  EXPECT_FALSE(set.Insert(CCellID(65537, 0)));
  EXPECT_EQ(set.Size(), 4u);
  EXPECT_TRUE(set.Erase(CCellID(1, 0)));
  EXPECT_FALSE(set.Contains(CCellID(1, 0)));
  EXPECT_TRUE(set.Contains(CCellID(65537, 0)));
  EXPECT_FALSE(set.Erase(CCellID(1, 0)));
}

// Against std::set through many inserts and erases (erasing moves entries back).
TEST(CellIdSet, AgreesWithAnOrderedSet) {
  std::mt19937 random(7);
  std::uniform_int_distribution<int> pick(0, 300);
  CCellIdSet set;
  std::set<std::pair<int, int>> model;
  for (int i = 0; i < 20000; ++i) {
    const CCellID cell(pick(random), pick(random) % 7);
    if (random() % 3 == 0) {
      EXPECT_EQ(set.Erase(cell), model.erase({cell.row, cell.col}) == 1);
    } else {
      EXPECT_EQ(set.Insert(cell), model.insert({cell.row, cell.col}).second);
    }
  }
  EXPECT_EQ(set.Size(), model.size());
  size_t seen = 0;
  set.ForEach([&](const CCellID& cell) {
    EXPECT_EQ(model.count({cell.row, cell.col}), 1u);
    ++seen;
  });
  EXPECT_EQ(seen, model.size());
  for (int row = 0; row <= 300; ++row)
    for (int col = 0; col < 7; ++col) ASSERT_EQ(set.Contains(CCellID(row, col)), model.count({row, col}) == 1);
}

// Rows past 65,535 select and count on their own: no two cells share a key.
TEST(GridSelection, RowsPast65535SelectCorrectly) {
  CGridCtrl g(70000, 2, 1, 1);
  g.SelectRange(65537, 1, 65537, 1);
  EXPECT_TRUE(g.IsCellSelected(65537, 1));
  EXPECT_FALSE(g.IsCellSelected(1, 1));
  g.SetItemState(1, 1, g.GetItemState(1, 1) | CellSelected);
  EXPECT_EQ(g.GetSelectedCount(), 2);
  EXPECT_EQ(g.GetSelectionBounds(), CCellRange(1, 1, 65537, 1));
  g.SetItemState(65537, 1, 0);
  EXPECT_EQ(g.GetSelectedCount(), 1);
  EXPECT_TRUE(g.IsCellSelected(1, 1));
  g.SelectAllCells();
  EXPECT_EQ(g.GetSelectedCount(), 69999);
  EXPECT_EQ(g.GetSelectionBounds(), CCellRange(1, 1, 69999, 1));
}

TEST(GridSelection, NothingIsSelectedInTheFixedArea) {
  CGridCtrl g(8, 8, 1, 1);
  g.SelectRange(0, 0, 5, 5);
  EXPECT_EQ(g.GetSelectedCount(), 25);
  EXPECT_EQ(g.GetSelectionBounds(), CCellRange(1, 1, 5, 5));
  EXPECT_FALSE(g.IsCellSelected(0, 0));
  EXPECT_FALSE(g.GetCell(0, 3)->IsSelected());
  EXPECT_TRUE(g.GetCell(5, 5)->IsSelected());
}

TEST(GridSelection, ANewRangeReplacesTheOldOne) {
  CGridCtrl g(6, 6, 1, 1);
  g.SelectRange(1, 1, 4, 4);
  g.SelectRange(3, 3, 5, 5);
  EXPECT_EQ(g.GetSelectedCount(), 9);
  EXPECT_FALSE(g.GetCell(1, 1)->IsSelected());
  EXPECT_TRUE(g.GetCell(4, 4)->IsSelected());
  // Deselecting a rectangle leaves the rest selected.
  g.SelectRange(3, 3, 3, 5, false, false);
  EXPECT_EQ(g.GetSelectedCount(), 6);
  EXPECT_FALSE(g.IsCellSelected(3, 4));
  EXPECT_TRUE(g.IsCellSelected(4, 4));
}

TEST(GridSelection, EmptySelectionBoundsAreNotARange) {
  CGridCtrl g(4, 3, 1, 1);
  const CCellRange bounds = g.GetSelectionBounds();
  EXPECT_EQ(bounds, CCellRange(4, 3, -1, -1));
  EXPECT_FALSE(g.IsValidRange(bounds));
}

TEST(GridSelection, BadRangesSelectNothing) {
  CGridCtrl g(4, 3, 1, 1);
  for (CCellRange r : {CCellRange(1, 1, 4, 2), CCellRange(1, 1, 3, 3), CCellRange(3, 1, 2, 2),
                       CCellRange(-1, 1, 3, 2)}) {
    g.SelectRange(r);
    EXPECT_EQ(g.GetSelectedCount(), 0);
  }
}

TEST(GridSelection, DisabledSelectionSelectsNothing) {
  CGridCtrl g(4, 3, 1, 1);
  g.SetEnableSelection(false);
  g.SelectAllCells();
  g.SelectRange(1, 1, 2, 2);
  EXPECT_EQ(g.GetSelectedCount(), 0);
  EXPECT_FALSE(g.IsCellSelected(1, 1));
}

TEST(GridSelection, DestroyedCellsLeaveTheSelection) {
  CGridCtrl g(6, 3, 1, 1);
  g.SelectAllCells();
  g.SetRowCount(4);
  EXPECT_EQ(g.GetSelectedCount(), 6);
  g.SetColumnCount(2);
  EXPECT_EQ(g.GetSelectedCount(), 3);
}

TEST(GridFocus, FocusMovesOutOfTheFixedCellsAndCarriesTheBit) {
  CGridCtrl g(5, 5, 1, 1);
  EXPECT_EQ(g.SetFocusCell(0, 0), CCellID());
  EXPECT_EQ(g.GetFocusCell(), CCellID(1, 1));
  EXPECT_TRUE(g.GetCell(1, 1)->IsFocused());
  EXPECT_EQ(g.SetFocusCell(3, 2), CCellID(1, 1));
  EXPECT_FALSE(g.GetCell(1, 1)->IsFocused());
  EXPECT_TRUE(g.GetCell(3, 2)->IsFocused());
  EXPECT_EQ(g.SetFocusCell(3, 2), CCellID(3, 2));  // the same cell: nothing changes
  g.ClearSelection();
  EXPECT_EQ(g.GetFocusCell(), CCellID());
  EXPECT_FALSE(g.GetCell(3, 2)->IsFocused());
}

}  // namespace

namespace {

struct RangeCase {
  const char* what;
  CCellRange range;
  bool select;
  int count;  // selected afterwards, from rows 2..3 x columns 2..3 selected before
  CCellRange bounds;
};

TEST(GridSelection, SelectRangeTable) {
  const RangeCase cases[] = {
      {"into the fixed area", {0, 0, 1, 1}, true, 1, {1, 1, 1, 1}},
      {"a new rectangle replaces the old", {4, 4, 5, 5}, true, 4, {4, 4, 5, 5}},
      {"past the last row: nothing", {1, 1, 6, 1}, true, 0, {6, 6, -1, -1}},
      {"a negative bound: nothing", {-1, 1, 2, 2}, true, 0, {6, 6, -1, -1}},
      {"upside down: nothing", {3, 1, 2, 1}, true, 0, {6, 6, -1, -1}},
      {"deselecting a part", {2, 2, 2, 3}, false, 2, {3, 2, 3, 3}},
      {"deselecting outside", {4, 4, 5, 5}, false, 4, {2, 2, 3, 3}},
      {"deselecting a bad range changes nothing", {4, 4, 9, 9}, false, 4, {2, 2, 3, 3}},
  };
  for (const RangeCase& c : cases) {
    SCOPED_TRACE(c.what);
    CGridCtrl g(6, 6, 1, 1);
    g.SelectRange(2, 2, 3, 3);
    g.SelectRange(c.range, false, c.select);
    EXPECT_EQ(g.GetSelectedCount(), c.count);
    EXPECT_EQ(g.GetSelectionBounds(), c.bounds);
  }
}

TEST(GridSelection, RowsAndColumnsFromTheStartCell) {
  CGridCtrl g(6, 6, 1, 1);
  // No start cell: the rows or columns of the cell alone are not made up.
  g.SelectRows(CCellID(3, 0));
  EXPECT_EQ(g.GetSelectedCount(), 0);
  g.SetListMode(true);
  g.SetSingleRowSelect(true);
  g.SelectRows(CCellID(3, 0));  // a row heading cell selects its row
  EXPECT_EQ(g.GetSelectionBounds(), CCellRange(3, 1, 3, 5));
  g.SelectRows(CCellID(0, 2));  // a heading row: nothing
  EXPECT_EQ(g.GetSelectionBounds(), CCellRange(3, 1, 3, 5));
  g.SetSingleColumnSelect(true);
  g.SelectColumns(CCellID(0, 4));
  EXPECT_EQ(g.GetSelectionBounds(), CCellRange(1, 4, 5, 4));
  g.SelectColumns(CCellID(2, 0));  // a fixed column: nothing
  EXPECT_EQ(g.GetSelectionBounds(), CCellRange(1, 4, 5, 4));
  g.SelectCells(CCellID(0, 4));  // a heading: nothing
  EXPECT_EQ(g.GetSelectionBounds(), CCellRange(1, 4, 5, 4));
}

TEST(GridSelection, ListModeClearsSelectionFocusAndSortMark) {
  CGridCtrl g(6, 6, 1, 1);
  g.SelectAllCells();
  g.SetFocusCell(2, 2);
  g.SetSortColumn(3);
  g.SetListMode(true);
  EXPECT_TRUE(g.GetListMode());
  EXPECT_EQ(g.GetSelectedCount(), 0);
  EXPECT_EQ(g.GetFocusCell(), CCellID());
  EXPECT_EQ(g.GetSortColumn(), -1);
  EXPECT_FALSE(g.GetFixedRowSelection());
  EXPECT_FALSE(g.GetSingleRowSelect());
  g.SetSingleRowSelect(true);
  EXPECT_TRUE(g.GetSingleRowSelect());
  g.SetListMode(false);
  EXPECT_FALSE(g.GetSingleRowSelect());  // in force only in list mode
}

TEST(GridSelection, SelectAllBetweenItsNotifications) {
  zv::test::OwnedGrid g(6, 6, 1, 1, {20}, {30});
  g->SetFocusCell(2, 2);
  g->OnEditSelectAll();
  EXPECT_EQ(g.owner.Codes(), (std::vector<std::string>{"-100 -1,-1", "-101 2,2"}));
  EXPECT_EQ(g.owner.log[0].selected, 0);
  EXPECT_EQ(g.owner.log[1].selected, 25);
  g->ClearSelection();
  g->SetEnableSelection(false);
  EXPECT_FALSE(g->IsSelectable());
  g->OnEditSelectAll();
  EXPECT_EQ(g->GetSelectedCount(), 0);
}

}  // namespace
