#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
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

using Expected = std::optional<TDateTime>;

DateTimeRules Russian(int year = 2026) {
  DateTimeRules rules;
  rules.currentYear = year;
  rules.regional.shortDateFormat = "dd/mm/yyyy";
  rules.regional.dateSeparator = '.';
  rules.regional.clock24 = true;
  rules.regional.hourLeadingZero = true;
  return rules;
}

TDateTime At(int y, int mo, int d, int h = 0, int mi = 0, int s = 0, int ms = 0) {
  TDateTime day = 0;
  EXPECT_TRUE(TryEncodeDate(y, mo, d, day));
  return day + EncodeTime(h, mi, s, ms);
}

// One reader reads the texts in order; each answer must be the general conversion's, bit
// for bit, and the value given.
void ExpectReads(const DateTimeRules& rules, const std::vector<std::pair<std::string, Expected>>& cases) {
  DateTimeReader reader(rules);
  for (const auto& [text, expected] : cases) {
    TDateTime general = -7, fast = -7;
    const bool ok = TryStrToDateTime(text, rules, general);
    EXPECT_EQ(reader.TryRead(text, fast), ok) << text;
    EXPECT_EQ(std::bit_cast<uint64_t>(fast), std::bit_cast<uint64_t>(general)) << text;
    EXPECT_EQ(ok ? Expected(fast) : std::nullopt, expected) << text;
  }
}

TEST(DateTimeReader, ReadsEachDateAfterAnother) {
  ExpectReads(Russian(), {
      {"25.11.2013 10:15:30", At(2013, 11, 25, 10, 15, 30)},
      {"25.11.2013 10:15:31", At(2013, 11, 25, 10, 15, 31)},
      {"25.11.2013", At(2013, 11, 25)},
      {"26.11.2013 10:15:31", At(2013, 11, 26, 10, 15, 31)},
      // Dates that start with the bytes of the one before.
      {"26.11.20 01:00:00", At(2020, 11, 26, 1)},
      {"26.11.201 00:00:00", At(201, 11, 26)},
      {"26.11.2013 01:00:00", At(2013, 11, 26, 1)},
      {"26.11.20134 01:00:00", std::nullopt},
      {"1.1.1 10:00:00", At(2001, 1, 1, 10)},
      {"1.1.1110:00:00", std::nullopt},
      {"6.11.2013 01:00:00", At(2013, 11, 6, 1)},
      {"6.1.2013 1:2:3", At(2013, 1, 6, 1, 2, 3)},
      {"32.11.2013 01:00:00", std::nullopt},
      // Before 30 December 1899 the time is taken off the day.
      {"29.12.1899 12:00:00", -1.5},
      {"29.12.1899", -1.0},
      {"30.12.1899 00:00:00", 0.0},
  });
  // Two-digit years on either side of the century window.
  DateTimeRules shortYears = Russian(2026);
  shortYears.regional.shortDateFormat = "dd/mm/yy";
  ExpectReads(shortYears, {
      {"02.01.76 10:00:00", At(1976, 1, 2, 10)},
      {"02.01.75 10:00:00", At(2075, 1, 2, 10)},
      {"02.01.076 00:00:00", At(76, 1, 2)},
  });
  ExpectReads(Russian(1), {{"02.01.00 10:00:00", std::nullopt}, {"02.01.0001 00:00:00", At(1, 1, 2)}});
}

