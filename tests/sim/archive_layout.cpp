#include "tests/sim/archive_layout.h"

namespace zv::sim {

std::optional<ArchiveLayout> ArchiveLayout::For(int family, int model) {
  using R = Ring;
  if (family != 1) return ArchiveLayout({900, 5240, 70, R::kTwoMonths}, {5300, 58868, 36, R::kTwoMonths});
  switch (model) {
    case 1: return ArchiveLayout({512, 2744, 36, R::kTwoMonths}, {2816, 32144, 26, R::kFortySevenDays});
    case 3: return ArchiveLayout({3000, 13416, 56, R::kSixMonths}, {13500, 55164, 28, R::kTwoMonths});
    case 4: return ArchiveLayout({3000, 13788, 58, R::kSixMonths}, {14000, 58640, 30, R::kTwoMonths});
    default: return std::nullopt;
  }
}

int ArchiveLayout::Slot(Ring ring, int month, int day) {
  switch (ring) {
    case Ring::kTwoMonths:
      return (month % 2 == 1 ? 0 : 31) + day - 1;
    case Ring::kSixMonths:
      return ((month - 1) % 6) * 31 + day - 1;
    case Ring::kFortySevenDays: {
      struct Quarter {
        int first_slot;   // slot of day 1
        int restart_day;  // from this day on the ring starts again at slot 0 (0: never)
      };
      static constexpr Quarter kMonths[3] = {{0, 0}, {31, 17}, {15, 0}};
      const Quarter& q = kMonths[(month - 1) % 3];
      if (q.restart_day != 0 && day >= q.restart_day) return day - q.restart_day;
      return q.first_slot + day - 1;
    }
  }
  return 0;
}

RecordPlace ArchiveLayout::Daily(const DateStamp& day) const {
  return {daily_.start + Slot(daily_.ring, day.month, day.day) * daily_.record, daily_.record};
}

RecordPlace ArchiveLayout::Hourly(const DateStamp& hour) const {
  const int slot = Slot(hourly_.ring, hour.month, hour.day);
  return {hourly_.start + (slot * 24 + hour.hour) * hourly_.record, hourly_.record};
}

Bytes RecordBytes(bool daily, const DateStamp& stamp, int size) {
  Bytes out(static_cast<size_t>(size), 0x5A);
  const std::uint8_t head[5] = {static_cast<std::uint8_t>(daily ? 'D' : 'H'),
                                static_cast<std::uint8_t>(stamp.year - 2000),
                                static_cast<std::uint8_t>(stamp.month), static_cast<std::uint8_t>(stamp.day),
                                static_cast<std::uint8_t>(stamp.hour)};
  for (size_t i = 0; i < 5 && i < out.size(); ++i) out[i] = head[i];
  return out;
}

std::vector<DateStamp> HoursBetween(DateStamp from, const DateStamp& to, int step_hours) {
  std::vector<DateStamp> out;
  from.SetMinute(0);
  from.SetSecond(0);
  while (from.Compare(to, DateStamp::kHour) <= 0) {
    out.push_back(from);
    for (int i = 0; i < step_hours; ++i) from.Increment(DateStamp::kHour);
  }
  return out;
}

void WriteArchive(HeatComputer& heat, const ArchiveLayout& layout, DateStamp from, const DateStamp& to) {
  for (const DateStamp& hour : HoursBetween(from, to)) {
    const RecordPlace h = layout.Hourly(hour);
    heat.Poke(static_cast<size_t>(h.address), RecordBytes(false, hour, h.size));
    DateStamp day = hour;
    day.SetHour(0);
    const RecordPlace d = layout.Daily(day);
    heat.Poke(static_cast<size_t>(d.address), RecordBytes(true, day, d.size));
  }
}

}  // namespace zv::sim
