#pragma once
// The filters every view shares: a time-of-day window and value lists.
#include <string_view>
#include <vector>

#include "datetime/DateTime.h"

namespace vantorel {

// A value list's selection: item 0 lets every value through; any other item keeps the
// values equal to its text byte for byte; no item selected keeps only empty values.
struct ValueFilter {
  bool passAll = true;
  std::string_view text;

  static ValueFilter Select(int index, const std::vector<std::string_view>& items) {
    if (index == 0) return {};
    if (index < 0 || static_cast<size_t>(index) >= items.size()) return {false, {}};
    return {false, items[static_cast<size_t>(index)]};
  }

  bool Passes(std::string_view value) const { return passAll || value == text; }
};

// Both ends inclusive within one millisecond; only the time of day counts.
struct TimeWindow {
  TDateTime start = 0;
  TDateTime end = EncodeTime(23, 59, 59, 0);

  bool Passes(TDateTime t) const { return CompareTimePart(t, start) != -1 && CompareTimePart(t, end) != 1; }
};

}  // namespace vantorel
