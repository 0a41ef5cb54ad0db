// The viewer document: the period's totals, means and error-hour counters, and
// the print widths of the columns.
#include <algorithm>

#include "data/format_helpers.h"
#include "platform/str_format.h"
#include "viewer/view_doc.h"

namespace {

namespace col = zev_column;
namespace err = zev_error;

// Counters: the period's total is the last reading minus the second one.
constexpr int kTotals[] = {col::kE1, col::kE2, col::kV1, col::kV2, col::kV3, col::kV4, col::kV5, col::kV6,
                           col::kV7, col::kV8, col::kM1, col::kM2, col::kM3, col::kM4};
// Temperatures and pressures: the mean of the period's hours.
constexpr int kMeans[] = {col::kT1, col::kT2, col::kT3, col::kT4, col::kP1, col::kP2, col::kP3, col::kP4};

// Which error bits each counter of the counters record counts (any of them).
struct ErrorCounter {
  int bits;
  int slot;
};
constexpr ErrorCounter kCounters[] = {
    {err::kFunc1Temp | err::kFunc1Flow, 1}, {err::kFunc2Temp | err::kFunc2Flow, 2},
    {err::kT1, 4}, {err::kT2, 5}, {err::kT3, 7}, {err::kT4, 8},
    {err::kV1, 10}, {err::kV2, 11}, {err::kV3, 13}, {err::kV4, 14},
};
constexpr int kPowerSlot = 20;

int Length(const char* format, float v) { return static_cast<int>(zv::StrFormat(format, static_cast<double>(v)).size()); }

}  // namespace

void CZEVViewDoc::BuildPeriodSummary() {
  summary.clear();
  startEnd.clear();
  if (records.size() < 2) return;
  // The first record is the base of the first hour only; the period runs from
  // the second record to the last.
  const CZEVDataRec& second = records[1];
  const CZEVDataRec& last = records.back();
  startEnd = {last, second};

  CZEVDataRec period = last;
  for (int id : kTotals) period.value[id] = last.value[id] - second.value[id];
  const double hours = static_cast<double>(records.size() - 1);
  for (int id : kMeans) {
    double sum = 0;
    for (size_t i = 1; i < records.size(); ++i) sum += records[i].value[id];
    period.value[id] = static_cast<float>(sum / hours);
  }

  CZEVDataRec counters;
  const bool power = header.GetInt("UCONTROL") > 0;
  for (size_t i = 1; i < records.size(); ++i) {
    const int code = records[i].error;
    for (const ErrorCounter& c : kCounters) {
      if (code & c.bits) counters.value[c.slot] += 1.0f;
    }
    if (power && (code & err::kPower)) counters.value[kPowerSlot] += 1.0f;
  }
  summary = {period, counters};
}

void CZEVViewDoc::ComputePrintWidths() {
  if (records.empty() || summary.empty()) {
    width.fill(6);
    width[col::kDate] = 10;
    return;
  }
  const CZEVDataRec& s = summary.front();
  width[col::kDate] = 10;
  for (int id : {col::kE1, col::kE2}) width[id] = std::max(4, Length("%.03f", s.value[id]));
  for (int id = col::kE12; id < kColumns; ++id) width[id] = std::max(3, Length("%.02f", s.value[id]));
  auto diff = [&s](int a, int b) { return s.value[a] - s.value[b]; };
  width[col::kE12] = std::max(5, Length("%.03f", diff(col::kE1, col::kE2)));
  width[col::kV12] = std::max(5, Length("%.02f", diff(col::kV1, col::kV2)));
  width[col::kV34] = std::max(5, Length("%.02f", diff(col::kV3, col::kV4)));
  width[col::kM12] = std::max(5, Length("%.02f", diff(col::kM1, col::kM2)));
  width[col::kM34] = std::max(5, Length("%.02f", diff(col::kM3, col::kM4)));
}
