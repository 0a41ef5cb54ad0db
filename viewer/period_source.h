#pragma once
// Where a viewer document takes the viewing period from: two DateStamp values
// at 00:00, begin and end, held by the main frame. A document asks every time it
// loads, so a period change followed by a reload shows the new period.

#include "data/date_stamp.h"

class PeriodSource {
 public:
  virtual ~PeriodSource() = default;
  virtual DateStamp PeriodBegin() const = 0;
  virtual DateStamp PeriodEnd() const = 0;
};

// A period that stays as it is set (tests, benchmarks).
class FixedPeriod final : public PeriodSource {
 public:
  FixedPeriod() = default;
  FixedPeriod(const DateStamp& b, const DateStamp& e) : begin(b), end(e) {}
  DateStamp PeriodBegin() const override { return begin; }
  DateStamp PeriodEnd() const override { return end; }

  DateStamp begin;
  DateStamp end;
};
