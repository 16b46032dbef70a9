#include "datetime/DateTimeText.h"

namespace vantorel {

namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

void AppendNumber(std::string& out, int value, int minDigits) {
  char digits[12];
  int n = 0;
  unsigned v = value < 0 ? 0u : static_cast<unsigned>(value);
  do {
    digits[n++] = static_cast<char>('0' + v % 10);
    v /= 10;
  } while (v != 0 && n < 12);
  for (int i = n; i < minDigits; ++i) out += '0';
  while (n > 0) out += digits[--n];
}

}  // namespace

DateOrder RegionalSettings::Order() const {
  for (char c : shortDateFormat) {
    switch (Lower(c)) {
      case 'd': return DateOrder::DayMonthYear;
      case 'm': return DateOrder::MonthDayYear;
      case 'y':
      case 'e': return DateOrder::YearMonthDay;
      default: break;
    }
  }
  return DateOrder::MonthDayYear;
}

void AppendTimeText(std::string& out, TDateTime value, const RegionalSettings& settings) {
  const int32_t seconds = TimeOfDayMs(value) / 1000;
  int hour = seconds / 3600;
  const std::string* word = nullptr;
  if (!settings.clock24) {
    word = hour < 12 ? &settings.timeAMString : &settings.timePMString;
    hour %= 12;
    if (hour == 0) hour = 12;
    // An empty word leaves no blank behind.
    if (word->empty()) word = nullptr;
  }
  if (word && settings.markerBeforeTime) {
    out += *word;
    out += ' ';
  }
  AppendNumber(out, hour, settings.hourLeadingZero ? 2 : 1);
  out += settings.timeSeparator;
  AppendNumber(out, seconds / 60 % 60, 2);
  out += settings.timeSeparator;
  AppendNumber(out, seconds % 60, 2);
  if (word && !settings.markerBeforeTime) {
    out += ' ';
    out += *word;
  }
}

void AppendDateText(std::string& out, TDateTime value, const RegionalSettings& settings) {
  const DateParts date = DecodeDate(value);
  const std::string& format = settings.shortDateFormat;
  for (size_t i = 0; i < format.size();) {
    const char letter = Lower(format[i]);
    if (letter != 'd' && letter != 'm' && letter != 'y') {
      out += format[i] == '/' ? settings.dateSeparator : format[i];
      ++i;
      continue;
    }
    size_t run = 1;
    while (i + run < format.size() && Lower(format[i + run]) == letter) ++run;
    i += run;
    const int width = run >= 2 ? 2 : 1;
    if (letter == 'd') {
      AppendNumber(out, date.day, width);
    } else if (letter == 'm') {
      AppendNumber(out, date.month, width);
    } else if (run <= 2) {
      AppendNumber(out, date.year % 100, 2);
    } else {
      AppendNumber(out, date.year, 4);
    }
  }
}

void AppendDateTimeText(std::string& out, TDateTime value, const RegionalSettings& settings) {
  AppendDateText(out, value, settings);
  if (TimeOfDayMs(value) / 1000 != 0) {
    out += ' ';
    AppendTimeText(out, value, settings);
  }
}

void AppendIsoMoment(std::string& out, TDateTime value) {
  const DateParts date = DecodeDate(value);
  const int32_t ms = TimeOfDayMs(value);
  AppendNumber(out, date.year, 4);
  out += '-';
  AppendNumber(out, date.month, 2);
  out += '-';
  AppendNumber(out, date.day, 2);
  out += 'T';
  AppendNumber(out, ms / 3600000, 2);
  out += ':';
  AppendNumber(out, ms / 60000 % 60, 2);
  out += ':';
  AppendNumber(out, ms / 1000 % 60, 2);
  out += '.';
  AppendNumber(out, ms % 1000, 3);
}

std::string TimeText(TDateTime value, const RegionalSettings& settings) {
  std::string out;
  AppendTimeText(out, value, settings);
  return out;
}

std::string DateTimeText(TDateTime value, const RegionalSettings& settings) {
  std::string out;
  AppendDateTimeText(out, value, settings);
  return out;
}

}  // namespace vantorel
