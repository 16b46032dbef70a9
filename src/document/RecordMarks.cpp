#include "document/RecordMarks.h"

#include <algorithm>

#include "journals/JournalGrowth.h"

namespace vantorel {

void RecordMarks::Set(RecordIndex record, bool marked) {
  if (Contains(record) == marked) return;
  const size_t word = record.value / 64;
  if (word >= words_.size()) words_.resize(word + 1, 0);
  words_[word] ^= uint64_t{1} << (record.value % 64);
  count_ += marked ? 1 : static_cast<size_t>(-1);
}

std::optional<RecordIndex> RecordMarks::Next(RecordIndex record, bool forward) const {
  if (forward) {
    const size_t from = size_t{record.value} + 1;
    for (size_t w = from / 64; w < words_.size(); ++w) {
      uint64_t bits = words_[w];
      if (w == from / 64) bits &= ~uint64_t{0} << (from % 64);
      if (bits != 0) return RecordIndex{static_cast<uint32_t>(w * 64 + static_cast<size_t>(__builtin_ctzll(bits)))};
    }
    return std::nullopt;
  }
  if (record.value == 0) return std::nullopt;
  const size_t to = record.value - 1;
  for (size_t w = std::min(to / 64 + 1, words_.size()); w-- > 0;) {
    uint64_t bits = words_[w];
    if (w == to / 64 && to % 64 != 63) bits &= (uint64_t{1} << (to % 64 + 1)) - 1;
    if (bits != 0) return RecordIndex{static_cast<uint32_t>(w * 64 + 63 - static_cast<size_t>(__builtin_clzll(bits)))};
  }
  return std::nullopt;
}

std::optional<RecordIndex> RecordMarks::First(bool forward) const {
  if (forward) return Contains(RecordIndex{0}) ? std::optional<RecordIndex>(RecordIndex{0}) : Next(RecordIndex{0}, true);
  return Next(RecordIndex{static_cast<uint32_t>(words_.size() * 64)}, false);
}

RecordMarks RecordMarks::Moved(size_t unchanged, const std::vector<uint32_t>& moved) const {
  if (moved.empty()) return *this;
  RecordMarks out = Below(unchanged);
  for (size_t w = unchanged / 64; w < words_.size(); ++w) {
    for (uint64_t bits = words_[w]; bits != 0; bits &= bits - 1) {
      const size_t record = w * 64 + static_cast<size_t>(__builtin_ctzll(bits));
      if (record < unchanged) continue;
      const size_t slot = record - unchanged;
      if (slot < moved.size() && moved[slot] != kGoneRecord) out.Set(RecordIndex{moved[slot]}, true);
    }
  }
  return out;
}

RecordMarks RecordMarks::Below(size_t count) const {
  RecordMarks out;
  out.words_.assign(words_.begin(), words_.begin() + static_cast<std::ptrdiff_t>(std::min(words_.size(), (count + 63) / 64)));
  if (count % 64 != 0 && out.words_.size() == (count + 63) / 64) out.words_.back() &= (uint64_t{1} << (count % 64)) - 1;
  for (const uint64_t word : out.words_) out.count_ += static_cast<size_t>(__builtin_popcountll(word));
  return out;
}

}  // namespace vantorel
