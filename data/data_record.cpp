#include "data/data_record.h"

#include <cfloat>
#include <climits>
#include <cmath>

#include "data/format_helpers.h"
#include "data/tab_pieces.h"
#include "platform/ascii.h"
#include "platform/numbers.h"
#include "platform/str_format.h"
#include "platform/text_lines.h"

namespace {

namespace col = zev_column;
namespace err = zev_error;

constexpr int kLayout18[] = {col::kE1, col::kE2, col::kT1, col::kT2, col::kT3, col::kT4,
                             col::kV1, col::kV2, col::kV3, col::kV4, col::kM1, col::kM2,
                             col::kM3, col::kM4, col::kP1, col::kP2, col::kP3, col::kP4};
constexpr int kLayout22[] = {col::kE1, col::kE2, col::kT1, col::kT2, col::kT3, col::kT4, col::kV1, col::kV2,
                             col::kV3, col::kV4, col::kV5, col::kV6, col::kV7, col::kV8, col::kM1, col::kM2,
                             col::kM3, col::kM4, col::kP1, col::kP2, col::kP3, col::kP4};

// A value read as double and kept as float; numbers beyond the float range
// become infinities, as the FPU's own conversion gives them.
float ToFloat(double d) {
  if (d > FLT_MAX) return INFINITY;
  if (d < -FLT_MAX) return -INFINITY;
  return static_cast<float>(d);
}

// Truncation toward zero as the FPU does it: NaN and numbers outside the int
// range give the "integer indefinite" value INT_MIN.
int TruncToInt(double d) {
  if (!(d >= -2147483648.0 && d < 2147483648.0)) return INT_MIN;
  return static_cast<int>(d);
}

// An increment counts when (int)(d * 100) in double precision is at least 1:
// no count below 0.01 m3, for a negative increment, and (as the truncation
// overflows) for NaN or an absurdly large one.
bool NoCount(float d) { return TruncToInt(static_cast<double>(d) * 100.0) < 1; }

// X > 1.1 Y: strict, in double precision.
bool Exceeds(float x, float y) { return static_cast<double>(x) > static_cast<double>(y) * 1.1; }

}  // namespace

std::span<const int> CZEVDataRec::Layout(int kind) {
  if (kind == 1) return kLayout18;
  return kLayout22;
}

DateStamp CZEVDataRec::ParseLineTime(std::string_view line) {
  auto field = [line](size_t pos, size_t len) {
    return pos < line.size() ? zv::AtoI(line.substr(pos, len)) : 0;
  };
  line = line.substr(0, 16);
  DateStamp t(field(6, 4), field(3, 2), field(0, 2), field(11, 2), 0, 0);
  if (!t.IsValid(DateStamp::kHour)) return DateStamp();
  return t;
}

void CZEVDataRec::ParseLine(const DateStamp& t, std::string_view line, int version) {
  kind = KindOfVersion(version);
  time = t;
  value.fill(0.0f);
  error = 0;
  const std::span<const int> layout = Layout(kind);
  zv::TabPieces pieces(line.size() > kTimeChars ? line.substr(kTimeChars) : std::string_view());
  std::string_view piece;
  size_t taken = 0;
  while (taken < layout.size() && pieces.Next(piece)) {
    value[static_cast<size_t>(layout[taken++])] = ToFloat(zv::AtoF(piece));
  }
  if (taken < layout.size()) {
    // A short line: its last number is the error code.
    if (taken > 0) {
      float& last = value[static_cast<size_t>(layout[taken - 1])];
      error = TruncToInt(last);
      last = 0.0f;
    }
  } else if (pieces.Next(piece)) {
    error = zv::AtoI(piece);
  }
}

bool CZEVDataRec::HoldsAllValues(std::string_view line, int version) {
  const size_t wanted = Layout(KindOfVersion(version)).size();
  zv::TabPieces pieces(line.size() > kTimeChars ? line.substr(kTimeChars) : std::string_view());
  std::string_view piece;
  size_t found = 0;
  while (found < wanted && pieces.Next(piece)) ++found;
  return found == wanted;
}

