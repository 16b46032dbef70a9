#include "journals/LineReaders.h"

#include <cstdint>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define VANTOREL_LINES_AVX2 1
#endif

namespace vantorel {
namespace {

// The first byte of [p, end) equal to a, b or c; end when there is none.
template <char A, char B, char C>
inline const char* FindAny(const char* p, const char* end) {
#ifdef __SSE2__
  const __m128i a = _mm_set1_epi8(A), b = _mm_set1_epi8(B), c = _mm_set1_epi8(C);
  while (end - p >= 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i hit = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, a), _mm_cmpeq_epi8(v, b)), _mm_cmpeq_epi8(v, c));
    const int mask = _mm_movemask_epi8(hit);
    if (mask != 0) return p + __builtin_ctz(static_cast<unsigned>(mask));
    p += 16;
  }
#endif
  for (; p != end; ++p) {
    if (*p == A || *p == B || *p == C) return p;
  }
  return end;
}

#ifdef VANTOREL_LINES_AVX2
// FindAny, thirty-two bytes at a time.
template <char A, char B, char C>
__attribute__((target("avx2"))) const char* FindAnyAvx2(const char* p, const char* end) {
  const __m256i a = _mm256_set1_epi8(A), b = _mm256_set1_epi8(B), c = _mm256_set1_epi8(C);
  while (end - p >= 32) {
    const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
    const __m256i hit = _mm256_or_si256(_mm256_or_si256(_mm256_cmpeq_epi8(v, a), _mm256_cmpeq_epi8(v, b)), _mm256_cmpeq_epi8(v, c));
    const auto mask = static_cast<unsigned>(_mm256_movemask_epi8(hit));
    if (mask != 0) return p + __builtin_ctz(mask);
    p += 32;
  }
  return FindAny<A, B, C>(p, end);
}

// Asked once, at the first line: a static initializer could run before the processor's
// features are known.
bool HasAvx2() {
  static const bool has = (__builtin_cpu_init(), __builtin_cpu_supports("avx2"));
  return has;
}
#endif

// FindAny on the widest registers the processor has.
template <char A, char B, char C>
inline const char* FindAnyWide(const char* p, const char* end) {
#ifdef VANTOREL_LINES_AVX2
  if (HasAvx2()) return FindAnyAvx2<A, B, C>(p, end);
#endif
  return FindAny<A, B, C>(p, end);
}

// Line feeds in [p, p + n), and CRs at [p, p + n - 1) not followed by a line feed.
void CountEnds(const char* text, size_t n, size_t& lineFeeds, size_t& loneCrs) {
  const auto* p = reinterpret_cast<const unsigned char*>(text);
  if (n == 0) return;
  size_t i = 0;
  const size_t last = n - 1;
#ifdef __SSE2__
  const __m128i lf = _mm_set1_epi8('\n');
  const __m128i cr = _mm_set1_epi8('\r');
  while (i + 16 < last) {
    // Byte counters take at most 255 blocks before they are summed up.
    __m128i feeds = _mm_setzero_si128(), crs = _mm_setzero_si128();
    for (int block = 0; block < 255 && i + 16 < last; ++block, i += 16) {
      const __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
      const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i + 1));
      // A match is 0xFF, that is -1: subtracting it counts one.
      feeds = _mm_sub_epi8(feeds, _mm_cmpeq_epi8(here, lf));
      crs = _mm_sub_epi8(crs, _mm_andnot_si128(_mm_cmpeq_epi8(next, lf), _mm_cmpeq_epi8(here, cr)));
    }
    const __m128i f = _mm_sad_epu8(feeds, _mm_setzero_si128());
    const __m128i c = _mm_sad_epu8(crs, _mm_setzero_si128());
    lineFeeds += static_cast<size_t>(_mm_cvtsi128_si32(f)) + static_cast<size_t>(_mm_extract_epi16(f, 4));
    loneCrs += static_cast<size_t>(_mm_cvtsi128_si32(c)) + static_cast<size_t>(_mm_extract_epi16(c, 4));
  }
#endif
  for (; i < last; ++i) {
    lineFeeds += p[i] == '\n';
    loneCrs += (p[i] == '\r') & (p[i + 1] != '\n');
  }
  lineFeeds += p[last] == '\n';
}

// How many bytes of [p, p + n) equal `c`.
size_t CountByte(const char* text, size_t n, char c) {
  const auto* p = reinterpret_cast<const unsigned char*>(text);
  size_t count = 0, i = 0;
#ifdef __SSE2__
  const __m128i wanted = _mm_set1_epi8(c);
  while (i + 16 <= n) {
    __m128i counters = _mm_setzero_si128();
    for (int block = 0; block < 255 && i + 16 <= n; ++block, i += 16) {
      counters = _mm_sub_epi8(counters, _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i)), wanted));
    }
    const __m128i sums = _mm_sad_epu8(counters, _mm_setzero_si128());
    count += static_cast<size_t>(_mm_cvtsi128_si32(sums)) + static_cast<size_t>(_mm_extract_epi16(sums, 4));
  }
