#pragma once
// The tests a record meets: a time-of-day window, a date range, value lists and the
// unimportant-alarm switch, each made once for a pass over many records.
#include <array>
#include <cmath>
#include <cstdint>
#include <string_view>
#include <vector>

#include "datetime/DateTime.h"
#include "journals/AlarmMessages.h"
#include "journals/JournalKinds.h"

namespace vantorel {

// The time of day of `t` as a fraction of a day: t - trunc(t), by a conversion that needs
// no library call (the values of journals are far inside the range of int64).
inline double DayFraction(TDateTime t) { return t - static_cast<double>(static_cast<int64_t>(t)); }

// The whole day of `t`, truncated towards zero.
inline double WholeDay(TDateTime t) { return static_cast<double>(static_cast<int64_t>(t)); }

// The list item a record's field equals; every loaded record knows it for each listed field.
inline constexpr uint32_t kNoItem = 0xFFFFFFFFu;

// A value list's selection: item 0 lets every value through; any other item keeps the
// records whose field equals its text byte for byte; no item selected keeps only the
// records whose field is empty. Records are matched by their item index, which stands for
// their exact text.
struct ValueFilter {
  bool passAll = true;
  uint32_t item = kNoItem;

  static ValueFilter Select(int index, const std::vector<std::string_view>& items) {
    if (index == 0) return {};
    if (index > 0 && static_cast<size_t>(index) < items.size()) return {false, static_cast<uint32_t>(index)};
    // No item selected (or one past the list): the compared text is empty.
    for (size_t i = 0; i < items.size(); ++i) {
      if (items[i].empty()) return {false, static_cast<uint32_t>(i)};
    }
    return {false, kNoItem};
  }

  bool Passes(uint32_t recordItem) const { return passAll || recordItem == item; }
};

// Both ends inclusive within one millisecond; only the time of day counts.
struct TimeWindow {
  TDateTime start = 0;
  TDateTime end = EncodeTime(23, 59, 59, 0);

  // The window with its bounds' times of day worked out once, for a pass over many records.
  // Passes(t) equals CompareTimePart(t, start) != -1 && CompareTimePart(t, end) != 1.
  struct Bounds {
    double start;
    double end;
    bool AtOrAfterStart(TDateTime t) const { return DayFraction(t) - start > -kOneMillisecond; }
    bool AtOrBeforeEnd(TDateTime t) const { return DayFraction(t) - end < kOneMillisecond; }
    bool Passes(TDateTime t) const { return AtOrAfterStart(t) && AtOrBeforeEnd(t); }
  };

  Bounds Prepared() const { return {start - std::trunc(start), end - std::trunc(end)}; }
};

// Every test of a kind's view, made ready for a pass.
struct RecordFilter {
  TimeWindow::Bounds time{};
  // Days count only where the kind's date range applies.
  bool dateRange = false;
  // Days count as a plain range, the time window applying on each of them.
  bool dayRange = false;
  TDateTime startDate = 0;
  TDateTime endDate = 0;
  int listCount = 0;
  std::array<ValueFilter, kMaxLists> lists{};
  bool hideUnimportant = false;

  // The time window; with a date range: the day at or after the start day, the time at or
  // after the start time on every day, a day before the end day whatever its time, and on the
  // end day itself times up to the end time.
  bool PassesMoment(TDateTime t) const {
    if (dayRange) return InDays(t) && time.Passes(t);
    if (!dateRange) return time.Passes(t);
    // CompareDatePart(t, startDate) == -1, and CompareDatePart(t, endDate), spelled out.
    const double day = WholeDay(t);
    if (day != WholeDay(startDate) && t < startDate) return false;
    if (!time.AtOrAfterStart(t)) return false;
    if (!EndTimeApplies(t)) return t < endDate;
    return time.AtOrBeforeEnd(t);
  }

  // From the start day to the end day, both whole.
  bool InDays(TDateTime t) const {
    const double day = WholeDay(t);
    return day >= WholeDay(startDate) && day <= WholeDay(endDate);
  }

  // Whether the end time bounds `t`: always without a date range, else on the end day only.
  bool EndTimeApplies(TDateTime t) const { return !dateRange || WholeDay(t) == WholeDay(endDate); }

  bool PassesTone(TextTone tone) const { return !hideUnimportant || tone != TextTone::Olive; }

  // The value lists, `items` holding the record's item of each, and the unimportant switch.
  bool PassesListsAndTone(const uint32_t* items, TextTone tone) const {
    for (int l = 0; l < listCount; ++l) {
      if (!lists[static_cast<size_t>(l)].Passes(items[l])) return false;
    }
    return PassesTone(tone);
  }
  // Every test of the view, in its order.
  bool Passes(TDateTime t, const uint32_t* items, TextTone tone) const {
    return PassesMoment(t) && PassesListsAndTone(items, tone);
  }

  // The date range alone, by whole days: from the start day to the end day, whatever the
  // time; true where the kind has no date range.
  bool PassesDays(TDateTime t) const {
    if (dayRange) return InDays(t);
    if (!dateRange) return true;
    const double day = WholeDay(t);
    if (day != WholeDay(startDate) && t < startDate) return false;
    return day == WholeDay(endDate) || t < endDate;
  }
};

}  // namespace vantorel
