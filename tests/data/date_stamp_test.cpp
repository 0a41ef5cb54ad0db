#include "data/date_stamp.h"

#include <cstdlib>
#include <ctime>
#include <gtest/gtest.h>

namespace {

DateStamp D(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) { return DateStamp(y, mo, d, h, mi, s); }

TEST(DateStamp, Defaults) {
  DateStamp s;
  EXPECT_EQ(s, D(2000, 1, 1));
  DateStamp c;
  c.Copy(D(2024, 3, 7, 5, 9, 59));
  EXPECT_EQ(c, D(2024, 3, 7, 5, 9, 59));
}

struct StepCase {
  DateStamp from;
  int level;
  DateStamp to;
};

TEST(DateStamp, IncrementTable) {
  const StepCase cases[] = {
      {D(2023, 2, 28), 3, D(2023, 3, 1)},
      {D(2024, 2, 28), 3, D(2024, 2, 29)},
      {D(2024, 2, 29), 3, D(2024, 3, 1)},
      {D(2023, 2, 29), 3, D(2023, 2, 30)},  // past the end keeps counting
      {D(2023, 2, 30), 3, D(2023, 3, 1)},   // 30 rolls over in any short month
      {D(2024, 4, 30), 3, D(2024, 5, 1)},
      {D(2024, 4, 31), 3, D(2024, 4, 32)},
      {D(2024, 1, 30), 3, D(2024, 1, 31)},
      {D(2024, 12, 31), 3, D(2025, 1, 1)},
      {D(2024, 12, 31, 23), 2, D(2025, 1, 1, 0)},
      {D(2024, 12, 31, 23, 59, 59), 0, D(2025, 1, 1, 0, 0, 0)},
      {D(2024, 1, 31), 4, D(2024, 2, 31)},  // no clamping
      {D(2024, 12, 5), 4, D(2025, 1, 5)},
      {D(2037, 6, 1), 5, D(2038, 6, 1)},
      {D(2024, 6, 1), 6, D(2024, 6, 1)},
      {D(2024, 6, 1), -1, D(2024, 6, 1)},
  };
  for (const StepCase& c : cases) {
    DateStamp s = c.from;
    DateStamp& r = s.Increment(c.level);
    EXPECT_EQ(&r, &s);
    EXPECT_EQ(s, c.to) << c.from.Format(true) << " +" << c.level << " gave " << s.Format(true);
  }
}

TEST(DateStamp, DecrementTable) {
  const StepCase cases[] = {
      {D(2024, 3, 1), 3, D(2024, 2, 29)},
      {D(2023, 3, 1), 3, D(2023, 2, 28)},
      {D(2024, 1, 1), 3, D(2023, 12, 31)},
      {D(2024, 8, 1), 3, D(2024, 7, 31)},
      {D(2024, 5, 1), 3, D(2024, 4, 30)},
      {D(2024, 7, 1), 3, D(2024, 6, 30)},
      {D(2024, 2, 1), 3, D(2024, 1, 31)},
      {D(2024, 4, 1), 3, D(2024, 3, 31)},
      {D(2024, 12, 1), 3, D(2024, 11, 30)},
      {D(2024, 3, 15), 3, D(2024, 3, 14)},
      {D(2024, 1, 1, 0), 2, D(2023, 12, 31, 23)},
      {D(2024, 1, 1, 0, 0, 0), 0, D(2023, 12, 31, 23, 59, 59)},
      {D(2024, 3, 31), 4, D(2024, 2, 31)},
      {D(2024, 1, 31), 4, D(2023, 12, 31)},
      {D(2024, 1, 31), 5, D(2023, 1, 31)},
      {D(2024, 1, 31), 9, D(2024, 1, 31)},
  };
  for (const StepCase& c : cases) {
    DateStamp s = c.from;
    s.Decrement(c.level);
    EXPECT_EQ(s, c.to) << c.from.Format(true) << " -" << c.level << " gave " << s.Format(true);
  }
}

TEST(DateStamp, IsValidTable) {
  struct Case {
    DateStamp s;
    int level;
    bool valid;
  } cases[] = {
      {D(2024, 3, 31), 2, true},
      {D(2024, 2, 31), 3, true},  // the month's own length plays no part
      {D(2024, 1, 1, 24), 2, false},
      {D(2024, 1, 0), 2, false},
      {D(2024, 13, 1), 2, false},
      {D(2038, 1, 1), 2, false},
      {D(1999, 12, 31), 5, false},
      {D(2037, 12, 31, 23, 59, 59), 0, true},
      {D(2024, 1, 1, 0, 77, 99), 2, true},  // minute and second ignored
      {D(2024, 1, 1, 0, 77, 0), 1, false},
      {D(2024, 1, 1, 0, 0, 60), 0, false},
      {D(2024, 1, 1, 24), 3, true},  // hour not looked at from level 3
      {D(2024, 13, 40), 5, true},
      {D(0, 0, 0, -1, -1, -1), 6, true},
      {D(0, 0, 0, -1, -1, -1), -1, true},  // unsigned: far out of range
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.s.IsValid(c.level), c.valid) << c.s.Format(true) << " level " << c.level;
  }
}

