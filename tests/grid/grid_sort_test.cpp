// Sorting: the text order, the order equal keys come out in, heading clicks, what
// travels with a row, a range too small to sort, the caller's compare function,
// and an input made to drive the partitioning to its worst.

#include <algorithm>
#include <cstdint>
#include <gtest/gtest.h>
#include <vector>

#include "grid/grid_ctrl.h"
#include "platform/cp1251.h"
#include "tests/grid/grid_test_support.h"

namespace {

using zv::test::CellCentre;
using zv::test::Click;
using zv::test::OwnedGrid;

// One fixed row and column; the data rows get the texts of column 1.
struct SortGrid : OwnedGrid {
  explicit SortGrid(const std::vector<std::string>& texts)
      : OwnedGrid(static_cast<int>(texts.size()) + 1, 3, 1, 1, {20}, {50}, QSize(400, 300)) {
    for (size_t i = 0; i < texts.size(); ++i) {
      const int row = static_cast<int>(i) + 1;
      grid->SetItemText(row, 1, texts[i]);
      grid->SetItemData(row, 1, row);
    }
  }
  std::vector<std::string> Texts(int col = 1) const {
    std::vector<std::string> texts;
    for (int row = 1; row < grid->GetRowCount(); ++row) texts.push_back(grid->GetItemText(row, col));
    return texts;
  }
  std::vector<LPARAM> Data() const {
    std::vector<LPARAM> data;
    for (int row = 1; row < grid->GetRowCount(); ++row) data.push_back(grid->GetItemData(row, 1));
    return data;
  }
};

TEST(GridSort, TextsCompareByteByByte) {
  SortGrid g({"10", "9", "", "b", "B", "a"});
  EXPECT_TRUE(g->SortItems(1, true));
  // Numbers compare as text, capitals before small letters.
  EXPECT_EQ(g.Texts(), (std::vector<std::string>{"", "10", "9", "B", "a", "b"}));
  EXPECT_TRUE(g->SortItems(1, false));
  EXPECT_EQ(g.Texts(), (std::vector<std::string>{"b", "a", "B", "9", "10", ""}));
  // Windows-1251 bytes above 127 come after ASCII.
  SortGrid cyr({zv::W1251("я"), "z", zv::W1251("а")});
  cyr->SortItems(1, true);
  EXPECT_EQ(cyr.Texts(), (std::vector<std::string>{"z", zv::W1251("а"), zv::W1251("я")}));
}

TEST(GridSort, EqualKeysComeOutInThePartitioningsOrder) {
  // b1 a2 b3 a4 (item data 1 to 4): the pivot is a2; b1 and a4 change places, and
  // nothing else moves. A stable sort would give 2 4 1 3.
  SortGrid g({"b", "a", "b", "a"});
  g->SortItems(1, true);
  EXPECT_EQ(g.Texts(), (std::vector<std::string>{"a", "a", "b", "b"}));
  EXPECT_EQ(g.Data(), (std::vector<LPARAM>{4, 2, 3, 1}));

  SortGrid d({"b", "a", "b", "a"});
  d->SortItems(1, false);
  EXPECT_EQ(d.Data(), (std::vector<LPARAM>{1, 3, 2, 4}));
}

TEST(GridSort, HeadingClicksSortAscendingThenDescending) {
  SortGrid g({"b", "c", "a"});
  for (int row = 1; row <= 3; ++row) g->SetItemText(row, 2, std::string(1, static_cast<char>('z' - row)));  // y x w
  g->SetSortOnClick(true);
  g->SetFocusCell(2, 2);
  Click(*g, CellCentre(*g, 0, 1));
  EXPECT_EQ(g->GetSortColumn(), 1);
  EXPECT_TRUE(g->GetSortAscending());
  EXPECT_EQ(g.Texts(), (std::vector<std::string>{"a", "b", "c"}));
  Click(*g, CellCentre(*g, 0, 1));
  EXPECT_FALSE(g->GetSortAscending());
  EXPECT_EQ(g.Texts(), (std::vector<std::string>{"c", "b", "a"}));
  Click(*g, CellCentre(*g, 0, 1));
  EXPECT_TRUE(g->GetSortAscending());
  EXPECT_EQ(g.Texts(), (std::vector<std::string>{"a", "b", "c"}));
  // Another column sorts ascending, whatever the order was.
  Click(*g, CellCentre(*g, 0, 1));
  Click(*g, CellCentre(*g, 0, 2));
  EXPECT_EQ(g->GetSortColumn(), 2);
  EXPECT_TRUE(g->GetSortAscending());
  EXPECT_EQ(g.Texts(2), (std::vector<std::string>{"w", "x", "y"}));
  EXPECT_EQ(g.Texts(1), (std::vector<std::string>{"a", "c", "b"}));
  // The sorted column is selected as a heading click selects it.
  EXPECT_TRUE(g->IsCellSelected(1, 2));
  EXPECT_TRUE(g->IsCellSelected(3, 2));
  EXPECT_FALSE(g->IsCellSelected(1, 1));
}

TEST(GridSort, WithoutSortOnClickAHeadingOnlySelects) {
  SortGrid g({"b", "a"});
  Click(*g, CellCentre(*g, 0, 1));
  EXPECT_EQ(g->GetSortColumn(), -1);
  EXPECT_EQ(g.Texts(), (std::vector<std::string>{"b", "a"}));
}

TEST(GridSort, WholeRowsTravel) {
  SortGrid g({"c", "a", "b"});
  for (int row = 1; row <= 3; ++row) {
    g->SetRowHeight(row, 10 * row);
    g->SetItemText(row, 0, "h" + std::to_string(row));
    g->SetItemText(row, 2, "o" + std::to_string(row));
    g->SetItemBackColour(row, 2, RGB(row, 0, 0));
  }
  ASSERT_TRUE(g->SortItems(1, true));
  EXPECT_EQ(g.Texts(1), (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(g.Texts(0), (std::vector<std::string>{"h2", "h3", "h1"}));
  EXPECT_EQ(g.Texts(2), (std::vector<std::string>{"o2", "o3", "o1"}));
  EXPECT_EQ(g.Data(), (std::vector<LPARAM>{2, 3, 1}));
  EXPECT_EQ(g->GetRowHeight(1), 20);
  EXPECT_EQ(g->GetRowHeight(2), 30);
  EXPECT_EQ(g->GetRowHeight(3), 10);
  EXPECT_EQ(g->GetCell(3, 2)->GetBackColour(), RGB(1, 0, 0));
  // The heading row stays where it is.
  EXPECT_EQ(g->GetRowHeight(0), 20);
}

TEST(GridSort, TooFewRowsSortNothingButStillSetTheOrder) {
  SortGrid g({"only"});
  g->SelectRange(1, 1, 1, 2);
  g->SetFocusCell(1, 1);
  EXPECT_FALSE(g->SortItems(1, false));
  EXPECT_EQ(g->GetSortColumn(), 1);
  EXPECT_FALSE(g->GetSortAscending());
  EXPECT_EQ(g->GetSelectedCount(), 0);
  EXPECT_EQ(g->GetFocusCell(), CCellID(-1, -1));
  EXPECT_FALSE(g->SortItems(7, true));  // no such column
  SortGrid two({"b", "a"});
  EXPECT_FALSE(two->SortRowRange(&CGridCtrl::CompareCellText, 1, true, 0, 2, 2));
  EXPECT_FALSE(two->SortRowRange(&CGridCtrl::CompareCellText, 1, true, 0, 2, 1));
  EXPECT_EQ(two.Texts(), (std::vector<std::string>{"b", "a"}));
  EXPECT_TRUE(two->SortRowRange(&CGridCtrl::CompareCellText, 1, true, 0, 1, -1));
  EXPECT_EQ(two.Texts(), (std::vector<std::string>{"a", "b"}));
}

// Numbers by value, in the direction the caller's value gives.
int CompareNumbers(LPARAM a, LPARAM b, LPARAM direction) {
  const int x = std::stoi(reinterpret_cast<const CGridCellBase*>(a)->GetText());
  const int y = std::stoi(reinterpret_cast<const CGridCellBase*>(b)->GetText());
  return static_cast<int>(direction) * (x < y ? -1 : x > y ? 1 : 0);
}

TEST(GridSort, TheCallersCompareFunctionAndValue) {
  SortGrid g({"10", "9", "100"});
  g->SortItems(&CompareNumbers, 1, true, 1);
  EXPECT_EQ(g.Texts(), (std::vector<std::string>{"9", "10", "100"}));
  g->SortItems(&CompareNumbers, 1, true, -1);
  EXPECT_EQ(g.Texts(), (std::vector<std::string>{"100", "10", "9"}));
  // The grid's own function serves heading clicks and the short form.
  g->SetCompareFunction(&CompareNumbers);
  g->SortItems(1, false, 1);
  EXPECT_EQ(g.Texts(), (std::vector<std::string>{"100", "10", "9"}));
}

// A compare function that makes up the values of the rows as the sort asks about
// them, so that every pivot turns out to be the smallest value left (McIlroy's
// adversary): each partition then takes off one row. It also notes how deep in
// the stack it was called.
struct Adversary {
  static constexpr int kGas = 1 << 30;
  std::vector<int> value;  // by item data
  int solid = 0;
  int candidate = 0;
  std::uintptr_t lowestFrame = UINTPTR_MAX;
  long calls = 0;

  explicit Adversary(int rows) : value(static_cast<size_t>(rows) + 1, kGas) {}
  int Compare(int x, int y) {
    ++calls;
    lowestFrame = std::min(lowestFrame, reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0)));
    int& vx = value[static_cast<size_t>(x)];
    int& vy = value[static_cast<size_t>(y)];
    if (vx == kGas && vy == kGas) (x == candidate ? vx : vy) = solid++;
    if (vx == kGas) candidate = x;
    else if (vy == kGas) candidate = y;
    return vx < vy ? -1 : vx > vy ? 1 : 0;
  }
  static int Callback(LPARAM a, LPARAM b, LPARAM self) {
    auto* adversary = reinterpret_cast<Adversary*>(self);
    return adversary->Compare(static_cast<int>(reinterpret_cast<const CGridCellBase*>(a)->GetData()),
                              static_cast<int>(reinterpret_cast<const CGridCellBase*>(b)->GetData()));
  }
};

TEST(GridSort, TheWorstInputNeedsNoDeeperStack) {
  // Sorted descending, each partition leaves all but one row in its first part; a
  // sort that went into that part by recursion would go thousands of calls deep.
  const int rows = 3000;
  OwnedGrid g(rows + 1, 2, 1, 1, {20}, {50});
  for (int row = 1; row <= rows; ++row) g->SetItemData(row, 1, row);
  Adversary adversary(rows);
  const auto base = reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0));
  ASSERT_TRUE(g->SortItems(&Adversary::Callback, 1, false, reinterpret_cast<LPARAM>(&adversary)));
  // The input was as bad as meant: far more comparisons than n log n.
  EXPECT_GT(adversary.calls, static_cast<long>(rows) * rows / 4);
  EXPECT_LT(base - adversary.lowestFrame, 16u * 1024u);
  // And the rows are in the order the values were given.
  for (int row = 2; row <= rows; ++row) {
    const int above = adversary.value[static_cast<size_t>(g->GetItemData(row - 1, 1))];
    const int here = adversary.value[static_cast<size_t>(g->GetItemData(row, 1))];
    ASSERT_GE(above, here) << "row " << row;
  }
}

}  // namespace
