#pragma once
// The date-time value: days since 30 December 1899, 00:00, the fraction being the time of day.
#include <cstdint>

namespace vantorel {

using TDateTime = double;

inline constexpr double kMsPerDay = 86400000.0;
// One millisecond in days: two times closer than this count as equal.
inline constexpr double kOneMillisecond = 1.0 / kMsPerDay;

// 0 when a and b fall on the same day (whole parts truncated towards zero); otherwise
// -1 when a < b, else +1.
int CompareDatePart(TDateTime a, TDateTime b);

// Compares the times of day alone: 0 when they are less than one millisecond apart,
// else +1 when a's is later or equal, -1 when earlier.
int CompareTimePart(TDateTime a, TDateTime b);

bool IsLeapYear(int year);
int DaysInMonth(int year, int month);

// The day number of a Gregorian date; false when the date is invalid or outside years 1..9999.
bool TryEncodeDate(int year, int month, int day, TDateTime& out);

// The fraction of a day of a time given in parts.
inline constexpr TDateTime EncodeTime(int hour, int minute, int second, int millisecond) {
  return (hour * 3600000.0 + minute * 60000.0 + second * 1000.0 + millisecond) / kMsPerDay;
}

struct DateParts {
  int year = 0;
  int month = 0;
  int day = 0;
};

struct TimeParts {
  int hour = 0;
  int minute = 0;
  int second = 0;
  int millisecond = 0;
};

// The calendar date of a value's day (truncated towards zero).
DateParts DecodeDate(TDateTime value);
// The time of day of a value, rounded to the nearest millisecond.
TimeParts DecodeTime(TDateTime value);

// Milliseconds since midnight of a value's time of day, rounded, in 0..86399999.
int32_t TimeOfDayMs(TDateTime value);

}  // namespace vantorel
