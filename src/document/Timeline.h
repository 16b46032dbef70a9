#pragma once
// The day at a glance: how many records of each colour fall into each quarter of an hour.
#include <array>
#include <cstdint>

#include "document/JournalDocument.h"

namespace vantorel {

inline constexpr int kTimelineBins = 96;
inline constexpr int32_t kBinMs = 15 * 60 * 1000;

// The records of one bin, by the colour class of their text (Plain for journals that are not
// coloured).
struct BinCounts {
  std::array<uint32_t, 4> tones{};
  uint32_t Total() const { return tones[0] + tones[1] + tones[2] + tones[3]; }
};

using TimelineCounts = std::array<BinCounts, kTimelineBins>;

// The bin of a moment: its time of day, to the millisecond, in quarters of an hour.
inline int BinOf(TDateTime time) { return TimeOfDayMs(time) / kBinMs; }

// The time window a click on a bin sets, in whole seconds of the day, both ends inclusive.
inline constexpr int BinStartSecond(int bin) { return bin * (kBinMs / 1000); }
inline constexpr int BinEndSecond(int bin) { return (bin + 1) * (kBinMs / 1000) - 1; }

// For each bin, the rows the view shows with its time window set to that bin's click window.
// Where the end time bounds only the end day of a date range, records of the earlier days
// pass from the window's start on whatever their bin, so these may exceed the bin's records.
using TimelineClickRows = std::array<uint32_t, kTimelineBins>;

// Every record that passes `state` but for its time window, counted into the bin of its time
// of day; for kinds with a date range, the days from the start day to the end day count.
// With `clickRows`, fills it too in the same pass.
TimelineCounts CountTimeline(const JournalDocument& document, const FilterState& state,
                             TimelineClickRows* clickRows = nullptr);

}  // namespace vantorel
