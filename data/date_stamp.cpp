#include "data/date_stamp.h"

#include "platform/str_format.h"

bool DateStamp::IsValid(int level) const {
  const unsigned l = static_cast<unsigned>(level);
  if (l > 5) return true;
  if (l == 0 && (second < 0 || second > 59)) return false;
  if (l <= 1 && (minute < 0 || minute > 59)) return false;
  if (l <= 2 && (hour < 0 || hour > 23)) return false;
  if (l <= 3 && (day < 1 || day > 31)) return false;
  if (l <= 4 && (month < 1 || month > 12)) return false;
  if (year < 2000 || year > 2037) return false;
  return true;
}

bool DateStamp::IsLeapYear(int y) { return y % 4 == 0 && (y % 100 != 0 || y % 400 == 0); }

bool DateStamp::Has31Days(int m) {
  return m == 1 || m == 3 || m == 5 || m == 7 || m == 8 || m == 10 || m == 12;
}

DateStamp& DateStamp::Increment(int level) {
  switch (level) {
    case kSecond:
      if (second == 59) {
        second = 0;
        Increment(kMinute);
      } else {
        ++second;
      }
      break;
    case kMinute:
      if (minute == 59) {
        minute = 0;
        Increment(kHour);
      } else {
        ++minute;
      }
      break;
    case kHour:
      if (hour == 23) {
        hour = 0;
        Increment(kDay);
      } else {
        ++hour;
      }
      break;
    case kDay: {
      bool last;
      if (Has31Days(month)) {
        last = day == 31;
      } else {
        last = day == 30;
        if (month == 2) last = last || day == (IsLeapYear(year) ? 29 : 28);
      }
      if (last) {
        day = 1;
        Increment(kMonth);
      } else {
        ++day;
      }
      break;
    }
    case kMonth:
      if (month == 12) {
        month = 1;
        Increment(kYear);
      } else {
        ++month;
      }
      break;
    case kYear:
      ++year;
      break;
    default:
      break;
  }
  return *this;
}

DateStamp& DateStamp::Decrement(int level) {
  switch (level) {
    case kSecond:
      if (second == 0) {
        second = 59;
        Decrement(kMinute);
      } else {
        --second;
      }
      break;
    case kMinute:
      if (minute == 0) {
        minute = 59;
        Decrement(kHour);
      } else {
        --minute;
      }
      break;
    case kHour:
      if (hour == 0) {
        hour = 23;
        Decrement(kDay);
      } else {
        --hour;
      }
      break;
    case kDay:
      if (day == 1) {
        // The previous month's length, judged from the current month.
        if (month == 1 || month == 8 || !Has31Days(month)) {
          day = 31;
        } else if (month == 3) {
          day = IsLeapYear(year) ? 29 : 28;
        } else {
          day = 30;  // May, July, October, December
        }
        Decrement(kMonth);
      } else {
        --day;
      }
      break;
    case kMonth:
      if (month == 1) {
        month = 12;
        Decrement(kYear);
      } else {
        --month;
      }
      break;
    case kYear:
      --year;
      break;
    default:
      break;
  }
  return *this;
}

int DateStamp::Compare(const DateStamp& other, int level) const {
  const int mine[6] = {year, month, day, hour, minute, second};
  const int theirs[6] = {other.year, other.month, other.day, other.hour, other.minute, other.second};
  // Level 5 looks at the year only, level 1 down to the minute; anything else at all six.
  int fields = 6;
  if (level >= 1 && level <= 5) fields = 6 - level;
  for (int i = 0; i < fields; ++i) {
    if (mine[i] < theirs[i]) return -1;
    if (mine[i] > theirs[i]) return 1;
  }
  return 0;
}

std::string DateStamp::Format(bool with_time) const {
  if (with_time) return zv::StrFormat("%02d.%02d.%d %02d:%02d", day, month, year, hour, minute);
  return zv::StrFormat("%02d.%02d.%d", day, month, year);
}

void DateStamp::FromTime(std::time_t t) {
  std::tm tm{};
  localtime_r(&t, &tm);
  year = tm.tm_year + 1900;
  month = tm.tm_mon + 1;
  day = tm.tm_mday;
  hour = tm.tm_hour;
  minute = tm.tm_min;
  second = tm.tm_sec;
}

namespace {

long long FloorDiv(long long a, long long b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

// Days from 1970-01-01 to the first of the month on the proleptic Gregorian
// calendar; months outside 1..12 roll into neighbouring years, as the C library's
// time conversion does.
long long DaysToMonthStart(long long y, long long m) {
  const long long q = FloorDiv(m - 1, 12);
  y += q;
  const long long mm = m - q * 12;
  // Howard Hinnant's days_from_civil.
  y -= mm <= 2;
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const long long yoe = y - era * 400;
  const long long mp = (mm + 9) % 12;
  const long long doy = (153 * mp + 2) / 5;
  const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

long long CivilSeconds(const DateStamp& s) {
  long long days = DaysToMonthStart(s.year, s.month) + (s.day - 1);
  return days * 86400LL + s.hour * 3600LL + s.minute * 60LL + s.second;
}

}  // namespace

int DateStamp::Difference(const DateStamp& other, int level) const {
  if (level == kYear) return year - other.year;
  if (level == kDay) return static_cast<int>((CivilSeconds(*this) - CivilSeconds(other)) / 86400LL);
  return 0;
}
