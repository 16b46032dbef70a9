#pragma once
// The filters every view shares: a time-of-day window and value lists.
#include <cmath>
#include <cstdint>
#include <string_view>
#include <vector>

#include "datetime/DateTime.h"

namespace vantorel {

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
    bool AtOrAfterStart(TDateTime t) const { return (t - std::trunc(t)) - start > -kOneMillisecond; }
    bool AtOrBeforeEnd(TDateTime t) const { return (t - std::trunc(t)) - end < kOneMillisecond; }
    bool Passes(TDateTime t) const { return AtOrAfterStart(t) && AtOrBeforeEnd(t); }
  };

  Bounds Prepared() const { return {start - std::trunc(start), end - std::trunc(end)}; }
};

}  // namespace vantorel