bool CZEVDataRec::IsUnfinishedLine(std::string_view line, int version) {
  line = zv::TrimView(line);
  const size_t tab = line.find('\t');
  return tab != std::string_view::npos && tab > 0 && !HoldsAllValues(line, version);
}

bool CZEVDataRec::IsUnfinishedLine(const zv::TextLineReader& in, std::string_view line, int version) {
  return !in.LineEnded() && IsUnfinishedLine(line, version);
}

std::string CZEVDataRec::WriteLine() const {
  std::string line = zv::StrFormat("%02d.%02d.%d\t%02d:00", time.day, time.month, time.year, time.hour);
  for (int id : Layout(kind)) {
    line += '\t';
    line += zv::StrFormat("%.02f", static_cast<double>(value[static_cast<size_t>(id)]));
  }
  line += zv::StrFormat("\t%d\r\n", error);
  return line;
}

void CZEVDataRec::EvaluateTemperatureErrors(int scheme) {
  const int c1 = scheme % 10;
  const int c2 = scheme / 10;
  const float t1 = value[col::kT1], t2 = value[col::kT2], t3 = value[col::kT3], t4 = value[col::kT4];
  if (c1 >= 1 && c1 <= 3) {
    if (t1 == 0) error |= err::kT1;
    if (t2 == 0) error |= err::kT2;
    if (t2 > t1) error |= err::kFunc1Temp;
  } else if (c1 == 5 || c1 == 6) {
    if (t1 == 0) error |= err::kT1;
  }
  if (c2 == 4) {
    if (t1 == 0) error |= err::kT1;
    if (t2 == 0) error |= err::kT2;
    if (t3 == 0) error |= err::kT3;
    if (t2 > t1 || t2 < t3) error |= err::kFunc1Temp;
  } else if (c2 == 5 || c2 == 6) {
    if (t3 == 0) error |= err::kT3;
  } else if (c2 >= 1 && c2 <= 3) {
    if (t3 == 0) error |= err::kT3;
    if (t4 == 0) error |= err::kT4;
    if (t4 > t3) error |= err::kFunc2Temp;
  }
}

void CZEVDataRec::EvaluateFlowErrors(int scheme, const CZEVDataRec& increments) {
  const int c1 = scheme % 10;
  const int c2 = scheme / 10;
  const float d1 = increments.value[col::kV1], d2 = increments.value[col::kV2];
  const float d3 = increments.value[col::kV3], d4 = increments.value[col::kV4];
  if (c1 == 1 || c1 == 5) {
    if (NoCount(d1)) error |= err::kV1;
    if (NoCount(d2)) error |= err::kV2;
    if (Exceeds(d2, d1)) error |= err::kFunc1Flow;
  } else if (c1 == 2) {
    if (NoCount(d1)) error |= err::kV1;
  } else if (c1 == 3) {
    if (NoCount(d2)) error |= err::kV2;
  }
  if (c2 == 2) {
    if (NoCount(d3)) error |= err::kV3;
  } else if (c2 == 3) {
    if (NoCount(d4)) error |= err::kV4;
  } else if (c2 == 4) {
    if (NoCount(d1)) error |= err::kV1;
    if (NoCount(d2)) error |= err::kV2;
    if (NoCount(d3)) error |= err::kV3;
    if (Exceeds(d2, d1)) error |= err::kFunc1Flow;
    if (Exceeds(d3, d2)) error |= err::kFunc1Flow;
  } else if (c2 == 1 || c2 == 5) {
    if (NoCount(d3)) error |= err::kV3;
    if (NoCount(d4)) error |= err::kV4;
    if (Exceeds(d4, d3)) error |= err::kFunc2Flow;
  }
}

CZEVDataRec CZEVDataRec::FlowIncrements(const CZEVDataRec& current, const CZEVDataRec& previous) {
  CZEVDataRec d;
  for (int id : {col::kV1, col::kV2, col::kV3, col::kV4}) {
    const size_t i = static_cast<size_t>(id);
    d.value[i] = current.value[i] - previous.value[i];
  }
  return d;
}
