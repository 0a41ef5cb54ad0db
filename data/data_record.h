#pragma once
// CZEVDataRec: one hourly data line of a node file.
//
// A data line is "dd.mm.yyyy TAB hh:00 TAB" (exactly 17 characters), then the
// values "%.02f" separated by TABs, then TAB and the error code "%d". Header V = 8
// means 22 values (kind 2), any other V 18 values (kind 1); the layout maps each
// position to a column id of the viewer's table (data/data_columns.h). Only the
// ids of the layout are filled; the difference columns, EC, GW and EW are never
// stored and stay 0.
//
// Use:
//   DateStamp t = CZEVDataRec::ParseLineTime(line);
//   CZEVDataRec rec(t, line, header.GetInt("V"));
//   rec.error &= zev_error::kPower;
//   rec.EvaluateTemperatureErrors(scheme);
//   rec.EvaluateFlowErrors(scheme, CZEVDataRec::FlowIncrements(rec, previous));
//   out.Write(rec.WriteLine());
//
// Parsing never fails: junk reads as 0 (like atof/atoi), a short line takes its
// last number as the error code, and a line with nothing after its first 17
// characters gives a record of zeros.

#include <array>
#include <span>
#include <string>
#include <string_view>

#include "data/data_columns.h"
#include "data/date_stamp.h"

namespace zv {
class TextLineReader;
}

class CZEVDataRec {
 public:
  static constexpr int kValueCount = zev_column::kCount;
  // Characters before the first value: "dd.mm.yyyy\thh:00\t".
  static constexpr size_t kTimeChars = 17;

  CZEVDataRec() = default;  // kind 2, 2000-01-01 00:00:00, all 0, error 0
  CZEVDataRec(const DateStamp& time, std::string_view line, int version) { ParseLine(time, line, version); }

  // 2 for version 8, else 1.
  static int KindOfVersion(int version) { return version == 8 ? 2 : 1; }
  // The column ids of the values of a line of `kind` (1: 18 ids, otherwise 22).
  static std::span<const int> Layout(int kind);

  // The time of a data line from its first 16 characters ("dd.mm.yyyy\thh:mm"):
  // day, month, year and hour read with atoi, minute and second 0; a time that
  // fails the hour-level validity check gives 2000-01-01 00:00:00.
  static DateStamp ParseLineTime(std::string_view line);

  // Fills the record from a data line (the whole line, time characters included;
  // `time` is the one read by ParseLineTime).
  void ParseLine(const DateStamp& time, std::string_view line, int version);

  // Whether the line (trimmed, time characters included) holds every value of
  // the layout of `version`.
  static bool HoldsAllValues(std::string_view line, int version);
  // Whether a last line of a file without its line end is an unfinished
  // write, a converter ended half-way through it: a data line (a TAB after its
  // start, blanks around it aside) that does not hold every value of the
  // layout. It is no record, and the next poll writes its hour again. A line
  // cut inside its last value cannot be told from a whole one.
  static bool IsUnfinishedLine(std::string_view line, int version);
  // The same for the line `in` gave last: only one without its line end can be.
  static bool IsUnfinishedLine(const zv::TextLineReader& in, std::string_view line, int version);

  // The record as a data line, CR LF included.
  std::string WriteLine() const;

  // Sets (ORs in) the temperature bits for the hydraulic scheme: units digit the
  // scheme of channel 1, tens digit that of channel 2.
  void EvaluateTemperatureErrors(int scheme);
  // Sets the flow bits; `increments` carries the hour's V1..V4 increments at the
  // V1..V4 ids (see FlowIncrements).
  void EvaluateFlowErrors(int scheme, const CZEVDataRec& increments);
  // V1..V4 of `current` minus those of `previous`, in single precision, at the
  // V1..V4 ids of an otherwise empty record.
  static CZEVDataRec FlowIncrements(const CZEVDataRec& current, const CZEVDataRec& previous);

  int kind = 2;
  DateStamp time;
  std::array<float, kValueCount> value{};
  int error = 0;
};
