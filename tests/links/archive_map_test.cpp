#include "links/archive_map.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <set>
#include <string>
#include <vector>

#include "tests/sim/archive_layout.h"

namespace {

using zv::kArchiveDaily;
using zv::kArchiveHourly;
using zv::sim::ArchiveLayout;

constexpr int kMonthly = 4;

DateStamp Day(int y, int m, int d, int h = 0) { return DateStamp(y, m, d, h, 0, 0); }

std::vector<int> Addresses(const zv::BlockList& list) {
  std::vector<int> out;
  for (int i = 0; i < list.size(); ++i) out.push_back(list[i].address);
  return out;
}

// first + k * step for k = 0 .. n - 1.
std::vector<int> Steps(int first, int n, int step) {
  std::vector<int> out;
  for (int k = 0; k < n; ++k) out.push_back(first + k * step);
  return out;
}

std::vector<int> Join(std::initializer_list<std::vector<int>> parts) {
  std::vector<int> out;
  for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

std::vector<int> List(int link, int family, int model, const DateStamp& last, const DateStamp& target) {
  zv::BlockList list;
  EXPECT_TRUE(zv::BuildBlockList(link, family, model, last, target, list));
  return Addresses(list);
}

struct AddressCase {
  int family;
  int model;
  DateStamp stamp;
  int level;
  int address;
};

TEST(ArchiveAddress, RecordAddressesOfEveryFamilyAndModel) {
  const AddressCase cases[] = {
      // Family 2: odd months in the first half of each ring, even months in the second.
      {2, 2, Day(2024, 3, 10), kArchiveDaily, 1530},
      {2, 2, Day(2024, 3, 12), kArchiveDaily, 1670},
      {2, 2, Day(2024, 4, 30), kArchiveDaily, 5100},
      {2, 2, Day(2024, 5, 2), kArchiveDaily, 970},
      {2, 2, Day(2024, 3, 10, 0), kArchiveHourly, 13076},
      {2, 2, Day(2024, 3, 12, 14), kArchiveHourly, 15308},
      {2, 2, Day(2024, 12, 31, 23), kArchiveHourly, 30 * 864 + 23 * 36 + 32084},
      {2, 2, Day(2024, 3, 1), kMonthly, 258},
      {2, 7, Day(2024, 3, 10), kArchiveDaily, 1530},  // any model of family 2
      // Family 1 model 1: the 47 day slots of the hourly ring.
      {1, 1, Day(2024, 2, 20, 5), kArchiveHourly, 4818},
      {1, 1, Day(2024, 1, 1, 0), kArchiveHourly, 2816},
      {1, 1, Day(2024, 2, 16, 0), kArchiveHourly, 2816 + 46 * 624},
      {1, 1, Day(2024, 2, 17, 1), kArchiveHourly, 2816 + 26},
      {1, 1, Day(2024, 3, 1, 0), kArchiveHourly, 2816 + 15 * 624},
      {1, 1, Day(2024, 12, 31, 2), kArchiveHourly, 2816 + 45 * 624 + 52},
      {1, 1, Day(2024, 13, 5, 7), kArchiveHourly, 2816},
      {1, 1, Day(2024, 1, 1), kArchiveDaily, 512},
      {1, 1, Day(2024, 2, 1), kArchiveDaily, 1628},
      {1, 1, Day(2024, 12, 1), kMonthly, 419},
      // Family 1 model 3: six months of daily areas, a two-month hourly ring.
      {1, 3, Day(2024, 2, 5), kArchiveDaily, 4960},
      {1, 3, Day(2024, 7, 1), kArchiveDaily, 3000},
      {1, 3, Day(2024, 12, 31), kArchiveDaily, 13360},
      {1, 3, Day(2024, 3, 2, 10), kArchiveHourly, 14452},
      {1, 3, Day(2024, 6, 30, 23), kArchiveHourly, 54464},
      {1, 3, Day(2024, 13, 1, 0), kArchiveDaily, 0},
      {1, 3, Day(2024, 0, 1, 0), kArchiveHourly, 0},
      {1, 3, Day(2014, 1, 1), kMonthly, 300},
      {1, 3, Day(2015, 2, 1), kMonthly, 1262},
      {1, 3, Day(2016, 12, 1), kMonthly, 2890},
      {1, 3, Day(2017, 1, 1), kMonthly, 300},
      {1, 3, Day(2013, 5, 1), kMonthly, 0},
      {1, 3, Day(2011, 5, 1), kMonthly, 0},
      // Family 1 model 4.
      {1, 4, Day(2024, 8, 3), kArchiveDaily, 4914},
      {1, 4, Day(2024, 6, 1), kArchiveDaily, 11990},
      {1, 4, Day(2024, 1, 1, 0), kArchiveHourly, 14000},
      {1, 4, Day(2024, 4, 2, 1), kArchiveHourly, 37070},
      {1, 4, Day(2024, 4, 2, 1), kMonthly, 3 * 74 + 1188},
      // Family 1 without a map.
      {1, 2, Day(2024, 3, 10, 5), kArchiveDaily, 0},
      {1, 5, Day(2024, 3, 10, 5), kArchiveHourly, 0},
  };
  for (const AddressCase& c : cases) {
    EXPECT_EQ(zv::ArchiveAddress(c.family, c.model, c.stamp, c.level), c.address)
        << "family " << c.family << " model " << c.model << " " << c.stamp.Format(true) << " level "
        << c.level;
  }
}

// Every daily and hourly record of a leap year and a common year sits where the
// tests' own layout of the rings puts it.
TEST(ArchiveAddress, AgreesWithTheLayoutOfTheRings) {
  for (const auto& [family, model] : {std::pair{2, 2}, {2, 9}, {1, 1}, {1, 3}, {1, 4}}) {
    const ArchiveLayout layout = *ArchiveLayout::For(family, model);
    for (const DateStamp& hour : zv::sim::HoursBetween(Day(2023, 1, 1), Day(2024, 12, 31, 23))) {
      ASSERT_EQ(zv::ArchiveAddress(family, model, hour, kArchiveHourly), layout.Hourly(hour).address)
          << family << "/" << model << " " << hour.Format(true);
      DateStamp day = hour;
      day.SetHour(0);
      ASSERT_EQ(zv::ArchiveAddress(family, model, day, kArchiveDaily), layout.Daily(day).address)
          << family << "/" << model << " " << day.Format(false);
      const zv::ArchiveRegion& region = *zv::ArchiveRegionOf(family, model);
      ASSERT_GE(layout.Hourly(hour).address, region.hourly_start);
      ASSERT_LE(layout.Hourly(hour).address + region.hourly_record, region.hourly_end);
      ASSERT_GE(layout.Daily(day).address, region.daily_start);
      ASSERT_LE(layout.Daily(day).address + region.daily_record, region.daily_end);
    }
  }
}

TEST(BlockList, MarchOverGsm) {
  const std::vector<int> expected = Join({{1530}, Steps(13076, 9, 255)});
  EXPECT_EQ(List(zv::kLinkGsm, 2, 2, Day(2024, 3, 10), Day(2024, 3, 12, 14)), expected);
  // The last record's hour does not count: the list starts at hour 0 of its day.
  EXPECT_EQ(List(zv::kLinkGsm, 2, 2, Day(2024, 3, 10, 17), Day(2024, 3, 12, 14)), expected);
  EXPECT_EQ(List(zv::kLinkTcp, 2, 2, Day(2024, 3, 10), Day(2024, 3, 12, 14)), expected);
}

TEST(BlockList, AprilToMayWrapsBothRings) {
  // Daily: 30 April lies at 5100 (even months), 2 May at 970 (odd months): the
  // run from the ring's start up to 2 May's end, then 30 April up to the ring's end.
  // Hourly likewise: 5300 up to 2 May 10:00 + 36 = 6560, then 57140 up to 58868.
  const std::vector<int> expected = Join({{900}, {5100}, Steps(5300, 5, 255), Steps(57140, 7, 255)});
  EXPECT_EQ(List(zv::kLinkGsm, 2, 2, Day(2024, 4, 30), Day(2024, 5, 2, 10)), expected);
}

TEST(BlockList, SameHourSpanOverPstnStepsBy128) {
  // 10 March 00:00 to 10 March 03:00: one daily record (70 bytes), four hourly (144).
  EXPECT_EQ(List(zv::kLinkPstn, 2, 2, Day(2024, 3, 10), Day(2024, 3, 10, 3)),
            Join({{1530}, Steps(13076, 2, 128)}));
}

struct WholeAreaCase {
  int family;
  int model;
  int link;
  int archive_items;
  int extra_start;  // 0: none
};

TEST(BlockList, WholeAreaWhenTheLastRecordReachesTheWindow) {
  const WholeAreaCase cases[] = {
      {2, 2, zv::kLinkPstn, 453, 0}, {2, 2, zv::kLinkGsm, 228, 0},    {2, 2, zv::kLinkTcp, 228, 0},
      {1, 1, zv::kLinkPstn, 248, 0}, {1, 1, zv::kLinkGsm, 125, 0},
      {1, 3, zv::kLinkPstn, 408, 55500}, {1, 3, zv::kLinkGsm, 205, 55500},
      {1, 4, zv::kLinkPstn, 435, 59000}, {1, 4, zv::kLinkGsm, 219, 59000},
  };
  for (const WholeAreaCase& c : cases) {
    const zv::ArchiveRegion* region = zv::ArchiveRegionOf(c.family, c.model);
    ASSERT_NE(region, nullptr);
    const int step = zv::BlockStep(c.link);
    std::vector<int> expected = Steps(region->daily_start, c.archive_items, step);
    EXPECT_LT(expected.back(), region->hourly_end);
    EXPECT_GE(expected.back() + step, region->hourly_end);
    if (c.extra_start != 0) {
      const std::vector<int> extra = Steps(c.extra_start, zv::kExtraBlocks, step);
      expected.insert(expected.end(), extra.begin(), extra.end());
    }
    // A last record exactly `window` days old.
    DateStamp last = Day(2023, 12, 1, 9);
    DateStamp target = last;
    target.SetHour(14);
    for (int i = 0; i < region->window; ++i) target.Increment(DateStamp::kDay);
    EXPECT_EQ(List(c.link, c.family, c.model, last, target), expected)
        << "family " << c.family << " model " << c.model << " link " << c.link;
    EXPECT_LE(static_cast<int>(expected.size()), zv::kMaxBlockItems);
  }
}

TEST(BlockList, ExtraBlocksFollowEveryListOfModels3And4) {
  const std::vector<int> list = List(zv::kLinkGsm, 1, 3, Day(2024, 3, 10), Day(2024, 3, 10, 2));
  ASSERT_GE(list.size(), 11u);
  EXPECT_EQ(std::vector<int>(list.end() - 11, list.end()), Steps(55500, 11, 255));
  const std::vector<int> list4 = List(zv::kLinkPstn, 1, 4, Day(2024, 3, 10), Day(2024, 3, 10, 2));
  EXPECT_EQ(std::vector<int>(list4.end() - 11, list4.end()), Steps(59000, 11, 128));
}

// The mended cases: the ring came round inside the window. The plain span from
// the last record's address to the target's would read (almost) nothing and
// lose the days between for good; the whole area is read instead.
TEST(BlockList, RingThatCameRoundInsideTheWindowReadsTheWholeArea) {
  struct Case {
    int family, model, link;
    DateStamp last, target;
    int items;
  };
  const Case cases[] = {
      // Family 2, 60 days (window 62): 1 January and 2 March share their slots.
      {2, 2, zv::kLinkGsm, Day(2023, 1, 1), Day(2023, 3, 2, 10), 228},
      // Family 2, 58 days in neighbouring months: 31 March's record ends where
      // 1 February's begins, so both spans would be empty.
      {2, 2, zv::kLinkGsm, Day(2023, 2, 1), Day(2023, 3, 31, 23), 228},
      // Family 2, 58 days, two months apart: the daily span would be empty.
      {2, 2, zv::kLinkPstn, Day(2023, 1, 15), Day(2023, 3, 14, 1), 453},
      // Family 1 model 1, 44 days (window 46), neighbouring months: the 47-day
      // hourly ring skips three slots at the end of February; 14 February and
      // 30 March share slot 44.
      {1, 1, zv::kLinkPstn, Day(2023, 2, 14), Day(2023, 3, 30, 3), 248},
      // 45 days: two slots skipped between June and July.
      {1, 1, zv::kLinkGsm, Day(2023, 6, 16), Day(2023, 7, 31, 20), 125},
      // 42 days, 23:00: the hourly records fill the 47-slot ring exactly.
      {1, 1, zv::kLinkPstn, Day(2023, 2, 18), Day(2023, 4, 1, 23), 248},
      // Family 1 model 3, 58 days, the two-month hourly ring.
      {1, 3, zv::kLinkGsm, Day(2023, 2, 1), Day(2023, 3, 31, 8), 205 + 11},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(static_cast<int>(List(c.link, c.family, c.model, c.last, c.target).size()), c.items)
        << c.last.Format(false) << " .. " << c.target.Format(true);
  }
}

TEST(BlockList, ShortestCycleIsTheThreshold) {
  struct Case {
    int family, model;
    DateStamp last, target;
    bool whole;
  };
  const Case cases[] = {
      {2, 2, Day(2023, 2, 1), Day(2023, 3, 30, 23), false},   // 57 days
      {2, 2, Day(2023, 2, 1), Day(2023, 3, 31, 0), true},     // 58 days
      {1, 1, Day(2023, 2, 14), Day(2023, 3, 27, 23), false},  // 41 days
      {1, 1, Day(2023, 2, 14), Day(2023, 3, 28, 0), true},    // 42 days
      {2, 2, Day(2023, 1, 31), Day(2023, 2, 28, 23), false},  // neighbouring months
      {2, 2, Day(2023, 1, 31), Day(2023, 3, 1, 0), true},     // two months apart
      {2, 2, Day(2023, 12, 31), Day(2024, 2, 1, 0), true},    // over the year's end
  };
  for (const Case& c : cases) {
    const int step = zv::BlockStep(zv::kLinkPstn);
    const zv::ArchiveRegion& region = *zv::ArchiveRegionOf(c.family, c.model);
    const std::vector<int> list = List(zv::kLinkPstn, c.family, c.model, c.last, c.target);
    const std::vector<int> whole = Steps(region.daily_start, (region.hourly_end - region.daily_start + step - 1) / step, step);
    EXPECT_EQ(list == whole, c.whole) << c.last.Format(false) << " .. " << c.target.Format(true);
  }
}

TEST(BlockList, FamilyOneWithoutAMapGetsNoList) {
  for (int model : {0, 2, 5, 255}) {
    zv::BlockList list;
    ASSERT_TRUE(list.Add(900));
    EXPECT_FALSE(zv::BuildBlockList(zv::kLinkGsm, 1, model, Day(2024, 3, 10), Day(2024, 3, 12, 14), list))
        << "model " << model;
    EXPECT_EQ(list.size(), 0);
  }
  EXPECT_EQ(zv::ArchiveRegionOf(1, 2), nullptr);
}

TEST(BlockList, RefusesDuplicatesAndMoreThan500Items) {
  zv::BlockList list;
  EXPECT_TRUE(list.Add(0));
  EXPECT_FALSE(list.Add(0));
  EXPECT_FALSE(list.Add(-1));
  EXPECT_FALSE(list.Add(0x10000));
  for (int a = 1; a < zv::kMaxBlockItems; ++a) ASSERT_TRUE(list.Add(a * 10));
  EXPECT_EQ(list.size(), zv::kMaxBlockItems);
  EXPECT_FALSE(list.Add(60000));
  list.Clear();
  EXPECT_EQ(list.size(), 0);
  EXPECT_TRUE(list.Add(0));
}

// The [start, end) runs of the blocks of a list, merged and in address order.
// Lists are made of runs of consecutive blocks, so these are few.
std::vector<std::pair<int, int>> Covered(const zv::BlockList& list, int step) {
  std::vector<std::pair<int, int>> runs;
  for (int i = 0; i < list.size(); ++i) {
    const int a = list[i].address;
    if (!runs.empty() && a == runs.back().second) {
      runs.back().second = a + step;
    } else {
      runs.push_back({a, a + step});
    }
  }
  std::sort(runs.begin(), runs.end());
  std::vector<std::pair<int, int>> merged;
  for (const auto& r : runs) {
    if (!merged.empty() && r.first <= merged.back().second) {
      merged.back().second = std::max(merged.back().second, r.second);
    } else {
      merged.push_back(r);
    }
  }
  return merged;
}

bool Holds(const std::vector<std::pair<int, int>>& runs, const zv::sim::RecordPlace& place) {
  auto it = std::upper_bound(runs.begin(), runs.end(), std::make_pair(place.address, 1 << 30));
  if (it == runs.begin()) return false;
  --it;
  return it->first <= place.address && place.address + place.size <= it->second;
}

// Every daily record and every hour's record from the last record's day to the
// target, placed by the tests' own layout, lies in the blocks of the list: for
// each family and model, starting days through two years (one a leap year:
// every day from January to April, where the short February makes the rings
// come round soonest, every third day otherwise), every age up to past the
// window, and target hours 23 (the record end that meets a ring's start
// soonest) and others; 255-byte blocks, and 128-byte blocks on fewer days.
struct Device {
  int family, model;
};

class BlockListCoverage : public ::testing::TestWithParam<Device> {};

TEST_P(BlockListCoverage, CoversEveryRecordSinceTheLastOne) {
  const Device dev = GetParam();
  const ArchiveLayout layout = *ArchiveLayout::For(dev.family, dev.model);
  const zv::ArchiveRegion& region = *zv::ArchiveRegionOf(dev.family, dev.model);
  zv::BlockList list;  // one list for all, as the builder clears it
  for (int link : {zv::kLinkGsm, zv::kLinkPstn}) {
    const int step = zv::BlockStep(link);
    int failures = 0;
    int n = 0;
    for (DateStamp from = Day(2023, 1, 1); from.year < 2025 && failures < 5; from.Increment(DateStamp::kDay), ++n) {
      const int every = (from.month <= 4 ? 1 : 3) * (link == zv::kLinkPstn ? 5 : 1);
      if (n % every != 0) continue;
      DateStamp target = from;
      for (int days = 0; days <= region.window + 1 && failures < 5; ++days, target.Increment(DateStamp::kDay)) {
        target.SetHour(days % 2 == 0 ? 23 : (days * 5) % 23);
        ASSERT_TRUE(zv::BuildBlockList(link, dev.family, dev.model, from, target, list));
        const auto runs = Covered(list, step);
        ASSERT_FALSE(runs.empty());
        ASSERT_LE(runs.back().second, 0x10000);
        DateStamp day = from;
        for (int d = 0; d <= days; ++d, day.Increment(DateStamp::kDay)) {
          const DateStamp first_hour = Day(day.year, day.month, day.day, 0);
          const DateStamp last_hour = Day(day.year, day.month, day.day, d == days ? target.hour : 23);
          if (!Holds(runs, layout.Daily(first_hour)) || !Holds(runs, layout.Hourly(first_hour)) ||
              !Holds(runs, layout.Hourly(last_hour))) {
            ADD_FAILURE() << "step " << step << ": " << from.Format(false) << " .. " << target.Format(true)
                          << " misses " << day.Format(false);
            ++failures;
            break;
          }
        }
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(EveryMap, BlockListCoverage,
                         ::testing::Values(Device{2, 2}, Device{1, 1}, Device{1, 3}, Device{1, 4}),
                         [](const ::testing::TestParamInfo<Device>& info) {
                           return "Family" + std::to_string(info.param.family) + "Model" +
                                  std::to_string(info.param.model);
                         });

}  // namespace
