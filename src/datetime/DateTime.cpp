#include "datetime/DateTime.h"

#include <cmath>

namespace vantorel {

namespace {

// Days from 1 January of year 1 (day 1) to 30 December 1899.
constexpr int64_t kDateDelta = 693594;
constexpr int64_t kFirstDay = 1 - kDateDelta;       // 1 January 1
constexpr int64_t kLastDay = 3652059 - kDateDelta;  // 31 December 9999

constexpr int kDaysBeforeMonth[2][13] = {
    {0, 0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334},
    {0, 0, 31, 60, 91, 121, 152, 182, 213, 244, 274, 305, 335},
};

}  // namespace

int CompareDatePart(TDateTime a, TDateTime b) {
  if (std::trunc(a) == std::trunc(b)) return 0;
  return a < b ? -1 : 1;
}

int CompareTimePart(TDateTime a, TDateTime b) {
  const double fa = a - std::trunc(a);
  const double fb = b - std::trunc(b);
  if (std::fabs(fa - fb) < kOneMillisecond) return 0;
  return fa >= fb ? 1 : -1;
}

bool IsLeapYear(int year) {
  return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

int DaysInMonth(int year, int month) {
  static constexpr int kDays[13] = {0, 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month];
}

bool TryEncodeDate(int year, int month, int day, TDateTime& out) {
  if (year < 1 || year > 9999 || month < 1 || month > 12) return false;
  if (day < 1 || day > DaysInMonth(year, month)) return false;
  const int64_t y = year - 1;
  const int64_t dayOfYear = kDaysBeforeMonth[IsLeapYear(year) ? 1 : 0][month] + day;
  out = static_cast<double>(y * 365 + y / 4 - y / 100 + y / 400 + dayOfYear - kDateDelta);
  return true;
}

DateParts DecodeDate(TDateTime value) {
  const double whole = std::trunc(value);
  // Also rejects NaN, whose comparisons are all false.
  if (!(whole >= static_cast<double>(kFirstDay) && whole <= static_cast<double>(kLastDay))) {
    return {};
  }
  constexpr int64_t kDays400 = 146097;
  constexpr int64_t kDays100 = 36524;
  constexpr int64_t kDays4 = 1461;
  constexpr int64_t kDays1 = 365;
  int64_t t = static_cast<int64_t>(whole) + kDateDelta - 1;
  int64_t year = 1 + t / kDays400 * 400;
  t %= kDays400;
  int64_t centuries = t / kDays100;
  t %= kDays100;
  // The last day of a 400-year cycle is the 366th day of its fourth century's last year.
  if (centuries == 4) {
    centuries = 3;
    t += kDays100;
  }
  year += centuries * 100 + t / kDays4 * 4;
  t %= kDays4;
  int64_t years = t / kDays1;
  t %= kDays1;
  if (years == 4) {
    years = 3;
    t += kDays1;
  }
  year += years;

  DateParts parts;
  parts.year = static_cast<int>(year);
  const int* before = kDaysBeforeMonth[IsLeapYear(parts.year) ? 1 : 0];
  int month = 12;
  while (before[month] > t) --month;
  parts.month = month;
  parts.day = static_cast<int>(t - before[month]) + 1;
  return parts;
}

int32_t TimeOfDayMs(TDateTime value) {
  if (!std::isfinite(value)) return 0;
  // Values before 30 December 1899 carry their time of day as a negative fraction.
  const double fraction = std::fabs(value - std::trunc(value));
  const int64_t ms = std::llround(fraction * kMsPerDay);
  // A time within half a millisecond of midnight stays on its own day.
  return ms >= 86400000 ? 86399999 : static_cast<int32_t>(ms);
}

TimeParts DecodeTime(TDateTime value) {
  int32_t ms = TimeOfDayMs(value);
  TimeParts parts;
  parts.hour = ms / 3600000;
  ms %= 3600000;
  parts.minute = ms / 60000;
  ms %= 60000;
  parts.second = ms / 1000;
  parts.millisecond = ms % 1000;
  return parts;
}

}  // namespace vantorel
