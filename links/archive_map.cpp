#include "links/archive_map.h"

namespace zv {

namespace {

// Family 2 (any model) and family 1 models 1, 3 and 4.
//
// Shortest cycles, the fewest days from the last record's day after which the
// records up to the target no longer fit between the two addresses (the target's
// record end meets or passes the start again). A two-month ring (family 2 daily
// and hourly, model 1 daily, models 3 and 4 hourly) has 62 day slots, and a
// February leaves three of them unused: 1 February to 31 March is 58 days. The
// 47-slot hourly ring of model 1 leaves three slots unused at the end of
// February and one at the end of March: 18 February to 1 April 23:00 is 42 days.
// The six-month daily rings of models 3 and 4 are longer than the window.
constexpr ArchiveRegion kFamily2 = {900, 5240, 5300, 58868, 70, 36, 62, 58, 0};
constexpr ArchiveRegion kFamily1Model1 = {512, 2744, 2816, 32144, 36, 26, 46, 42, 0};
constexpr ArchiveRegion kFamily1Model3 = {3000, 13416, 13500, 55164, 56, 28, 62, 58, 55500};
constexpr ArchiveRegion kFamily1Model4 = {3000, 13788, 14000, 58640, 58, 30, 62, 58, 59000};

bool OddMonth(int m) { return m == 1 || m == 3 || m == 5 || m == 7 || m == 9 || m == 11; }
bool MonthInYear(int m) { return m >= 1 && m <= 12; }

// The monthly area of models 3 and 4 moves with the year, in a cycle of three
// years from 2014; -1 before 2014.
int YearBase(int year) {
  if (year < 2014) return -1;
  static constexpr int kBase[3] = {300, 1188, 2076};
  return kBase[(year - 2014) % 3];
}

// The start of the month's daily area of models 3 and 4: six areas of 31
// records, January to June and again July to December.
constexpr int kModel3DailyMonth[6] = {3000, 4736, 6472, 8208, 9944, 11680};
constexpr int kModel4DailyMonth[6] = {3000, 4798, 6596, 8394, 10192, 11990};

// The day slot (24 hourly records) of family 1 model 1, 0..46.
int Model1DaySlot(int month, int day) {
  switch (month % 3) {
    case 1:  // January, April, July, October
      return day - 1;
    case 2:  // February, May, August, November
      return day <= 16 ? day + 30 : day - 17;
    default:  // March, June, September, December
      return day + 14;
  }
}

int Family2Address(const DateStamp& s, int level) {
  const int d = s.day - 1;
  if (level == kArchiveDaily) return d * 70 + (OddMonth(s.month) ? 900 : 3070);
  if (level == kArchiveHourly) return d * 864 + s.hour * 36 + (OddMonth(s.month) ? 5300 : 32084);
  return (s.month - 1) * 57 + 144;
}

int Model1Address(const DateStamp& s, int level) {
  const int d = s.day - 1;
  if (level == kArchiveDaily) return d * 36 + (OddMonth(s.month) ? 512 : 1628);
  if (level == kArchiveHourly) {
    if (!MonthInYear(s.month)) return 2816;
    return 2816 + Model1DaySlot(s.month, s.day) * 624 + s.hour * 26;
  }
  return (s.month - 1) * 25 + 144;
}

// Models 3 and 4 differ only in their record sizes and area starts.
struct Model34Layout {
  const int* daily_month;  // six entries
  int daily_record;
  int hourly_record;
  int hourly_odd;   // hourly area of the odd months
  int hourly_even;  // and of the even months
};
constexpr Model34Layout kModel3 = {kModel3DailyMonth, 56, 28, 13500, 34332};
constexpr Model34Layout kModel4 = {kModel4DailyMonth, 58, 30, 14000, 36320};

int Model34Address(const DateStamp& s, int level, const Model34Layout& m) {
  const int d = s.day - 1;
  if (level == kArchiveDaily || level == kArchiveHourly) {
    if (!MonthInYear(s.month)) return 0;
    if (level == kArchiveDaily) return d * m.daily_record + m.daily_month[(s.month - 1) % 6];
    return d * 24 * m.hourly_record + s.hour * m.hourly_record +
           (OddMonth(s.month) ? m.hourly_odd : m.hourly_even);
  }
  const int base = YearBase(s.year);
  return base < 0 ? 0 : (s.month - 1) * 74 + base;
}

// Items first + k * step for k < ceil((end - first) / step).
void AddRun(BlockList& list, int first, int end, int step) {
  for (int address = first; address < end; address += step) list.Add(address);
}

// The blocks from `start` to `end` in the ring [ring_start, ring_end): one run,
// or, when the ring wrapped, the run from the ring's start up to `end` and then
// the run from `start` up to the ring's end.
void AddSpan(BlockList& list, int start, int end, int ring_start, int ring_end, int step) {
  if (end >= start) {
    AddRun(list, start, end, step);
  } else {
    AddRun(list, ring_start, end, step);
    AddRun(list, start, ring_end, step);
  }
}

}  // namespace

int BlockStep(int link_type) { return link_type == kLinkPstn ? kPstnBlockStep : kDirectBlockStep; }

const ArchiveRegion* ArchiveRegionOf(int family, int model) {
  if (family != 1) return &kFamily2;
  switch (model) {
    case 1: return &kFamily1Model1;
    case 3: return &kFamily1Model3;
    case 4: return &kFamily1Model4;
    default: return nullptr;
  }
}

int ArchiveAddress(int family, int model, const DateStamp& stamp, int level) {
  if (family != 1) return Family2Address(stamp, level);
  switch (model) {
    case 1: return Model1Address(stamp, level);
    case 3: return Model34Address(stamp, level, kModel3);
    case 4: return Model34Address(stamp, level, kModel4);
    default: return 0;
  }
}

bool BuildBlockList(int link_type, int family, int model, const DateStamp& last_record,
                    const DateStamp& target, BlockList& list) {
  list.Clear();
  const ArchiveRegion* region = ArchiveRegionOf(family, model);
  if (region == nullptr) return false;
  const int step = BlockStep(link_type);

  DateStamp from = last_record;
  from.SetHour(0);
  const int days = target.Difference(from, DateStamp::kDay);
  const int months = (target.year - from.year) * 12 + (target.month - from.month);
  const bool ring_came_round = days >= region->shortest_cycle || months >= 2;

  if (days < region->window && !ring_came_round) {
    AddSpan(list, ArchiveAddress(family, model, from, kArchiveDaily),
            ArchiveAddress(family, model, target, kArchiveDaily) + region->daily_record,
            region->daily_start, region->daily_end, step);
    AddSpan(list, ArchiveAddress(family, model, from, kArchiveHourly),
            ArchiveAddress(family, model, target, kArchiveHourly) + region->hourly_record,
            region->hourly_start, region->hourly_end, step);
  } else {
    AddRun(list, region->daily_start, region->hourly_end, step);
  }
  if (region->extra_start != 0) {
    for (int k = 0; k < kExtraBlocks; ++k) list.Add(region->extra_start + k * step);
  }
  return true;
}

}  // namespace zv