#endif
  for (; i < n; ++i) count += p[i] == static_cast<unsigned char>(c);
  return count;
}

}  // namespace

bool WholeFileLines::Next(std::string_view& line) {
  cut_ = false;
  if (pos_ == end_) return false;
  const char* stop = FindAnyWide<'\n', '\r', '\0'>(pos_, end_);
  if (stop != end_ && *stop == '\0') {
    // The text ends here: nothing after it is read.
    const bool any = stop != pos_;
    line = std::string_view(pos_, static_cast<size_t>(stop - pos_));
    pos_ = end_ = stop;
    nul_ = true;
    return any;
  }
  line = std::string_view(pos_, static_cast<size_t>(stop - pos_));
  if (stop == end_ || (*stop == '\r' && stop + 1 == end_)) cut_ = true;
  if (stop == end_) {
    pos_ = end_;
    return true;
  }
  // A CR with an LF right after it is one line end.
  const bool pair = *stop == '\r' && stop + 1 != end_ && stop[1] == '\n';
  pos_ = stop + (pair ? 2 : 1);
  return true;
}

size_t WholeFileLines::Count(std::string_view bytes) {
  LineCounter counter;
  counter.Feed(bytes.data(), 0, bytes.size());
  counter.Finish(bytes.size());
  return counter.WholeLines();
}

bool TextLines::Next(std::string_view& line) {
  if (pos_ >= end_) return false;
  char* begin = pos_;
  // Once a CR has been dropped, the bytes after it move down to `out`.
  char* out = nullptr;
  char* p = begin;
  for (;;) {
    char* stop = const_cast<char*>(FindAnyWide<'\n', '\r', '\x1A'>(p, end_));
    if (out != nullptr) {
      std::memmove(out, p, static_cast<size_t>(stop - p));
      out += stop - p;
    }
    if (stop != end_ && *stop == '\r') {
      if (out == nullptr) out = stop;
      p = stop + 1;
      continue;
    }
    char* textEnd = out != nullptr ? out : stop;
    if (stop == end_) {
      pos_ = end_;
    } else if (*stop == '\n') {
      pos_ = stop + 1;
    } else {
      // Ctrl-Z ends the file: the line before it is the last one, if it began before it.
      pos_ = end_ = stop;
      if (stop == begin) return false;
    }
    line = std::string_view(begin, static_cast<size_t>(textEnd - begin));
    return true;
  }
}

const char* TextLineEnd(const char* begin, const char* end) { return FindAny<'\n', '\x1A', '\n'>(begin, end); }

const char* WholeFileTitleEnd(const char* begin, const char* end) { return FindAny<'\n', '\x1A', '\0'>(begin, end); }

std::string FirstTextLine(std::string_view bytes) {
  const size_t lineFeed = bytes.find('\n');
  std::string copy(bytes.substr(0, lineFeed == std::string_view::npos ? bytes.size() : lineFeed + 1));
  TextLines lines(copy.data(), copy.size());
  std::string_view line;
  return lines.Next(line) ? std::string(line) : std::string();
}

void LineCounter::Feed(const char* data, size_t from, size_t to) {
  if (from >= to) return;
  size_t wholeStop = from, feedsToWholeStop = 0;
  if (wholeEnd_ == kOpen) {
    const void* nul = std::memchr(data + from, '\0', to - from);
    wholeStop = nul != nullptr ? static_cast<size_t>(static_cast<const char*>(nul) - data) : to;
    if (wholeStop > from) {
      if (pendingCr_ && data[from] != '\n') ++wholeEnds_;
      size_t crs = 0;
      CountEnds(data + from, wholeStop - from, feedsToWholeStop, crs);
      wholeEnds_ += feedsToWholeStop + crs;
      pendingCr_ = data[wholeStop - 1] == '\r';
      wholeOpen_ = data[wholeStop - 1] != '\n' && data[wholeStop - 1] != '\r';
    }
    if (nul != nullptr) {
      if (pendingCr_) ++wholeEnds_;
      pendingCr_ = false;
      wholeEnd_ = wholeStop;
      nulLine_ = wholeEnds_ + 1;
    }
  }
  if (textEnd_ == kOpen) {
    const void* eof = std::memchr(data + from, 26, to - from);
    const size_t stop = eof != nullptr ? static_cast<size_t>(static_cast<const char*>(eof) - data) : to;
    if (stop > from) {
      // Most journals hold neither NUL nor Ctrl-Z: the line feeds counted above serve both rules.
      lineFeeds_ += stop == wholeStop ? feedsToWholeStop : CountByte(data + from, stop - from, '\n');
      textOpen_ = data[stop - 1] != '\n';
    }
    if (eof != nullptr) textEnd_ = stop;
  }
}

void LineCounter::Finish(size_t size) {
  if (wholeEnd_ == kOpen) {
    if (pendingCr_) ++wholeEnds_;
    pendingCr_ = false;
    wholeEnd_ = size;
  }
  if (textEnd_ == kOpen) textEnd_ = size;
}

}  // namespace vantorel
