// Item access: SetItem with masks, texts and data, states, the modified marks, the
// sort mark's removal, lookup by item data and answers outside the grid.

#include <gtest/gtest.h>
#include <string>

#include "grid/grid_ctrl.h"

namespace {

TEST(GridItems, SetItemMaskTable) {
  struct Case {
    UINT mask;
    bool text, data, image, format, back, fore, font, margin;
  };
  const Case cases[] = {
      {ItemText | ItemFormat, true, false, false, true, false, false, false, false},  // the views' 0x41
      {ItemData | ItemImage, false, true, true, false, false, false, false, false},
      {ItemBackClr | ItemTextClr, false, false, false, false, true, true, false, false},
      {ItemFont | ItemMargin, false, false, false, false, false, false, true, true},
      {0, false, false, false, false, false, false, false, false},
  };
  for (const Case& c : cases) {
    CGridCtrl g(3, 3, 1, 0);
    const UINT format = g.GetCell(1, 1)->GetFormat();
    GridItem item;
    item.row = 1;
    item.col = 1;
    item.mask = c.mask;
    item.strText = "text";
    item.lParam = 99;
    item.iImage = 4;
    item.nFormat = DT_CENTER | DT_VCENTER;
    item.crBkClr = RGB(1, 2, 3);
    item.crFgClr = RGB(4, 5, 6);
    item.lfFont.lfHeight = -31;
    item.nMargin = 9;
    ASSERT_TRUE(g.SetItem(&item)) << c.mask;
    const CGridCellBase* cell = g.GetCell(1, 1);
    EXPECT_EQ(cell->GetText() == "text", c.text) << c.mask;
    EXPECT_EQ(cell->GetData() == 99, c.data) << c.mask;
    EXPECT_EQ(cell->GetImage() == 4, c.image) << c.mask;
    EXPECT_EQ(cell->GetFormat(), c.format ? static_cast<UINT>(DT_CENTER | DT_VCENTER) : format) << c.mask;
    EXPECT_EQ(cell->GetBackColour() == RGB(1, 2, 3), c.back) << c.mask;
    EXPECT_EQ(cell->GetTextColour() == RGB(4, 5, 6), c.fore) << c.mask;
    EXPECT_EQ(!cell->IsDefaultFont(), c.font) << c.mask;
    EXPECT_EQ(cell->GetMargin() == 9, c.margin) << c.mask;
    // Every SetItem marks the cell modified.
    EXPECT_TRUE(cell->IsModified()) << c.mask;
  }
}

TEST(GridItems, SetItemStateGoesThroughTheSelection) {
  CGridCtrl g(3, 3, 1, 1);
  GridItem item;
  item.row = 2;
  item.col = 2;
  item.mask = ItemState;
  item.nState = CellSelected | CellReadOnly;
  ASSERT_TRUE(g.SetItem(&item));
  EXPECT_EQ(g.GetItemState(2, 2), static_cast<UINT>(CellSelected | CellReadOnly));
  EXPECT_EQ(g.GetSelectedCount(), 1);
  EXPECT_TRUE(g.IsCellSelected(2, 2));
}

TEST(GridItems, GetItemReadsWhatTheMaskNames) {
  CGridCtrl g(2, 2);
  g.SetItemText(1, 1, "abc");
  g.SetItemBackColour(1, 1, RGB(7, 7, 7));
  GridItem item;
  item.row = 1;
  item.col = 1;
  item.mask = ItemText | ItemBackClr | ItemFormat;
  ASSERT_TRUE(g.GetItem(&item));
  EXPECT_EQ(item.strText, "abc");
  EXPECT_EQ(item.crBkClr, RGB(7, 7, 7));
  EXPECT_EQ(item.nFormat, g.GetDefaultCell(false, false)->GetFormat());
  EXPECT_EQ(item.crFgClr, CLR_DEFAULT);  // not asked for: untouched
  item.row = 5;
  EXPECT_FALSE(g.GetItem(&item));
}

TEST(GridItems, TextAndDataMarkTheCellModified) {
  CGridCtrl g(3, 3);
  g.SetModified(false);
  EXPECT_FALSE(g.GetModified());
  ASSERT_TRUE(g.SetItemText(1, 2, "x"));
  EXPECT_TRUE(g.GetModified());
  EXPECT_TRUE(g.GetCell(1, 2)->IsModified());
  ASSERT_TRUE(g.SetItemData(2, 2, 5));
  EXPECT_EQ(g.GetItemData(2, 2), 5);
  EXPECT_TRUE(g.GetCell(2, 2)->IsModified());
  // The colour setters do not.
  ASSERT_TRUE(g.SetItemBackColour(0, 0, RGB(1, 1, 1)));
  EXPECT_FALSE(g.GetCell(0, 0)->IsModified());
}

TEST(GridItems, ClearingTheGridsModifiedFlagClearsEveryCell) {
  CGridCtrl g(4, 4);
  for (int row = 0; row < 4; ++row) g.SetItemText(row, row, "m");
  g.SetModified(false);
  for (int row = 0; row < 4; ++row)
    for (int col = 0; col < 4; ++col) EXPECT_FALSE(g.GetCell(row, col)->IsModified());
  // One cell marked unmodified while the grid is not modified: all stay clear.
  g.SetModified(true, 1, 1);
  EXPECT_TRUE(g.GetModified());
  g.SetModified(false, 1, 1);
  EXPECT_FALSE(g.GetCell(1, 1)->IsModified());
}

TEST(GridItems, ChangesToTheSortColumnRemoveTheSortMark) {
  CGridCtrl g(3, 3, 1, 0);
  g.SetSortColumn(1);
  g.SetItemText(2, 2, "other column");
  EXPECT_EQ(g.GetSortColumn(), 1);
  g.SetItemText(2, 1, "sort column");
  EXPECT_EQ(g.GetSortColumn(), -1);
  g.SetSortColumn(2);
  g.SetModified(true);  // the grid as a whole
  EXPECT_EQ(g.GetSortColumn(), -1);
  g.SetSortColumn(0);
  g.InsertRow("r");  // a structural change marks the whole grid
  EXPECT_EQ(g.GetSortColumn(), -1);
}

TEST(GridItems, FindRowByItemData) {
  CGridCtrl g(5, 2, 1, 0);
  g.SetItemData(3, 0, 1234);
  g.SetItemData(4, 0, 1234);
  g.SetItemData(2, 1, 555);  // column 1 does not count
  EXPECT_EQ(g.FindRowByItemData(1234), 3);
  EXPECT_EQ(g.FindRowByItemData(555), 0);
  EXPECT_EQ(g.FindRowByItemData(777), 0);  // none: the heading row's index
  g.SetItemData(0, 0, 42);
  EXPECT_EQ(g.FindRowByItemData(42), 0);
}

TEST(GridItems, AnswersOutsideTheGrid) {
  CGridCtrl g(2, 2);
  for (CCellID cell : {CCellID(-1, 0), CCellID(0, -1), CCellID(2, 0), CCellID(0, 2)}) {
    EXPECT_EQ(g.GetCell(cell.row, cell.col), nullptr);
    EXPECT_FALSE(g.SetItemText(cell.row, cell.col, "x"));
    EXPECT_EQ(g.GetItemText(cell.row, cell.col), "");
    EXPECT_FALSE(g.SetItemData(cell.row, cell.col, 1));
    EXPECT_EQ(g.GetItemData(cell.row, cell.col), 0);
    EXPECT_FALSE(g.SetItemState(cell.row, cell.col, CellSelected));
    EXPECT_EQ(g.GetItemState(cell.row, cell.col), 0u);
    EXPECT_FALSE(g.SetItemBackColour(cell.row, cell.col, 0));
    EXPECT_EQ(g.GetTextExtent(cell.row, cell.col, "abc"), CSize(0, 0));
    EXPECT_FALSE(g.SetCell(cell.row, cell.col, nullptr));
  }
  // Setting the selected bit outside the grid selects nothing.
  EXPECT_EQ(g.GetSelectedCount(), 0);
  GridItem item;
  item.row = 9;
  EXPECT_FALSE(g.SetItem(&item));
  EXPECT_FALSE(g.SetItem(nullptr));
}

TEST(GridItems, ValidityOfCellsAndRanges) {
  CGridCtrl g(3, 4);
  EXPECT_TRUE(g.IsValid(2, 3));
  EXPECT_FALSE(g.IsValid(3, 3));
  EXPECT_TRUE(g.IsValidRange(CCellRange(0, 0, 2, 3)));
  EXPECT_FALSE(g.IsValidRange(CCellRange(0, 0, 3, 3)));
  EXPECT_FALSE(g.IsValidRange(CCellRange(1, 0, 0, 3)));
  EXPECT_FALSE(g.IsValidRange(CCellRange()));
}

TEST(GridItems, SetCellStoresWithoutDeletingTheOldOne) {
  CGridCtrl g(2, 2);
  CGridCellBase* old = g.GetCell(1, 1);
  auto* replacement = new CGridCell;
  replacement->SetGrid(&g);
  replacement->SetText("new");
  ASSERT_TRUE(g.SetCell(1, 1, replacement));
  EXPECT_EQ(g.GetItemText(1, 1), "new");
  old->SetText("still alive");
  EXPECT_EQ(old->GetText(), "still alive");
  delete old;
}

}  // namespace
