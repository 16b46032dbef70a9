#pragma once
// Field cutting and list lookup over single-byte journal text.
#include <cstring>
#include <string_view>
#include <vector>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace vantorel {

// The place of the first `c` in [p, p + n); n when there is none. Fields are short, so a
// call of memchr would cost more than the search.
inline size_t FindByte(const char* p, size_t n, char c) {
  size_t i = 0;
#ifdef __SSE2__
  const __m128i wanted = _mm_set1_epi8(c);
  for (; i + 16 <= n; i += 16) {
    const int mask = _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i)), wanted));
    if (mask != 0) return i + static_cast<size_t>(__builtin_ctz(static_cast<unsigned>(mask)));
  }
#endif
  for (; i < n; ++i) {
    if (p[i] == c) return i;
  }
  return n;
}

// Cuts the first field off `source` at `delimiter`: `field` receives the text before the
// first delimiter (all of `source` when there is none) and `source` keeps what follows,
// with the whole run of delimiters behind the field removed. An empty source gives an
// empty field. Views point into the caller's text; nothing is copied.
inline void CutField(std::string_view& source, char delimiter, std::string_view& field) {
  const size_t n = source.size();
  if (n == 0) {
    field = {};
    return;
  }
  const char* p = source.data();
  const size_t at = FindByte(p, n, delimiter);
  if (at == n) {
    field = source;
    source = {};
    return;
  }
  field = std::string_view(p, at);
  size_t next = at + 1;
  while (next < n && p[next] == delimiter) ++next;
  source.remove_prefix(next);
}

// True when some item of `list` equals `sought` byte for byte.
bool ContainsString(const std::vector<std::string_view>& list, std::string_view sought);

}  // namespace vantorel
