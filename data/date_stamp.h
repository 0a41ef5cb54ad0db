#pragma once
// The date-time of the whole system: six integers compared and stepped by level.
//
// Not a calendar: a day past the month's end keeps counting, month steps never
// clamp the day, and validity only checks each field's own range.

#include <ctime>
#include <string>

class DateStamp {
 public:
  // Levels: the smallest field an operation looks at.
  enum Level { kSecond = 0, kMinute = 1, kHour = 2, kDay = 3, kMonth = 4, kYear = 5 };

  DateStamp() = default;  // 2000-01-01 00:00:00
  DateStamp(int y, int mo, int d, int h, int mi, int s)
      : year(y), month(mo), day(d), hour(h), minute(mi), second(s) {}

  void Copy(const DateStamp& other) { *this = other; }
  void SetYear(int v) { year = v; }
  void SetMonth(int v) { month = v; }
  void SetDay(int v) { day = v; }
  void SetHour(int v) { hour = v; }
  void SetMinute(int v) { minute = v; }
  void SetSecond(int v) { second = v; }

  // Checks the field of `level` and every field above it; a level outside 0..5
  // checks nothing.
  bool IsValid(int level) const;
  static bool IsLeapYear(int year);
  static bool Has31Days(int month);

  // One unit of the level, with carry (borrow) upward; changes the stamp in place.
  DateStamp& Increment(int level);
  DateStamp& Decrement(int level);

  // -1 when this is earlier, 1 when later, 0 when equal down to `level`.
  int Compare(const DateStamp& other, int level) const;

  // "dd.mm.yyyy hh:mm" or "dd.mm.yyyy".
  std::string Format(bool with_time) const;

  // The fields of a time value in local time.
  void FromTime(std::time_t t);
  // This minus other: level 5 in years, level 3 in whole days (truncated toward
  // zero). Counted on the civil calendar, so neither the time zone nor daylight
  // saving changes it. Other levels give 0.
  int Difference(const DateStamp& other, int level) const;

  bool operator==(const DateStamp&) const = default;

  int year = 2000;
  int month = 1;
  int day = 1;
  int hour = 0;
  int minute = 0;
  int second = 0;
};
