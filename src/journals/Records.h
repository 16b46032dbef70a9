#pragma once
// Record texts: offsets into the journal's buffer, never copies.
#include <algorithm>
#include <cstdint>
#include <string_view>

namespace vantorel {

// The longest text a fixed-capacity field keeps; longer text keeps its first bytes.
inline constexpr size_t kFixedTextCapacity = 200;

// A fixed-capacity text: at most 200 bytes of the buffer.
struct FixedText {
  uint64_t offset : 56;
  uint64_t length : 8;
};

// A text of any length, in 8 bytes: a length of kLongTextApart or more is kept apart by the
// records that own the text (a field of 16 MB or more is rare).
struct LongText {
  uint64_t offset : 40;
  uint64_t length : 24;
};

inline constexpr uint64_t kLongTextApart = (uint64_t{1} << 24) - 1;

inline FixedText MakeFixedText(const char* base, std::string_view text) {
  if (text.empty()) return FixedText{0, 0};
  return FixedText{static_cast<uint64_t>(text.data() - base),
                   static_cast<uint64_t>(std::min(text.size(), kFixedTextCapacity))};
}


inline std::string_view TextAt(const char* base, FixedText t) { return {base + t.offset, t.length}; }

}  // namespace vantorel
