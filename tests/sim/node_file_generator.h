#pragma once
// Node files as the converter leaves them, for tests, benchmarks and demos.
//
// A file is a header of "KEY TAB VALUE" lines, the separator "$", then one data
// line per hour, oldest first: "dd.mm.yyyy TAB hh:00 TAB", the values "%.02f"
// (18, or 22 for V 8) separated by TABs, TAB and the error code "%d"; lines end
// in CR LF (or LF on request). The readings are plausible and repeatable:
// energies, volumes and masses rise every hour by a seeded pseudo-random amount,
// temperatures and pressures wander about typical values (T2 below T1, T4 below
// T3, V2 a little below V1), so a file evaluates without faults under the usual
// schemes unless the test asks for error codes. Every hour of the series gets
// its values whether it is written or left out, so a gap changes no other line.
//
// The journal file "<N>.zvj" (2560 bytes: byte 2 the newest slot, slot i the
// 10 bytes at 3 + 10 i) comes from JournalFileBytes.
//
// No Qt: the tests, the benchmarks of both programs and the sample program
// (node_file_sample) use it.
//
// Use:
//   zv::sim::NodeFilePlan plan;                        // V 4, N 00012, a day of March 2024
//   plan.header.Set("NAME", zv::W1251("ЦТП-2"));
//   plan.header.AddWorkstationKeys(2);                 // PHONE, MODEM 2, ... DATASHOW
//   plan.data = zv::sim::HourlySeries::Ending(zv::sim::CurrentHour(), 24 * 365);
//   plan.data.gaps.push_back({DateStamp(2024, 3, 2, 0, 0, 0), DateStamp(2024, 3, 2, 23, 0, 0)});
//   plan.data.error_code = zv::sim::ErrorEvery(100, 0x0004);
//   plan.damage.push_back({10, zv::sim::LineDamage::kNoTab});
//   std::string path = zv::sim::WriteNodeFile(folder, plan);      // folder/00012_<NAME>.zev
//   zv::sim::WriteJournalFile(folder, "00012", zv::sim::JournalFileBytes(
//       zv::sim::SampleJournal(DateStamp(2024, 3, 1, 10, 0, 0), 5)));

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "data/date_stamp.h"

namespace zv::sim {

// The header keys of a node file in file order; texts are Windows-1251.
class NodeHeaderKeys {
 public:
  using Entry = std::pair<std::string, std::string>;

  // The keys of a file the converter has filled: V, N, NAME, SCHEMA, UCONTROL,
  // WTIME, TCW, CN_NF, CN_RS9600, CN_PT, CN_L1..CN_L4 (..CN_L8 for V 8),
  // DATAPRINT1..DATAPRINT4 (report columns), LAST_CHANGES1..LAST_CHANGES3.
  // An empty `name` gives the default "Котельная №1".
  static NodeHeaderKeys Converted(int version = 4, std::string_view number = "00012",
                                  std::string_view name = {}, int scheme = 1);

  // The workstation's own keys, as its node settings write them: PHONE, MODEM,
  // IPADDRESS, IPPORT (TCP only), INTRC, DATASHOW.
  NodeHeaderKeys& AddWorkstationKeys(int modem = 1);

  // Replaces the value in place, or appends the key.
  NodeHeaderKeys& Set(std::string_view key, std::string_view value);
  NodeHeaderKeys& Remove(std::string_view key);
  // "" when absent.
  std::string Get(std::string_view key) const;
  bool Has(std::string_view key) const;
  const std::vector<Entry>& entries() const { return entries_; }

 private:
  std::vector<Entry> entries_;
};

// Hours `from`..`to` (both included) that have no line in the file.
struct HourGap {
  DateStamp from;
  DateStamp to;
};

// The hours of the data section.
struct HourlySeries {
  DateStamp first{2024, 3, 1, 0, 0, 0};
  int hours = 24;  // hours from `first` on, those in gaps included
  std::vector<HourGap> gaps;
  // The error code of each written hour (its place in the series from 0); 0
  // when unset.
  std::function<int(const DateStamp& hour, int index)> error_code;
  uint64_t seed = 1;