TEST(DateStamp, LeapYearsAnd31DayMonths) {
  EXPECT_TRUE(DateStamp::IsLeapYear(2000));
  EXPECT_TRUE(DateStamp::IsLeapYear(2024));
  EXPECT_FALSE(DateStamp::IsLeapYear(2100));
  EXPECT_FALSE(DateStamp::IsLeapYear(2023));
  int months31 = 0;
  for (int m = 1; m <= 12; ++m) months31 += DateStamp::Has31Days(m);
  EXPECT_EQ(months31, 7);
  EXPECT_TRUE(DateStamp::Has31Days(8));
  EXPECT_FALSE(DateStamp::Has31Days(9));
}

TEST(DateStamp, CompareAtEveryLevel) {
  const DateStamp a = D(2024, 1, 5, 23, 10, 20);
  struct Case {
    DateStamp b;
    int expect[7];  // levels 0..6
  } cases[] = {
      {D(2024, 1, 5, 1, 10, 20), {1, 1, 1, 0, 0, 0, 1}},
      {D(2024, 1, 5, 23, 10, 21), {-1, 0, 0, 0, 0, 0, -1}},
      {D(2024, 1, 5, 23, 11, 0), {-1, -1, 0, 0, 0, 0, -1}},
      {D(2024, 2, 1, 0, 0, 0), {-1, -1, -1, -1, -1, 0, -1}},
      {D(2023, 12, 31, 0, 0, 0), {1, 1, 1, 1, 1, 1, 1}},
      {a, {0, 0, 0, 0, 0, 0, 0}},
  };
  for (const auto& c : cases) {
    for (int level = 0; level <= 6; ++level) {
      EXPECT_EQ(a.Compare(c.b, level), c.expect[level]) << c.b.Format(true) << " level " << level;
    }
  }
}

TEST(DateStamp, Format) {
  EXPECT_EQ(D(2024, 3, 7, 5, 9, 59).Format(true), "07.03.2024 05:09");
  EXPECT_EQ(D(2024, 3, 7, 5, 9, 59).Format(false), "07.03.2024");
  EXPECT_EQ(D(2024, 12, 31, 23, 0, 0).Format(true), "31.12.2024 23:00");
}

class TimeZone {
 public:
  explicit TimeZone(const char* tz) {
    const char* old = std::getenv("TZ");
    had_ = old != nullptr;
    if (had_) old_ = old;
    ::setenv("TZ", tz, 1);
    ::tzset();
  }
  ~TimeZone() {
    if (had_) {
      ::setenv("TZ", old_.c_str(), 1);
    } else {
      ::unsetenv("TZ");
    }
    ::tzset();
  }

 private:
  bool had_ = false;
  std::string old_;
};

TEST(DateStamp, DifferenceInDaysIgnoresTimeZoneAndDst) {
  struct Case {
    DateStamp a, b;
    int days;
  } cases[] = {
      {D(2024, 3, 31, 12), D(2024, 3, 30, 12), 1},  // across the EU spring change
      {D(2024, 10, 28), D(2024, 10, 26), 2},        // across the autumn change
      {D(2024, 3, 1), D(2024, 2, 1), 29},
      {D(2025, 1, 1), D(2024, 1, 1), 366},
      {D(2024, 1, 2, 0), D(2024, 1, 1, 1), 0},  // 23 hours: truncated
      {D(2024, 1, 1, 1), D(2024, 1, 2, 0), 0},
      {D(2024, 1, 1), D(2024, 1, 3, 1), -2},   // negative, truncated toward zero
      {D(2024, 2, 31), D(2024, 3, 1), 1},      // 31 February is 2 March
      {D(2024, 13, 1), D(2025, 1, 1), 0},      // month 13 is next January
  };
  for (const char* tz : {"UTC", "Europe/Moscow", "Europe/Berlin", "America/New_York"}) {
    TimeZone zone(tz);
    for (const auto& c : cases) {
      EXPECT_EQ(c.a.Difference(c.b, 3), c.days) << tz << " " << c.a.Format(true) << " - " << c.b.Format(true);
    }
  }
  EXPECT_EQ(D(2024, 1, 1).Difference(D(2019, 12, 31), 5), 5);
  EXPECT_EQ(D(2024, 1, 1).Difference(D(2019, 12, 31), 2), 0);
}

TEST(DateStamp, FromTimeUsesLocalTime) {
  std::time_t t = 1709766599;  // 2024-03-06 23:09:59 UTC
  {
    TimeZone zone("UTC");
    DateStamp s;
    s.FromTime(t);
    EXPECT_EQ(s, D(2024, 3, 6, 23, 9, 59));
  }
  {
    TimeZone zone("Europe/Moscow");  // UTC+3
    DateStamp s;
    s.FromTime(t);
    EXPECT_EQ(s, D(2024, 3, 7, 2, 9, 59));
  }
}

}  // namespace
