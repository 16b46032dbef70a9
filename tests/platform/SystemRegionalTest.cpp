#include <gtest/gtest.h>

#include "datetime/DateTimeParse.h"
#include "datetime/DateTimeText.h"
#include "platform/SystemRegional.h"
#include "support/CoreTestSupport.h"

namespace vantorel {
namespace {

// What a system's regional settings make of one moment, and read back.
struct Seen {
  std::string text;
  TDateTime back = -1;
};

Seen RoundTrip(const RegionalSettings& settings, TDateTime value) {
  Seen seen;
  seen.text = DateTimeText(value, settings);
  TryStrToDateTime(seen.text, DateTimeRules{settings, 2026}, seen.back);
  return seen;
}

TEST(SystemRegional, TwelveHourAndTwentyFourHourLocales) {
  const TDateTime afternoon = test::At(2013, 11, 25, 14, 5, 9);

  // The United States: month first, the 12-hour clock with the locale's own words after the time.
  const RegionalSettings us = RegionalSettingsFromLocale(QLocale(QLocale::English, QLocale::UnitedStates));
  EXPECT_EQ(us.Order(), DateOrder::MonthDayYear);
  EXPECT_FALSE(us.clock24);
  EXPECT_FALSE(us.markerBeforeTime);
  EXPECT_EQ(us.timeSeparator, ':');
  EXPECT_EQ(us.timePMString, "PM");
  EXPECT_EQ(TimeText(afternoon, us), "2:05:09 PM");
  const Seen usSeen = RoundTrip(us, afternoon);
  EXPECT_EQ(usSeen.back, afternoon) << usSeen.text;

  // Russia: day first with full stops, the 24-hour clock with a leading zero.
  const RegionalSettings ru = RegionalSettingsFromLocale(QLocale(QLocale::Russian, QLocale::Russia));
  EXPECT_EQ(ru.Order(), DateOrder::DayMonthYear);
  EXPECT_EQ(ru.dateSeparator, '.');
  EXPECT_TRUE(ru.clock24);
  EXPECT_EQ(ru.decimalSeparator, ',');
  EXPECT_EQ(DateTimeText(afternoon, ru), "25.11.2013 14:05:09");

  // Finland writes the time with full stops: the time separator comes from the locale too.
  const RegionalSettings fi = RegionalSettingsFromLocale(QLocale(QLocale::Finnish, QLocale::Finland));
  EXPECT_EQ(fi.timeSeparator, '.');
  EXPECT_EQ(TimeText(afternoon, fi), "14.05.09");
  const Seen fiSeen = RoundTrip(fi, afternoon);
  EXPECT_EQ(fiSeen.back, afternoon) << fiSeen.text;

  // The C locale has no settings of its own: the stand-ins.
  const RegionalSettings c = RegionalSettingsFromLocale(QLocale::c());
  EXPECT_EQ(c.shortDateFormat, "m/d/yy");
  EXPECT_EQ(TimeText(afternoon, c), "2:05:09 pm");
}

}  // namespace
}  // namespace vantorel