TEST(DateTimeReader, ReadsTheTimeAsTheGeneralConversion) {
  ExpectReads(Russian(), {
      {"25.11.2013 10:15:30.250", At(2013, 11, 25, 10, 15, 30, 250)},
      {"25.11.2013 10:15:30.25", At(2013, 11, 25, 10, 15, 30, 25)},
      {"25.11.2013 10:15:30.5", At(2013, 11, 25, 10, 15, 30, 5)},
      {"25.11.2013 10:15:30.0250", At(2013, 11, 25, 10, 15, 30, 250)},
      {"25.11.2013 10:15:30.1000", std::nullopt},
      {"25.11.2013 10:15:30.", std::nullopt},
      {"25.11.2013 24:00:00", std::nullopt},
      {"25.11.2013 10:60:00", std::nullopt},
      {"25.11.2013 10:15:60", std::nullopt},
      {"25.11.2013 010:15:30", At(2013, 11, 25, 10, 15, 30)},
      // Text after a complete time is not examined, except a marker word, which counts on
      // the 24-hour clock too.
      {"25.11.2013 10:15:30 rest", At(2013, 11, 25, 10, 15, 30)},
      {"25.11.2013 10:15:30x", At(2013, 11, 25, 10, 15, 30)},
      {"25.11.2013 10:15x30", At(2013, 11, 25, 10, 15)},
      {"25.11.2013 10:15:30 pm", At(2013, 11, 25, 22, 15, 30)},
      {"25.11.2013 15:15:30 PM", std::nullopt},
      {"25.11.2013 10:15:30 ", At(2013, 11, 25, 10, 15, 30)},
      {"25.11.2013. 10:15:30", At(2013, 11, 25, 10, 15, 30)},
      {"25.11.2013 ", At(2013, 11, 25)},
  });
  // The clock of the text before, on another day, before 30 December 1899, and after one
  // that was no time.
  TDateTime old = 0;
  ASSERT_TRUE(TryEncodeDate(1800, 1, 1, old));
  ExpectReads(Russian(), {
      {"25.11.2013 10:15:30", At(2013, 11, 25, 10, 15, 30)},
      {"26.11.2013 10:15:30", At(2013, 11, 26, 10, 15, 30)},
      {"01.01.1800 10:15:30", old - EncodeTime(10, 15, 30, 0)},
      {"26.11.2013 10:15:60", std::nullopt},
      {"26.11.2013 10:15:30.5", At(2013, 11, 26, 10, 15, 30, 5)},
      {"26.11.2013 10:15:30", At(2013, 11, 26, 10, 15, 30)},
  });
  // With a decimal comma, the full stop ends the time.
  DateTimeRules comma = Russian();
  comma.regional.decimalSeparator = ',';
  ExpectReads(comma, {
      {"25.11.2013 10:15:30.250", At(2013, 11, 25, 10, 15, 30)},
      {"25.11.2013 10:15:30,250", At(2013, 11, 25, 10, 15, 30, 250)},
  });

  DateTimeRules twelve;
  twelve.currentYear = 2026;
  twelve.regional.timeAMString = test::W("дп");
  twelve.regional.timePMString = test::W("пп");
  ExpectReads(twelve, {
      {"11/25/13 10:15:30 pm", At(2013, 11, 25, 22, 15, 30)},
      {test::W("11/25/13 10:15:30 ПП"), At(2013, 11, 25, 22, 15, 30)},
      {test::W("11/25/13 дп 12:15:30.5"), At(2013, 11, 25, 0, 15, 30, 5)},
      {"11/25/13 10:15:30", At(2013, 11, 25, 10, 15, 30)},
      {"11/25/13 13:15:30 pm", std::nullopt},
      {"11/25/13 0:15:30 am", std::nullopt},
      {"11/25/13 pm 10:15:30 am", At(2013, 11, 25, 22, 15, 30)},
  });
}

TEST(DateTimeReader, StaysExactWhereSettingsMakeTheShapeAmbiguous) {
  // A morning word that starts with a digit is read at the hour: "1" then hour 0.
  DateTimeRules digitWord = Russian();
  // Built as a string: GCC 12 warns falsely (-Wrestrict) on assigning the one-byte literal.
  digitWord.regional.timeAMString = std::string("1");
  ExpectReads(digitWord, {{"25.11.2013 10:15:30", std::nullopt},
                          {"25.11.2013 20:15:30", At(2013, 11, 25, 20, 15, 30)}});

  // A blank date separator is skipped with the blanks, so no date has three numbers.
  DateTimeRules blank = Russian();
  blank.regional.dateSeparator = ' ';
  ExpectReads(blank, {{"25 11 2013 10:15:30", std::nullopt}, {"10:15:30", EncodeTime(10, 15, 30, 0)}});

  // A decimal separator that starts the afternoon word swallows it as a fraction.
  DateTimeRules letter;
  letter.regional.decimalSeparator = 'p';
  ExpectReads(letter, {{"11/25/13 10:15:30 pm", std::nullopt},
                       {"11/25/13 10:15:30p5", At(2013, 11, 25, 10, 15, 30, 5)}});

  // The same separator in the date, the time and before the fraction.
  DateTimeRules stops = Russian();
  stops.regional.timeSeparator = '.';
  stops.regional.shortDateFormat = "d/m/yyyy";
  ExpectReads(stops, {
      {"1.2.2013 10.15.30", At(2013, 2, 1, 10, 15, 30)},
      {"1.2.2013 10.15.30.25", At(2013, 2, 1, 10, 15, 30, 25)},
      {"1.2.2013. 10.15.30", At(2013, 2, 1, 10, 15, 30)},
  });

  // A date separator that starts a marker word before the time is the date's own last one.
  DateTimeRules dashes;
  dashes.regional.shortDateFormat = "yyyy/mm/dd";
  dashes.regional.dateSeparator = '-';
  dashes.regional.timePMString = "-am";
  ExpectReads(dashes, {{"2013-11-25 -am 10:15:30", At(2013, 11, 25, 10, 15, 30)},
                       {"2013-11-25 10:15:30 -am", At(2013, 11, 25, 22, 15, 30)}});
}

TEST(DateTimeReader, ReadRaisesTheGeneralError) {
  DateTimeReader reader(Russian());
  EXPECT_EQ(reader.Read("25.11.2013 10:15:30"), At(2013, 11, 25, 10, 15, 30));
  for (const std::string& text :
       {std::string("25.11.2013 24:00:00"), std::string("25.11.2013\0 1", 13), std::string()}) {
    try {
      reader.Read(text);
      ADD_FAILURE() << "no error for '" << text << "'";
    } catch (const AppError& error) {
      EXPECT_EQ(error.Message(), "'" + text + "' is not a valid date and time");
    }
  }
}

}  // namespace
}  // namespace vantorel
