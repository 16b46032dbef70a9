#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <random>

#include <cmath>
#include <utility>

#include "datetime/DateTimeParse.h"
#include "datetime/DateTimeText.h"

namespace vantorel {
namespace {

RegionalSettings Russian() {
  RegionalSettings s;
  s.shortDateFormat = "dd/mm/yyyy";
  s.dateSeparator = '.';
  s.clock24 = true;
  s.hourLeadingZero = true;
  return s;
}

TDateTime At(int y, int mo, int d, int h = 0, int mi = 0, int s = 0, int ms = 0) {
  TDateTime day = 0;
  EXPECT_TRUE(TryEncodeDate(y, mo, d, day));
  return day + EncodeTime(h, mi, s, ms);
}

TEST(RegionalSettings, OrderFollowsTheFirstDateLetter) {
  RegionalSettings s;
  EXPECT_EQ(s.Order(), DateOrder::MonthDayYear);
  for (auto [format, order] : {std::pair{"dd/MM/yyyy", DateOrder::DayMonthYear},
                               std::pair{"M.d.yy", DateOrder::MonthDayYear},
                               std::pair{"YYYY-mm-dd", DateOrder::YearMonthDay},
                               std::pair{"ee/m/d", DateOrder::YearMonthDay},
                               std::pair{"-", DateOrder::MonthDayYear}}) {
    s.shortDateFormat = format;
    EXPECT_EQ(s.Order(), order) << format;
  }
}

TEST(TimeText, StandInSettings) {
  RegionalSettings s;
  EXPECT_EQ(TimeText(At(2013, 11, 25, 9, 5, 7), s), "9:05:07 am");
  EXPECT_EQ(TimeText(At(2013, 11, 25, 22, 5, 7, 999), s), "10:05:07 pm");
  EXPECT_EQ(TimeText(At(2013, 11, 25, 0, 30), s), "12:30:00 am");
  EXPECT_EQ(TimeText(At(2013, 11, 25, 12, 0), s), "12:00:00 pm");
  s.markerBeforeTime = true;
  s.hourLeadingZero = true;
  EXPECT_EQ(TimeText(At(2013, 11, 25, 13, 0), s), "pm 01:00:00");
}

TEST(TimeText, RussianSettings) {
  RegionalSettings s = Russian();
  EXPECT_EQ(TimeText(At(2013, 11, 25, 9, 5, 7), s), "09:05:07");
  EXPECT_EQ(TimeText(At(2013, 11, 25, 23, 59, 59, 999), s), "23:59:59");
  EXPECT_EQ(TimeText(EncodeTime(0, 0, 1, 0), s), "00:00:01");
  s.timeSeparator = '.';
  EXPECT_EQ(TimeText(At(2013, 11, 25, 22, 5, 7), s), "22.05.07");
}

TEST(DateTimeText, DateAloneAtMidnight) {
  const RegionalSettings ru = Russian();
  EXPECT_EQ(DateTimeText(At(2013, 11, 5, 0, 0, 0, 400), ru), "05.11.2013");
  EXPECT_EQ(DateTimeText(At(2013, 11, 5, 0, 0, 1), ru), "05.11.2013 00:00:01");
  EXPECT_EQ(DateTimeText(At(2013, 11, 5, 10, 15, 30), RegionalSettings{}), "11/5/13 10:15:30 am");
  EXPECT_EQ(DateTimeText(-1.5, RegionalSettings{}), "12/29/99 12:00:00 pm");
  RegionalSettings s;
  s.shortDateFormat = "y-MM-D, yyy";
  s.dateSeparator = '-';
  EXPECT_EQ(DateTimeText(At(76, 2, 3), s), "76-02-3, 0076");
}

TEST(DateTimeText, ReadsBackWhatItWrites) {
  DateTimeRules us;
  us.currentYear = 2026;
  DateTimeRules ru = us;
  ru.regional = Russian();
  for (TDateTime value : {At(2013, 11, 25, 10, 15, 30), At(2024, 2, 29), At(1999, 12, 31, 23, 59, 59),
                          At(2030, 1, 1, 0, 30), At(2000, 6, 1, 12, 0, 1)}) {
    for (const DateTimeRules* rules : {&us, &ru}) {
      const std::string text = DateTimeText(value, rules->regional);
      EXPECT_EQ(StrToDateTime(text, *rules), value) << text;
      const TDateTime time = StrToDateTime(TimeText(value, rules->regional), *rules);
      EXPECT_EQ(std::trunc(time), 0) << text;
      EXPECT_EQ(TimeOfDayMs(time), TimeOfDayMs(value)) << text;
    }
  }
}

// The same journal line written with each desk's settings gives one moment.
TEST(IsoMoment, ComesFromTheValueNotTheSettings) {
  RegionalSettings english;
  english.shortDateFormat = "M/d/yyyy";
  english.timeAMString = "AM";
  english.timePMString = "PM";
  RegionalSettings before = english;
  before.markerBeforeTime = true;
  before.hourLeadingZero = true;
  const struct {
    TDateTime value;
    const char* moment;
  } cases[] = {
      {At(2013, 11, 25, 14, 5, 9), "2013-11-25T14:05:09.000"},
      {At(2013, 11, 25, 0, 0, 0, 5), "2013-11-25T00:00:00.005"},
      {At(2024, 2, 29, 12, 30, 1, 250), "2024-02-29T12:30:01.250"},
      {EncodeTime(9, 15, 0, 0), "1899-12-30T09:15:00.000"},
      {At(2013, 11, 25) + 86399999.5 / kMsPerDay, "2013-11-25T23:59:59.999"},
      {-1.5, "1899-12-29T12:00:00.000"},
  };
  for (const auto& c : cases) {
    std::string moment;
    AppendIsoMoment(moment, c.value);
    EXPECT_EQ(moment, c.moment);
  }
  for (const RegionalSettings& settings : {Russian(), english, RegionalSettings{}, before}) {
    DateTimeRules rules;
    rules.regional = settings;
    rules.currentYear = 2026;
    for (TDateTime value : {At(2013, 11, 25, 14, 5, 9), At(1999, 12, 31, 23, 59, 59), EncodeTime(0, 30, 0, 0)}) {
      const std::string text = value < 1 ? TimeText(value, settings) : DateTimeText(value, settings);
      std::string read, written;
      AppendIsoMoment(read, StrToDateTime(text, rules));
      AppendIsoMoment(written, value);
      EXPECT_EQ(read, written) << text;
    }
  }
}

// Every day from year 1 to 9999, against the calendar of the standard library: four digits
// of year however small, two of month and day, the time to the millisecond.
TEST(IsoMoment, EveryYearHasFourDigitsAsTheCalendarSays) {
  using namespace std::chrono;
  constexpr int kFirstDay = -693593;  // 1 January 1
  constexpr int kLastDay = 2958465;   // 31 December 9999
  std::mt19937 random(1000);
  for (int round = 0; round < 20000; ++round) {
    // The first thousand years in every other round.
    const int span = round % 2 == 0 ? 365243 : kLastDay - kFirstDay;
    const int day = kFirstDay + static_cast<int>(random() % static_cast<unsigned>(span + 1));
    const int32_t ms = static_cast<int32_t>(random() % 86400000);
    const year_month_day date{sys_days{days{day - 25569}}};
    char model[32];
    std::snprintf(model, sizeof model, "%04d-%02u-%02uT%02d:%02d:%02d.%03d", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()), ms / 3600000, ms / 60000 % 60,
                  ms / 1000 % 60, ms % 1000);
    std::string moment;
    // A time is added to a day counted backwards before 30 December 1899.
    const TDateTime value = day + (day < 0 ? -1.0 : 1.0) * ms / kMsPerDay;
    AppendIsoMoment(moment, value);
    ASSERT_EQ(moment, model) << "day " << day << ", ms " << ms;
  }
}

}  // namespace
}  // namespace vantorel
