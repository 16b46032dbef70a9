// The date-time text conversion under several regional settings. Byte 0 picks the settings,
// byte 1 the current year; the rest is the text. A value that converts must be a real
// moment of years 1 to 9999 (or a time alone on day 0); its table text must read back to
// the same second; a text that does not convert must raise the conversion error quoting it.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzSupport.h"
#include "datetime/DateTimeParse.h"
#include "datetime/DateTimeText.h"
#include "uStrUtils/AppError.h"

using namespace vantorel;

namespace {

// 1 January 1 and 31 December 9999 as day numbers.
constexpr double kFirstDay = -693593;
constexpr double kLastDay = 2958465;

bool FourDigitYears(const RegionalSettings& settings) {
  return settings.shortDateFormat.find("yyyy") != std::string::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  static const int kYears[4] = {2026, 1950, 9999, 1};
  const DateTimeRules rules = fuzz::SettingsNumber(data[0], kYears[data[1] % 4]);
  const std::string_view text(reinterpret_cast<const char*>(data) + 2, size - 2);

  TDateTime value = -1e300;
  const bool ok = TryStrToDateTime(text, rules, value);
  std::string message;
  TDateTime thrown = 0;
  try {
    thrown = StrToDateTime(text, rules);
  } catch (const AppError& error) {
    message = error.what();
  }
  if (!ok) {
    FUZZ_CHECK(value == -1e300);
    // The message is read as a C string: a NUL in the text ends it there.
    // A long text is quoted by its first 200 characters and "…".
    const std::string quoted = text.size() > 200 ? std::string(text.substr(0, 200)) + "\x85" : std::string(text);
    const std::string expected = "'" + quoted + "' is not a valid date and time";
    FUZZ_CHECK(message == expected.c_str());
    return 0;
  }
  FUZZ_CHECK(message.empty());
  FUZZ_CHECK(thrown == value);
  FUZZ_CHECK(!text.empty());
  FUZZ_CHECK(std::isfinite(value));
  const double day = std::trunc(value);
  FUZZ_CHECK(day >= kFirstDay && day <= kLastDay);
  // The fraction is a time of day: less than a whole day, and of the day's sign.
  const double fraction = value - day;
  FUZZ_CHECK(std::fabs(fraction) < 1.0);
  FUZZ_CHECK(day >= 0 ? fraction >= 0 : fraction <= 0);
  const DateParts date = DecodeDate(value);
  FUZZ_CHECK(date.year >= 1 && date.year <= 9999);

  // The table texts read back to the same day and second where they carry the full year
  // (a two-digit year may land in another century) and where a 12-hour clock names its
  // half of the day.
  const RegionalSettings& settings = rules.regional;
  const bool halvesNamed = settings.clock24 || (!settings.timeAMString.empty() && !settings.timePMString.empty());
  const bool separatorReadable = settings.dateSeparator != ' ';
  if (FourDigitYears(settings) && halvesNamed && separatorReadable) {
    const std::string shown = DateTimeText(value, settings);
    TDateTime back = 0;
    FUZZ_CHECK(TryStrToDateTime(shown, rules, back));
    FUZZ_CHECK(std::trunc(back) == day);
    FUZZ_CHECK(TimeOfDayMs(back) == TimeOfDayMs(value) / 1000 * 1000);
  }
  // The time text alone reads back as that time on day 0, unless the date and time
  // separators are one character, when "1.05.00" is a date.
  if (halvesNamed && settings.dateSeparator != settings.timeSeparator) {
    TDateTime back = -1;
    FUZZ_CHECK(TryStrToDateTime(TimeText(value, settings), rules, back));
    FUZZ_CHECK(back >= 0 && back < 1);
    FUZZ_CHECK(TimeOfDayMs(back) == TimeOfDayMs(value) / 1000 * 1000);
  }
  return 0;
}
