// How a printed table falls into pages: bands of rows, slices of columns, and the
// order of the pages, from sizes alone.

#include "grid/print_layout.h"

#include <gtest/gtest.h>

#include <ostream>
#include <vector>

namespace zv {

std::ostream& operator<<(std::ostream& out, const PrintRange& r) {
  return out << "[" << r.first << "," << r.end << ")";
}
std::ostream& operator<<(std::ostream& out, const PrintPage& p) {
  return out << "rows " << p.rows << " cols " << p.cols;
}

}  // namespace zv

namespace {

using zv::PrintLayout;
using zv::PrintPage;
using zv::PrintRange;

struct BandCase {
  const char* name;
  std::vector<int> heights;  // the first one is the fixed row
  int pageHeight;
  std::vector<PrintRange> bands;
};

void PrintTo(const BandCase& c, std::ostream* out) { *out << c.name; }

class PrintBands : public testing::TestWithParam<BandCase> {};

TEST_P(PrintBands, RowsFallIntoBands) {
  const BandCase& c = GetParam();
  const PrintLayout layout(c.heights, 1, {50, 50}, 1, c.pageHeight, 100, false);
  EXPECT_EQ(layout.Bands(), c.bands);
  EXPECT_EQ(layout.PageCount(), static_cast<int>(c.bands.size()));
  // Every body row lies on exactly one page, in order, and no page is empty.
  int next = 1;
  for (int page = 1; page <= layout.PageCount(); ++page) {
    const PrintRange rows = layout.Page(page).rows;
    EXPECT_EQ(rows.first, next) << "page " << page;
    if (static_cast<int>(c.heights.size()) > 1) {
      EXPECT_FALSE(rows.IsEmpty()) << "page " << page;
    }
    next = rows.end;
  }
  EXPECT_EQ(next, static_cast<int>(c.heights.size()));
}

INSTANTIATE_TEST_SUITE_P(
    Table, PrintBands,
    testing::Values(BandCase{"RowsExactlyFillThePage", {20, 50, 50}, 100, {{1, 3}}},
                    BandCase{"OneUnitOverOpensTheNextPage", {20, 50, 51}, 100, {{1, 2}, {2, 3}}},
                    BandCase{"ExactFillThenMore", {20, 40, 60, 30, 70, 1}, 100, {{1, 3}, {3, 5}, {5, 6}}},
                    BandCase{"TallRowStandsAlone", {20, 40, 150, 40}, 100, {{1, 2}, {2, 3}, {3, 4}}},
                    BandCase{"TallRowFirstLeavesNoBlankPage", {20, 150, 40}, 100, {{1, 2}, {2, 3}}},
                    BandCase{"TwoTallRows", {20, 150, 101}, 100, {{1, 2}, {2, 3}}},
                    BandCase{"HiddenRowsTakeNoRoom", {20, 60, 0, 0, 40, 0, 10}, 100, {{1, 6}, {6, 7}}},
                    BandCase{"HiddenRowsAroundATallOne", {20, 0, 150, 0}, 100, {{1, 4}}},
                    BandCase{"OnlyHiddenBodyRows", {20, 0, 0}, 100, {{1, 3}}},
                    BandCase{"NoBodyRows", {20}, 100, {{1, 1}}},
                    BandCase{"NoRoomAtAll", {20, 5, 5}, 0, {{1, 2}, {2, 3}}}),
    [](const testing::TestParamInfo<BandCase>& info) { return std::string(info.param.name); });

TEST(PrintLayout, TwoColumnSlicesRunAcrossFirst) {
  // Body rows 1-2 fit one page, row 3 the next; columns 1-2 fit one width, 3-4 the next.
  const PrintLayout layout({20, 60, 60, 60}, 1, {30, 50, 50, 60, 0}, 1, 130, 100, true);
  EXPECT_EQ(layout.PagesDown(), 2);
  EXPECT_EQ(layout.PagesAcross(), 2);
  ASSERT_EQ(layout.PageCount(), 4);
  EXPECT_EQ(layout.Page(1), (PrintPage{{1, 3}, {1, 3}}));
  EXPECT_EQ(layout.Page(2), (PrintPage{{1, 3}, {3, 5}}));
  EXPECT_EQ(layout.Page(3), (PrintPage{{3, 4}, {1, 3}}));
  EXPECT_EQ(layout.Page(4), (PrintPage{{3, 4}, {3, 5}}));
}

TEST(PrintLayout, WithoutSplittingEveryPageHoldsAllColumns) {
  const PrintLayout layout({20, 60, 60}, 1, {30, 80, 80, 80}, 1, 100, 100, false);
  EXPECT_EQ(layout.PagesAcross(), 1);
  EXPECT_EQ(layout.PageCount(), 2);
  EXPECT_EQ(layout.Page(2), (PrintPage{{2, 3}, {1, 4}}));
}

TEST(PrintLayout, ColumnWiderThanThePageStandsAlone) {
  const PrintLayout layout({20, 10}, 1, {30, 40, 250, 40}, 1, 100, 100, true);
  EXPECT_EQ(layout.Slices(), (std::vector<PrintRange>{{1, 2}, {2, 3}, {3, 4}}));
}

TEST(PrintLayout, PagesOutsideTheCountHaveNoRows) {
  const PrintLayout layout({20, 60, 60}, 1, {30, 50}, 1, 100, 100, true);
  ASSERT_EQ(layout.PageCount(), 2);
  for (int page : {0, -1, 3}) {
    EXPECT_EQ(layout.Page(page).rows, (PrintRange{3, 3})) << page;
    EXPECT_EQ(layout.Page(page).cols, (PrintRange{1, 2})) << page;
  }
}

TEST(PrintLayout, NoColumnsBeyondTheFixedOnes) {
  const PrintLayout layout({20, 10}, 1, {30}, 1, 100, 100, true);
  EXPECT_EQ(layout.PagesAcross(), 1);
  EXPECT_EQ(layout.Page(1), (PrintPage{{1, 2}, {1, 1}}));
}

}  // namespace
