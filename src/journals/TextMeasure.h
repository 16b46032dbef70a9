#pragma once
// Widths of Windows-1251 texts in the table's font, and the widest text of each text column
// over each block of records, as a load measures them.
#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "journals/JournalKinds.h"

namespace vantorel {

// Records are taken in blocks of this many; a view notes where each block's rows begin.
inline constexpr size_t kRecordBlock = 128;

// Widths of Windows-1251 texts in the table's font: the sum of each byte's advance, kept in
// 1/64 pixel (the unit fonts measure in), rounded up to whole pixels only at the end, so a
// text's width is the same wherever it stands and adds up over pieces.
struct TextMeasure {
  std::array<uint32_t, 256> advance{};

  uint64_t Raw(std::string_view text) const {
    uint64_t sum = 0;
    for (char c : text) sum += advance[static_cast<unsigned char>(c)];
    return sum;
  }
  static int Pixels(uint64_t raw) { return static_cast<int>((raw + 63) / 64); }
  int Width(std::string_view text) const { return Pixels(Raw(text)); }
  // The widest byte: a text no longer than a width divided by it is no wider.
  uint64_t WidestByte() const {
    uint64_t widest = 0;
    for (uint32_t a : advance) widest = a > widest ? a : widest;
    return widest;
  }
  bool operator==(const TextMeasure&) const = default;
};

// Whether column `column` of a journal of `kind` shows the text of its line as it stands:
// neither the date and time nor a listed value.
constexpr bool IsTextColumn(const KindDescription& kind, int column) {
  return column < kind.columns && column != kind.dateTimeField && ListOfField(kind, column) < 0;
}

// The widest text, in pixels, of each text column over each block of records [0, records),
// measured as the records were parsed; the other columns' entries are 0.
struct BlockWidths {
  TextMeasure measure;
  size_t records = 0;
  // widest[column][block].
  std::array<std::vector<uint32_t>, kMaxColumns> widest;
  // The records were measured in another order than they now lie in: a block's widest may be
  // wider than any of its texts, never narrower.
  bool bounds = false;

  void Start(const TextMeasure& with, size_t count) {
    measure = with;
    records = count;
    for (auto& column : widest) column.assign((count + kRecordBlock - 1) / kRecordBlock, 0);
    bounds = false;
  }
  bool Measured(const TextMeasure& with, size_t count) const { return records == count && measure == with && count > 0; }
};

}  // namespace vantorel
