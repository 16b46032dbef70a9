#include "document/ByteSearch.h"

#include <array>
#include <cstring>

#include "uStrUtils/CaseFold1251.h"

#if defined(__x86_64__)
#include <immintrin.h>
#define VANTOREL_X86 1
#endif

namespace vantorel {
namespace {

// How often journal text holds a byte (either case of a letter), roughly, by rank: 0 for
// the rarest. Russian letters by their frequency in text; the digits, separators and blanks
// that every date and time is made of above them all.
constexpr std::array<unsigned char, 256> MakeCommonness() {
  std::array<unsigned char, 256> rank{};
  for (int b = 'a'; b <= 'z'; ++b) rank[static_cast<size_t>(b)] = 20;
  for (int b = 'A'; b <= 'Z'; ++b) rank[static_cast<size_t>(b)] = 20;
  // о е а и н т с р в л к м д п у я ы ь г з б ч й х ж ш ю ц щ э ф ъ, in Windows-1251.
  constexpr unsigned char kLetters[] = {0xEE, 0xE5, 0xE0, 0xE8, 0xED, 0xF2, 0xF1, 0xF0, 0xE2, 0xEB, 0xEA,
                                        0xEC, 0xE4, 0xEF, 0xF3, 0xFF, 0xFB, 0xFC, 0xE3, 0xE7, 0xE1, 0xF7,
                                        0xE9, 0xF5, 0xE6, 0xF8, 0xFE, 0xF6, 0xF9, 0xFD, 0xF4, 0xFA};
  for (size_t i = 0; i < std::size(kLetters); ++i) {
    const auto value = static_cast<unsigned char>(200 - 5 * i);
    rank[kLetters[i]] = value;
    rank[kLetters[i] - 0x20] = value;
  }
  for (int b = '0'; b <= '9'; ++b) rank[static_cast<size_t>(b)] = 230;
  for (const unsigned char b : {' ', '\t', ':', '.', '/', '-'}) rank[b] = 240;
  return rank;
}

constexpr std::array<unsigned char, 256> kCommonness = MakeCommonness();

#ifdef VANTOREL_X86
bool HasAvx2() {
  static const bool has = __builtin_cpu_supports("avx2");
  return has;
}
#endif

}  // namespace

ByteSearch::Counts ByteSearch::CountsOf(std::string_view bytes) {
  constexpr size_t kPieces = 16, kPiece = 16384;
  Counts counts{};
  for (size_t p = 0; p < kPieces; ++p) {
    const size_t from = bytes.size() / kPieces * p;
    for (const char c : bytes.substr(from, kPiece)) ++counts[static_cast<unsigned char>(c)];
  }
  return counts;
}

ByteSearch::ByteSearch(std::string_view text, bool matchCase, const Counts* counts) : text_(text), fold_(!matchCase) {
  if (fold_) {
    for (char& c : text_) c = static_cast<char>(FoldCase1251(static_cast<unsigned char>(c)));
  }
  if (text_.empty()) return;
  // The rarest byte, then the rarest at another place (the same place for a text of one byte).
  auto rarity = [this, counts](size_t i) -> uint64_t {
    const auto c = static_cast<unsigned char>(text_[i]);
    if (counts == nullptr) return kCommonness[c];
    const unsigned char other = fold_ ? OtherCase1251(c) : c;
    return uint64_t{(*counts)[c]} + (other != c ? (*counts)[other] : 0);
  };
  for (size_t i = 1; i < text_.size(); ++i) {
    if (rarity(i) < rarity(first_)) first_ = i;
  }
  second_ = first_;
  for (size_t i = 0; i < text_.size(); ++i) {
    if (i != first_ && (second_ == first_ || rarity(i) < rarity(second_))) second_ = i;
  }
  auto cases = [this](size_t i, unsigned char (&out)[2]) {
    const auto c = static_cast<unsigned char>(text_[i]);
    out[0] = c;
    out[1] = fold_ ? OtherCase1251(c) : c;
  };
  cases(first_, firstBytes_);
  cases(second_, secondBytes_);
}

bool ByteSearch::At(const char* at) const {
  if (!fold_) return std::memcmp(at, text_.data(), text_.size()) == 0;
  const std::array<unsigned char, 256>& fold = FoldTable1251();
  for (size_t k = 0; k < text_.size(); ++k) {
    if (fold[static_cast<unsigned char>(at[k])] != static_cast<unsigned char>(text_[k])) return false;
  }
  return true;
}

size_t ByteSearch::FindScalar(const char* h, size_t from, size_t last) const {
  for (size_t i = from; i <= last; ++i) {
    const auto a = static_cast<unsigned char>(h[i + first_]);
    if (a != firstBytes_[0] && a != firstBytes_[1]) continue;
    if (At(h + i)) return i;
  }
  return npos;
}

#ifdef VANTOREL_X86
size_t ByteSearch::FindSse2(const char* h, size_t n, size_t from) const {
  const size_t last = n - text_.size();
  const __m128i a0 = _mm_set1_epi8(static_cast<char>(firstBytes_[0]));
  const __m128i a1 = _mm_set1_epi8(static_cast<char>(firstBytes_[1]));
  const __m128i b0 = _mm_set1_epi8(static_cast<char>(secondBytes_[0]));
  const __m128i b1 = _mm_set1_epi8(static_cast<char>(secondBytes_[1]));
  auto candidates = [&](size_t i) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(h + i + first_));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(h + i + second_));
    const __m128i hitA = _mm_or_si128(_mm_cmpeq_epi8(a, a0), _mm_cmpeq_epi8(a, a1));
    const __m128i hitB = _mm_or_si128(_mm_cmpeq_epi8(b, b0), _mm_cmpeq_epi8(b, b1));
    return static_cast<unsigned>(_mm_movemask_epi8(_mm_and_si128(hitA, hitB)));
  };
  size_t i = from;
  for (; i + 16 <= last + 1; i += 16) {
    for (unsigned mask = candidates(i); mask != 0; mask &= mask - 1) {
      const size_t at = i + static_cast<size_t>(__builtin_ctz(mask));
      if (At(h + at)) return at;
    }
  }
  if (i > last) return npos;
  if (last + 1 < 16) return FindScalar(h, i, last);
  // The places left, in one block that ends at the last place and overlaps those looked at.
  const size_t block = last + 1 - 16;
  for (unsigned mask = candidates(block) >> (i - block); mask != 0; mask &= mask - 1) {
    const size_t at = i + static_cast<size_t>(__builtin_ctz(mask));
    if (At(h + at)) return at;
  }
  return npos;
}

