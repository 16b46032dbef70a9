#pragma once
// The regional settings that read and write dates and times. A plain value: the window
// fills it from the system, tests set it directly; the core never asks the machine.
#include <string>

namespace vantorel {

enum class DateOrder { MonthDayYear, DayMonthYear, YearMonthDay };

struct RegionalSettings {
  // Short date pattern: d, dd (day), m, mm (month), yy, yyyy (year), '/' standing for the
  // date separator, any other character written as it is.
  std::string shortDateFormat = "m/d/yy";
  char dateSeparator = '/';
  char timeSeparator = ':';
  char decimalSeparator = '.';
  // Morning and afternoon words, in Windows-1251 bytes.
  std::string timeAMString = "am";
  std::string timePMString = "pm";
  bool hourLeadingZero = false;
  bool clock24 = false;
  bool markerBeforeTime = false;

  // The first of the letters d, m, y or e (either case) in the short date format decides
  // the order; a format with none of them counts as month-day-year.
  DateOrder Order() const;
};

// What the text conversion needs besides the settings: the current year, from a clock that
// the caller reads (the window: the system clock; tests: any year).
struct DateTimeRules {
  RegionalSettings regional;
  int currentYear = 2000;
};

}  // namespace vantorel