  static HourlySeries From(const DateStamp& first, int hours);
  // `first` to `last`, both included (none when last is before first).
  static HourlySeries Between(const DateStamp& first, const DateStamp& last);
  // The `hours` hours up to and including `last`.
  static HourlySeries Ending(const DateStamp& last, int hours);

  DateStamp Last() const;
};

// `code` on every n-th hour (index n-1, 2n-1, ...).
std::function<int(const DateStamp&, int)> ErrorEvery(int n, int code);

// The current local hour (minutes and seconds 0).
DateStamp CurrentHour();
// Hours from `a` to `b` (b - a, counted by stepping; 0 when b is not after a).
int HoursBetween(const DateStamp& a, const DateStamp& b);

// Ways a data line is damaged, as a file cut off or edited by hand shows them.
enum class LineDamage {
  kCutShort,  // the line stops in the middle of its values
  kNoTab,     // the TABs became blanks
  kTabFirst,  // a TAB before the date
  kBlank,     // an empty line in its place
  kJunk,      // bytes that are no line (control characters, 0xFF, NUL)
  kBadTime,   // day 00: the time reads as 2000-01-01 00:00
};

// A written data line (its place among the lines of the data section) that is
// damaged.
struct DamagedLine {
  int line = 0;
  LineDamage kind = LineDamage::kCutShort;
};

struct NodeFilePlan {
  NodeHeaderKeys header = NodeHeaderKeys::Converted();
  std::string separator = "$";  // the separator line as written; empty: none
  HourlySeries data;
  std::vector<DamagedLine> damage;
  bool lf_ends = false;  // LF in place of CR LF
  // Lines written after the data lines, as they are (line ends added).
  std::vector<std::string> trailing_lines;
};

// The values of one hour, by column id (35 values; only the ids of the layout
// of V are filled).
struct HourValues {
  DateStamp time;
  float value[35] = {};
  int error = 0;
};

// Calls `line` for every data line of the series with V's layout, in order
// (line end not included), damage not applied.
void ForEachDataLine(const HourlySeries& series, int version,
                     const std::function<void(const std::string& line)>& line);
// The same lines held in memory.
std::vector<std::string> DataLines(const HourlySeries& series, int version);
// The values each written line holds (as read back, two decimals).
std::vector<HourValues> DataValues(const HourlySeries& series, int version);

// A data line of `version`'s layout for the values given.
std::string FormatDataLine(const HourValues& values, int version);
// The line after `kind` of damage.
std::string DamageLine(const std::string& line, LineDamage kind);

// The header lines, separator, data lines (damaged as the plan says) and
// trailing lines, each with its line end.
std::string NodeFileText(const NodeFilePlan& plan);

// "<N>_<NAME>.zev" on disk (UTF-8; an empty NAME gives "data").
std::string NodeFileName(const NodeHeaderKeys& header);

// Writes the file into `folder` under NodeFileName and returns its path; ""
// when it cannot be written. Streams the lines, so years of data take no
// memory of their own.
std::string WriteNodeFile(const std::string& folder, const NodeFilePlan& plan);
// The same under a path of the caller's choice; false on failure.
bool WriteNodeFileAs(const std::string& path, const NodeFilePlan& plan);

// One settings-change journal record.
struct JournalEntry {
  DateStamp time;             // year 2016..2031; minute and second not stored
  int32_t working_hours = 0;  // the device's hours at the change
  uint8_t flags = 0;          // 0x01 time, 0x02 formula, 0x04 cold water, ...
};

inline constexpr size_t kJournalBytes = 2560;

// The 2560 bytes of a journal file: the entries, oldest first, in the slots from
// `first_slot` on (wrapping from 255 to 0), byte 2 the slot of the last one;
// unused slots erased (0xFF), bytes 0 and 1 zero. The 256th slot's bytes past
// the file's end are left out.
std::string JournalFileBytes(const std::vector<JournalEntry>& oldest_first, int first_slot = 0);
// `count` entries a week apart, the last at `last`, with varied flags.
std::vector<JournalEntry> SampleJournal(const DateStamp& last, int count);
// Writes "<folder>/<number>.zvj"; returns its path, "" on failure.
std::string WriteJournalFile(const std::string& folder, std::string_view number, std::string_view bytes);

}  // namespace zv::sim