__attribute__((target("avx2"))) size_t ByteSearch::FindAvx2(const char* h, size_t n, size_t from) const {
  const size_t last = n - text_.size();
  const __m256i a0 = _mm256_set1_epi8(static_cast<char>(firstBytes_[0]));
  const __m256i a1 = _mm256_set1_epi8(static_cast<char>(firstBytes_[1]));
  const __m256i b0 = _mm256_set1_epi8(static_cast<char>(secondBytes_[0]));
  const __m256i b1 = _mm256_set1_epi8(static_cast<char>(secondBytes_[1]));
  size_t i = from;
  for (; i + 32 <= last + 1; i += 32) {
    const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(h + i + first_));
    const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(h + i + second_));
    const __m256i hitA = _mm256_or_si256(_mm256_cmpeq_epi8(a, a0), _mm256_cmpeq_epi8(a, a1));
    const __m256i hitB = _mm256_or_si256(_mm256_cmpeq_epi8(b, b0), _mm256_cmpeq_epi8(b, b1));
    auto mask = static_cast<unsigned>(_mm256_movemask_epi8(_mm256_and_si256(hitA, hitB)));
    while (mask != 0) {
      const size_t at = i + static_cast<size_t>(__builtin_ctz(mask));
      if (At(h + at)) return at;
      mask &= mask - 1;
    }
  }
  return FindSse2(h, n, i);
}
#endif

size_t ByteSearch::Find(std::string_view haystack, size_t from) const {
  const size_t n = haystack.size();
  if (text_.empty() || from > n || n - from < text_.size()) return npos;
#ifdef VANTOREL_X86
  if (n - from >= 64 && HasAvx2()) return FindAvx2(haystack.data(), n, from);
  return FindSse2(haystack.data(), n, from);
#else
  return FindScalar(haystack.data(), from, n - text_.size());
#endif
}

}  // namespace vantorel
