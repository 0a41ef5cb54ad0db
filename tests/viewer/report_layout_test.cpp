// How the report's body rows fall into pages and where the closing block goes,
// from the heights alone.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "viewer/report_layout.h"

namespace {

using zv::PrintRange;
using zv::ReportPageMap;
using zv::ReportSpace;

// Rows of 36 (each moving 34 down); page 1's rows start at 1000, the others' at
// 200; rows may end at 2910 at most. Page 1 then holds (2910 - 1000) / 34 = 56
// rows, every later page (2910 - 200) / 34 = 79.
ReportSpace Space(int closingHeight) {
  ReportSpace s;
  s.firstRowsTop = 1000;
  s.rowsTop = 200;
  s.rowHeight = 36;
  s.limit = 2910;
  s.closingTop = 40;
  s.closingHeight = closingHeight;
  return s;
}

constexpr int kFixed = 2;  // the heading rows come first in the grid
constexpr int kPage1 = 56;
constexpr int kLater = 79;

TEST(ReportPageMap, RowsAndClosingBlockByTheRoomLeft) {
  struct Case {
    const char* what;
    int bodyRows;
    int closingHeight;
    std::vector<PrintRange> pages;  // rows of each page, as grid rows
    bool closingAlone;
    int closingTop;
  };
  const int end1 = kFixed + kPage1;
  const int end2 = end1 + kLater;
  const Case cases[] = {
      {"no body rows, block fits", 0, 300, {{2, 2}}, false, 1000},
      {"no body rows, block too tall for page 1", 0, 1911, {{2, 2}, {2, 2}}, true, 40},
      {"rows exactly fill page 1", kPage1, 0, {{2, end1}}, false, 1000 + kPage1 * 34},
      {"one row more", kPage1 + 1, 300, {{2, end1}, {end1, end1 + 1}}, false, 200 + 34},
      {"block fits below the last row to the unit", 10, 2910 - 1340, {{2, 12}}, false, 1340},
      {"block one unit too tall", 10, 2910 - 1340 + 1, {{2, 12}, {12, 12}}, true, 40},
      {"full pages then a block of its own", kPage1 + kLater, 100, {{2, end1}, {end1, end2}, {end2, end2}}, true, 40},
  };
  for (const Case& c : cases) {
    const ReportPageMap map(kFixed, kFixed + c.bodyRows, Space(c.closingHeight));
    ASSERT_EQ(map.PageCount(), static_cast<int>(c.pages.size())) << c.what;
    for (int page = 1; page <= map.PageCount(); ++page)
      EXPECT_EQ(map.Rows(page), c.pages[static_cast<size_t>(page - 1)]) << c.what << ", page " << page;
    EXPECT_EQ(map.IsClosingOnly(map.PageCount()), c.closingAlone) << c.what;
    EXPECT_EQ(map.ClosingTop(), c.closingTop) << c.what;
  }
}

// Every row on exactly one page, in order, for any row count; no page outside
// the count has rows.
TEST(ReportPageMap, EveryRowOnceAndInOrder) {
  for (int bodyRows : {0, 1, 55, 56, 57, 134, 135, 136, 500}) {
    const ReportPageMap map(kFixed, kFixed + bodyRows, Space(400));
    int next = kFixed;
    for (int page = 1; page <= map.PageCount(); ++page) {
      const PrintRange rows = map.Rows(page);
      EXPECT_EQ(rows.first, next) << bodyRows << " rows, page " << page;
      next = rows.end;
      // Only page 1 and the block's own page may go without a row.
      if (page > 1 && !map.IsClosingOnly(page)) {
        EXPECT_FALSE(rows.IsEmpty()) << bodyRows << " rows, page " << page;
      }
    }
    EXPECT_EQ(next, kFixed + bodyRows);
    EXPECT_TRUE(map.Rows(0).IsEmpty());
    EXPECT_TRUE(map.Rows(map.PageCount() + 1).IsEmpty());
  }
}

// A head that leaves no room on page 1 sends the rows on; headings taller than a
// page still let every later page take a row, so none is lost and the count ends.
TEST(ReportPageMap, NoRoomStillMovesOn) {
  ReportSpace head = Space(100);
  head.firstRowsTop = 2900;
  const ReportPageMap full(kFixed, kFixed + 3, head);
  ASSERT_EQ(full.PageCount(), 2);
  EXPECT_TRUE(full.Rows(1).IsEmpty());
  EXPECT_EQ(full.Rows(2), (PrintRange{2, 5}));

  ReportSpace tall = Space(100);
  tall.firstRowsTop = 2950;
  tall.rowsTop = 2950;
  const ReportPageMap cramped(kFixed, kFixed + 3, tall);
  ASSERT_EQ(cramped.PageCount(), 5);  // page 1 empty, a row on each of 2..4, the block alone
  for (int page = 2; page <= 4; ++page) EXPECT_EQ(cramped.Rows(page), (PrintRange{page, page + 1}));
  EXPECT_TRUE(cramped.IsClosingOnly(5));
}

// A row whose bottom lands exactly on the limit stays on its page; one unit
// less room sends it to the next.
TEST(ReportPageMap, ARowEndingOnTheLimitStaysOnItsPage) {
  for (const auto& [limit, page1] : {std::pair{1000 + 20 * 34, 20}, std::pair{1000 + 20 * 34 - 1, 19}}) {
    ReportSpace space = Space(0);
    space.limit = limit;
    const ReportPageMap map(kFixed, kFixed + 21, space);
    ASSERT_EQ(map.PageCount(), 2) << limit;
    EXPECT_EQ(map.Rows(1), (PrintRange{kFixed, kFixed + page1})) << limit;
    EXPECT_EQ(map.Rows(2), (PrintRange{kFixed + page1, kFixed + 21})) << limit;
  }
}

}  // namespace
