#include <gtest/gtest.h>

#include "datetime/DateTime.h"

namespace vantorel {
namespace {

TDateTime On(double day, int h, int m, int s, int ms = 0) { return day + EncodeTime(h, m, s, ms); }

TEST(CompareTimePart, ToleratesLessThanOneMillisecond) {
  const TDateTime ten = On(41603, 10, 0, 0);
  EXPECT_EQ(CompareTimePart(ten, ten + 0.9 * kOneMillisecond), 0);
  EXPECT_EQ(CompareTimePart(ten + 0.9 * kOneMillisecond, ten), 0);
  EXPECT_EQ(CompareTimePart(ten, ten + 1.1 * kOneMillisecond), -1);
  EXPECT_EQ(CompareTimePart(ten + 1.1 * kOneMillisecond, ten), 1);
  // Exactly one millisecond apart is no longer equal.
  EXPECT_EQ(CompareTimePart(0.0, kOneMillisecond), -1);
}

TEST(CompareTimePart, IgnoresTheDay) {
  EXPECT_EQ(CompareTimePart(On(5, 23, 59, 59), On(6, 0, 0, 1)), 1);
  EXPECT_EQ(CompareTimePart(On(6, 0, 0, 1), On(5, 23, 59, 59)), -1);
  EXPECT_EQ(CompareTimePart(On(41603, 8, 30, 0), On(2, 8, 30, 0)), 0);
}

TEST(CompareDatePart, ComparesWholeDays) {
  EXPECT_EQ(CompareDatePart(On(5, 10, 0, 0), On(5, 23, 0, 0)), 0);
  EXPECT_EQ(CompareDatePart(On(5, 23, 59, 0), On(6, 0, 1, 0)), -1);
  EXPECT_EQ(CompareDatePart(On(6, 0, 1, 0), On(5, 23, 59, 0)), 1);
  // Truncation towards zero: -0.5 and 0.5 are both day 0.
  EXPECT_EQ(CompareDatePart(-0.5, 0.5), 0);
}

TEST(Calendar, EncodesDayNumbers) {
  TDateTime day = -1e9;
  ASSERT_TRUE(TryEncodeDate(1899, 12, 30, day));
  EXPECT_EQ(day, 0);
  ASSERT_TRUE(TryEncodeDate(1900, 1, 1, day));
  EXPECT_EQ(day, 2);
  ASSERT_TRUE(TryEncodeDate(2013, 11, 25, day));
  EXPECT_EQ(day, 41603);
  ASSERT_TRUE(TryEncodeDate(1899, 12, 29, day));
  EXPECT_EQ(day, -1);
  ASSERT_TRUE(TryEncodeDate(1, 1, 1, day));
  EXPECT_EQ(day, -693593);
  ASSERT_TRUE(TryEncodeDate(9999, 12, 31, day));
  EXPECT_EQ(day, 2958465);

  EXPECT_TRUE(TryEncodeDate(2000, 2, 29, day));
  EXPECT_TRUE(TryEncodeDate(2024, 2, 29, day));
  EXPECT_FALSE(TryEncodeDate(1900, 2, 29, day));
  EXPECT_FALSE(TryEncodeDate(2023, 2, 29, day));
  EXPECT_FALSE(TryEncodeDate(2024, 4, 31, day));
  EXPECT_FALSE(TryEncodeDate(2024, 13, 1, day));
  EXPECT_FALSE(TryEncodeDate(2024, 1, 0, day));
  EXPECT_FALSE(TryEncodeDate(0, 1, 1, day));
  EXPECT_FALSE(TryEncodeDate(10000, 1, 1, day));
}

TEST(Calendar, DecodesEveryDayBack) {
  for (int day = -693593; day <= 2958465; day += 7) {
    // A time of day moves the value away from zero on both sides of day 0.
    const DateParts d = DecodeDate(day < 0 ? day - 0.75 : day + 0.75);
    TDateTime encoded = 0;
    ASSERT_TRUE(TryEncodeDate(d.year, d.month, d.day, encoded)) << day;
    ASSERT_EQ(encoded, day);
  }
  const DateParts last = DecodeDate(2958465);
  EXPECT_EQ(last.year * 10000 + last.month * 100 + last.day, 99991231);
  EXPECT_EQ(DecodeDate(2958466).year, 0);
}

TEST(Calendar, DecodesTimeOfDay) {
  const TimeParts t = DecodeTime(On(41603, 13, 4, 5, 678));
  EXPECT_EQ(t.hour * 10000000 + t.minute * 100000 + t.second * 1000 + t.millisecond, 130405678);
  // Before day 0 the time of day is the fraction's absolute value.
  EXPECT_EQ(DecodeTime(-1.5).hour, 12);
  EXPECT_EQ(DecodeDate(-1.5).day, 29);
  EXPECT_EQ(TimeOfDayMs(7 + 0.9999999999), 86399999);
  EXPECT_EQ(TimeOfDayMs(7 + EncodeTime(0, 0, 0, 1) * 0.6), 1);
}

}  // namespace
}  // namespace vantorel
