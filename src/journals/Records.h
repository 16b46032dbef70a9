#pragma once
// The records of one journal, kept column by column: the date-time values, each record's
// line as an offset into the journal's bytes, the filter-list item of each listed field, and
// the tone of each alarm. Texts are never copied; a field is cut from its line when asked for.
#include <array>
#include <cstdint>
#include <string_view>
#include <unordered_map>

#include "datetime/DateTime.h"
#include "journals/AlarmMessages.h"
#include "journals/JournalKinds.h"
#include "journals/LargeBlock.h"
#include "journals/ListItems.h"
#include "journals/TextMeasure.h"

namespace vantorel {

inline constexpr int kLineOffsetBits = 40;

// A record's line in the journal's bytes. A line of kLongLine bytes or more keeps its length
// apart (a line of 16 MB is rare).
struct LineText {
  uint64_t offset : kLineOffsetBits;
  uint64_t length : 24;
};

inline constexpr uint64_t kLongLine = (uint64_t{1} << 24) - 1;

struct JournalRecords {
  LargeArray<TDateTime> times;
  LargeArray<LineText> lines;
  // Only the kind's lists are filled.
  std::array<ListItems, kMaxLists> items;
  // Alarm journals only.
  LargeArray<TextTone> tones;
  // The lengths of lines of kLongLine bytes or more, by offset (of merged journals: by the
  // journal's number above kLineOffsetBits, and the offset).
  std::unordered_map<uint64_t, uint64_t> longLines;
  // The text columns' widths as the load measured them, when it was given a font's measure.
  BlockWidths widths;

  size_t size() const { return times.size(); }

  // The line of record `i` in the bytes at `base`; `longKey` marks its journal's long lines.
  std::string_view Line(const char* base, size_t i, uint64_t longKey = 0) const {
    const LineText t = lines[i];
    const uint64_t length = t.length == kLongLine ? longLines.at(longKey | t.offset) : t.length;
    return {base + t.offset, length};
  }

  // Room for `n` records of `kind`, the values of those past the size not set.
  void Resize(const KindDescription& kind, size_t n) {
    times.Resize(n);
    lines.Resize(n);
    for (int l = 0; l < kind.listCount; ++l) items[static_cast<size_t>(l)].Resize(n);
    if (kind.messageField >= 0) tones.Resize(n);
  }
  void Reserve(const KindDescription& kind, size_t n) {
    times.Reserve(n);
    lines.Reserve(n);
    for (int l = 0; l < kind.listCount; ++l) items[static_cast<size_t>(l)].Reserve(n);
    if (kind.messageField >= 0) tones.Reserve(n);
  }
};

// How a record keeps `line` of the bytes at `base`; the length of a long line goes into
// `longLines`, under `longKey` and its offset.
inline LineText LineTextOf(const char* base, std::string_view line, std::unordered_map<uint64_t, uint64_t>& longLines,
                           uint64_t longKey = 0) {
  const auto offset = static_cast<uint64_t>(line.data() - base);
  if (line.size() < kLongLine) return LineText{offset, line.size()};
  longLines[longKey | offset] = line.size();
  return LineText{offset, kLongLine};
}

// The storage a record takes, in bytes, for a journal of `kind`.
constexpr size_t RecordBytes(const KindDescription& kind) {
  return sizeof(TDateTime) + sizeof(LineText) + sizeof(uint32_t) * static_cast<size_t>(kind.listCount) +
         (kind.messageField >= 0 ? sizeof(TextTone) : 0);
}

}  // namespace vantorel
