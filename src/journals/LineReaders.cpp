#include "journals/LineReaders.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace vantorel {
namespace {

// Removes every CR of [begin, end) in place and returns the new end.
char* DropCarriageReturns(char* begin, char* end) {
  char* out = static_cast<char*>(std::memchr(begin, '\r', static_cast<size_t>(end - begin)));
  if (out == nullptr) return end;
  for (char* in = out; in != end; ++in) {
    if (*in != '\r') *out++ = *in;
  }
  return out;
}

// The place of the first `c` in `text` at or after `from` (< text.size()); text.size() when
// there is none.
size_t FindFrom(std::string_view text, size_t from, char c) {
  const void* hit = std::memchr(text.data() + from, c, text.size() - from);
  return hit == nullptr ? text.size() : static_cast<size_t>(static_cast<const char*>(hit) - text.data());
}

}  // namespace

WholeFileLines::WholeFileLines(std::string_view bytes) : text_(bytes.substr(0, bytes.find('\0'))) {
  if (!text_.empty()) {
    lf_ = FindFrom(text_, 0, '\n');
    cr_ = FindFrom(text_, 0, '\r');
  }
}

bool WholeFileLines::Next(std::string_view& line) {
  if (pos_ >= text_.size()) return false;
  // The next LF and the next CR are searched for again only once the reading has passed
  // them, so each byte is scanned once whichever line ends the file uses.
  if (lf_ < pos_) lf_ = FindFrom(text_, pos_, '\n');
  if (cr_ < pos_) cr_ = FindFrom(text_, pos_, '\r');
  const size_t stop = std::min(lf_, cr_);
  line = std::string_view(text_.data() + pos_, stop - pos_);
  if (stop == text_.size()) {
    pos_ = stop;
    return true;
  }
  // A CR with an LF right after it is one line end.
  const bool pair = text_[stop] == '\r' && stop + 1 < text_.size() && text_[stop + 1] == '\n';
  pos_ = stop + (pair ? 2 : 1);
  return true;
}

size_t WholeFileLines::CountLines(std::string_view text) {
  if (text.empty()) return 0;
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const size_t last = text.size() - 1;
  // Every LF ends a line, and so does every CR not directly followed by an LF; the last
  // byte is either a line end or the end of a last line without one.
  size_t ends = 1;
  size_t i = 0;
#ifdef __SSE2__
  const __m128i lf = _mm_set1_epi8('\n');
  const __m128i cr = _mm_set1_epi8('\r');
  while (i + 16 < last) {
    // Byte counters take at most 255 blocks before they are summed up.
    __m128i counters = _mm_setzero_si128();
    for (int block = 0; block < 255 && i + 16 < last; ++block, i += 16) {
      const __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
      const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i + 1));
      const __m128i loneCr = _mm_andnot_si128(_mm_cmpeq_epi8(next, lf), _mm_cmpeq_epi8(here, cr));
      // A match is 0xFF, that is -1: subtracting it counts one.
      counters = _mm_sub_epi8(counters, _mm_or_si128(_mm_cmpeq_epi8(here, lf), loneCr));
    }
    const __m128i sums = _mm_sad_epu8(counters, _mm_setzero_si128());
    ends += static_cast<size_t>(_mm_cvtsi128_si32(sums)) + static_cast<size_t>(_mm_extract_epi16(sums, 4));
  }
#endif
  for (; i < last; ++i) ends += (p[i] == '\n') | ((p[i] == '\r') & (p[i + 1] != '\n'));
  return ends;
}

TextLines::TextLines(char* data, size_t size) : data_(data), size_(size) {
  const void* eof = std::memchr(data, 26, size);
  if (eof != nullptr) size_ = static_cast<size_t>(static_cast<const char*>(eof) - data);
}

bool TextLines::Next(std::string_view& line) {
  if (pos_ >= size_) return false;
  char* begin = data_ + pos_;
  char* end = data_ + size_;
  char* lf = static_cast<char*>(std::memchr(begin, '\n', static_cast<size_t>(end - begin)));
  char* stop = lf != nullptr ? lf : end;
  pos_ = static_cast<size_t>(stop - data_) + (lf != nullptr ? 1 : 0);
  char* textEnd = DropCarriageReturns(begin, stop);
  line = std::string_view(begin, static_cast<size_t>(textEnd - begin));
  return true;
}

std::string FirstTextLine(std::string_view bytes) {
  bytes = bytes.substr(0, bytes.find('\x1A'));
  bytes = bytes.substr(0, bytes.find('\n'));
  std::string line(bytes);
  line.resize(static_cast<size_t>(DropCarriageReturns(line.data(), line.data() + line.size()) - line.data()));
  return line;
}

}  // namespace vantorel
