#pragma once
// Where a heat computer keeps its archive records, as the tests see it.
//
// Written apart from the workstation's own map (links/archive_map.h) so that each
// checks the other: the tests fill a simulated heat computer through this layout
// and check that the blocks the workstation reads hold every record it needs.
//
// Each archive is a ring of day slots; a slot holds one daily record, or the 24
// hourly records of a day. Which slot a date takes:
// - two-month ring (family 2 daily and hourly, family 1 model 1 daily, models 3
//   and 4 hourly): the 31 slots of the odd month, then the 31 of the even month;
// - six-month ring (models 3 and 4 daily): 31 slots per month, January and July
//   in the first, June and December in the last;
// - 47-slot ring (model 1 hourly), by the month's place in its quarter: the first
//   month's days take slots 0..30, the second month's days 1..16 slots 31..46 and
//   from day 17 on slots 0.., the third month's days slots 15..45.
//
// Records written with WriteArchive carry their own date (RecordBytes), so a test
// can tell which record a block of an image holds.

#include <optional>
#include <vector>

#include "data/date_stamp.h"
#include "tests/sim/heat_computer.h"

namespace zv::sim {

struct RecordPlace {
  int address = 0;
  int size = 0;
  bool operator==(const RecordPlace&) const = default;
};

class ArchiveLayout {
 public:
  enum class Ring { kTwoMonths, kSixMonths, kFortySevenDays };
  struct Archive {
    int start;
    int end;
    int record;  // bytes of one record
    Ring ring;
  };

  // The layout of family 1 models 1, 3 and 4 and of family 2; none for another
  // family 1 model.
  static std::optional<ArchiveLayout> For(int family, int model);

  const Archive& daily() const { return daily_; }
  const Archive& hourly() const { return hourly_; }
  RecordPlace Daily(const DateStamp& day) const;
  RecordPlace Hourly(const DateStamp& hour) const;

 private:
  ArchiveLayout(Archive daily, Archive hourly) : daily_(daily), hourly_(hourly) {}
  static int Slot(Ring ring, int month, int day);

  Archive daily_;
  Archive hourly_;
};

// A record that names itself: 'D' or 'H', year - 2000, month, day, hour, then a
// filler, `size` bytes in all.
Bytes RecordBytes(bool daily, const DateStamp& stamp, int size);

// Writes the daily and hourly records of every hour from `from` to `to` (both
// included, whole hours) into the heat computer at the layout's places.
void WriteArchive(HeatComputer& heat, const ArchiveLayout& layout, DateStamp from, const DateStamp& to);

// The hours from `from` to `to` (both included) in steps of `step_hours`.
std::vector<DateStamp> HoursBetween(DateStamp from, const DateStamp& to, int step_hours = 1);

}  // namespace zv::sim
