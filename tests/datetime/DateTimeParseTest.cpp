#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "datetime/DateTimeParse.h"
#include "datetime/DateTimeReader.h"
#include "support/TestFiles.h"
#include "uStrUtils/AppError.h"

namespace vantorel {
namespace {

DateTimeRules StandIn(int year = 2026) {
  DateTimeRules rules;
  rules.currentYear = year;
  return rules;
}

DateTimeRules Russian(int year = 2026) {
  DateTimeRules rules = StandIn(year);
  rules.regional.shortDateFormat = "dd/mm/yyyy";
  rules.regional.dateSeparator = '.';
  rules.regional.clock24 = true;
  rules.regional.hourLeadingZero = true;
  return rules;
}

DateTimeRules Iso() {
  DateTimeRules rules = StandIn();
  rules.regional.shortDateFormat = "yyyy/MM/dd";
  rules.regional.dateSeparator = '-';
  return rules;
}

std::optional<TDateTime> Parse(std::string_view text, const DateTimeRules& rules) {
  TDateTime value = 0;
  if (!TryStrToDateTime(text, rules, value)) return std::nullopt;
  return value;
}

TDateTime At(int y, int mo, int d, int h = 0, int mi = 0, int s = 0, int ms = 0) {
  TDateTime day = 0;
  EXPECT_TRUE(TryEncodeDate(y, mo, d, day));
  return day + EncodeTime(h, mi, s, ms);
}

TEST(StrToDateTime, ReadsDatesInEachOrder) {
  EXPECT_EQ(Parse("25.11.2013", Russian()), At(2013, 11, 25));
  EXPECT_EQ(Parse("11/25/2013", StandIn()), At(2013, 11, 25));
  EXPECT_EQ(Parse("2013-11-25", Iso()), At(2013, 11, 25));
  EXPECT_EQ(Parse("11.25.2013", Russian()), std::nullopt);
  // Two numbers take the current year; only day-month-year puts the day first.
  EXPECT_EQ(Parse("25.11", Russian()), At(2026, 11, 25));
  EXPECT_EQ(Parse("11/25", StandIn()), At(2026, 11, 25));
  EXPECT_EQ(Parse("11-25", Iso()), At(2026, 11, 25));
  EXPECT_EQ(Parse("29.02", Russian(2024)), At(2024, 2, 29));
  EXPECT_EQ(Parse("29.02", Russian(2023)), std::nullopt);
}

TEST(StrToDateTime, PlacesShortYearsAroundTheCurrentYear) {
  EXPECT_EQ(Parse("1/2/76", StandIn(2026)), At(1976, 1, 2));
  EXPECT_EQ(Parse("1/2/75", StandIn(2026)), At(2075, 1, 2));
  EXPECT_EQ(Parse("1/2/00", StandIn(2026)), At(2000, 1, 2));
  EXPECT_EQ(Parse("1/2/5", StandIn(2026)), At(2005, 1, 2));
  EXPECT_EQ(Parse("1/2/076", StandIn(2026)), At(76, 1, 2));
  EXPECT_EQ(Parse("1/2/40", StandIn(1990)), At(1940, 1, 2));
  EXPECT_EQ(Parse("1/2/39", StandIn(1990)), At(2039, 1, 2));
  EXPECT_EQ(Parse("76-1-2", Iso()), At(1976, 1, 2));
}

TEST(StrToDateTime, RefusesImpossibleDates) {
  EXPECT_EQ(Parse("29.02.2024", Russian()), At(2024, 2, 29));
  EXPECT_EQ(Parse("29.02.2000", Russian()), At(2000, 2, 29));
  for (const char* text : {"29.02.2023", "29.02.1900", "31.02.2024", "0.1.2024", "1.13.2024",
                           "1.1.0000", "1.1.10000", "1.1.4294967297"}) {
    EXPECT_EQ(Parse(text, Russian()), std::nullopt) << text;
  }
  EXPECT_EQ(Parse("1.1." + std::string(10000, '9'), Russian()), std::nullopt);
  EXPECT_EQ(Parse(std::string(10000, '0') + "25.11.2013", Russian()), At(2013, 11, 25));
}

TEST(StrToDateTime, ReadsTheTimeAfterTheDate) {
  const DateTimeRules ru = Russian();
  EXPECT_EQ(Parse("25.11.2013 10:15:30", ru), At(2013, 11, 25, 10, 15, 30));
  EXPECT_EQ(Parse("25.11.2013 10:15:30.5", ru), At(2013, 11, 25, 10, 15, 30, 5));
  EXPECT_EQ(Parse("25.11.2013 23:59:59.999", ru), At(2013, 11, 25, 23, 59, 59, 999));
  EXPECT_EQ(Parse("25.11.2013 7", ru), At(2013, 11, 25, 7));
  EXPECT_EQ(Parse("  25 .11. 2013  10 : 15 :30 . 250  ", ru), At(2013, 11, 25, 10, 15, 30, 250));
  EXPECT_EQ(Parse("25.11.2013. 10:15", ru), At(2013, 11, 25, 10, 15));
  EXPECT_EQ(Parse("25.11.", ru), At(2026, 11, 25));
  EXPECT_EQ(Parse("25.11.2013 10:15:30 rest", ru), At(2013, 11, 25, 10, 15, 30));
  // Before 30 December 1899 the whole part stays the day.
  EXPECT_EQ(Parse("29.12.1899 12:00", ru), -1.5);
  for (const char* text : {"25.11.2013 24:00", "25.11.2013 10:60", "25.11.2013 10:15:60",
                           "25.11.2013 10:15:30.1000", "25.11.2013 10:", "25.11.2013 10:15:",
                           "25.11.2013 10:15:30.", "25.11.2013 rest"}) {
    EXPECT_EQ(Parse(text, ru), std::nullopt) << text;
  }
}

TEST(StrToDateTime, ReadsMarkers) {
  const DateTimeRules us = StandIn();
  EXPECT_EQ(Parse("11/25/13 10:15:30 am", us), At(2013, 11, 25, 10, 15, 30));
  EXPECT_EQ(Parse("11/25/13 10:15:30 PM", us), At(2013, 11, 25, 22, 15, 30));
  EXPECT_EQ(Parse("11/25/13 pM 10:15", us), At(2013, 11, 25, 22, 15));
  EXPECT_EQ(Parse("11/25/13 12:30 AM", us), At(2013, 11, 25, 0, 30));
  EXPECT_EQ(Parse("11/25/13 12:30 pm", us), At(2013, 11, 25, 12, 30));
  EXPECT_EQ(Parse("11/25/13 13:00 pm", us), std::nullopt);
  EXPECT_EQ(Parse("11/25/13 0:30 am", us), std::nullopt);

  DateTimeRules own = Russian();
  own.regional.timeAMString = test::W("дп");
  own.regional.timePMString = test::W("пп");
  EXPECT_EQ(Parse(test::W("25.11.2013 10:00 ПП"), own), At(2013, 11, 25, 22));
  EXPECT_EQ(Parse(test::W("25.11.2013 дп 10:00"), own), At(2013, 11, 25, 10));
  EXPECT_EQ(Parse("25.11.2013 10:00 pm", own), At(2013, 11, 25, 22));
}

TEST(StrToDateTime, ReadsATimeAloneOnDayZero) {
  const DateTimeRules ru = Russian();
  EXPECT_EQ(Parse("10:15:30", ru), EncodeTime(10, 15, 30, 0));
  EXPECT_EQ(Parse(" 7 ", ru), EncodeTime(7, 0, 0, 0));
  EXPECT_EQ(Parse("10:15 PM", ru), EncodeTime(22, 15, 0, 0));
  for (const char* text : {"", "   ", "10:15 rest", "10:", "10:15:30.", "24:00", "x"}) {
    EXPECT_EQ(Parse(text, ru), std::nullopt) << '"' << text << '"';
  }
}

TEST(StrToDateTime, NamesTheWholeTextWhenItFails) {
  EXPECT_EQ(StrToDateTime("25.11.2013 10:15", Russian()), At(2013, 11, 25, 10, 15));
  for (std::string text : {"31.02.2024 10:00", ""}) {
    try {
      StrToDateTime(text, Russian());
      ADD_FAILURE() << "no error for '" << text << "'";
    } catch (const AppError& error) {
      EXPECT_EQ(std::string(error.what()), "'" + text + "' is not a valid date and time");
    }
  }
  EXPECT_THROW(StrToDateTime("x", StandIn()), AppError);
}

TEST(StrToDateTime, ReadsTheSeparatorsOfTheSettings) {
  // A full stop between the time's parts and a decimal comma, as Finnish settings write.
  DateTimeRules stops = Russian();
  stops.regional.shortDateFormat = "d/m/yyyy";
  stops.regional.timeSeparator = '.';
  stops.regional.decimalSeparator = ',';
  DateTimeRules twelve = StandIn();
  twelve.regional.timeSeparator = '.';
  twelve.regional.decimalSeparator = ',';
  const std::vector<std::pair<std::string, std::optional<TDateTime>>> cases{
      {"1.2.2013 10.15.30", At(2013, 2, 1, 10, 15, 30)},
      {"1.2.2013 10.15.30,250", At(2013, 2, 1, 10, 15, 30, 250)},
      {"1.2.2013 10.15", At(2013, 2, 1, 10, 15)},
      // The full stop is no decimal separator: the time ends before it.
      {"1.2.2013 10.15.30.250", At(2013, 2, 1, 10, 15, 30)},
      // The colon is no time separator: the hour stands alone.
      {"1.2.2013 10:15:30", At(2013, 2, 1, 10)},
      {"1.2.2013 10.15.30,", std::nullopt},
      {"10.15.30,5", EncodeTime(10, 15, 30, 5)},
      {"10:15:30", std::nullopt},
      {"10.15.30.5", std::nullopt},
  };
  for (const auto& [text, expected] : cases) {
    EXPECT_EQ(Parse(text, stops), expected) << text;
    // The reader of journal fields reads them alike.
    DateTimeReader reader(stops);
    TDateTime fast = 0;
    EXPECT_EQ(reader.TryRead(text, fast) ? std::optional<TDateTime>(fast) : std::nullopt, expected) << text;
  }
  EXPECT_EQ(Parse("11/25/13 10.15.30,5 pm", twelve), At(2013, 11, 25, 22, 15, 30, 5));
  EXPECT_EQ(Parse("11/25/13 pm 12.00", twelve), At(2013, 11, 25, 12));
  // The colon ends the time at the hour; what follows is not looked at.
  EXPECT_EQ(Parse("11/25/13 10:15:30 pm", twelve), At(2013, 11, 25, 10));
}

}  // namespace
}  // namespace vantorel
