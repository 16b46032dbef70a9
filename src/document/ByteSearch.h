#pragma once
// A text looked for in Windows-1251 bytes, letter case aside or exactly, sixteen or
// thirty-two places at once: two of its bytes, the ones journal text holds least often, are
// compared at every place together, and only the places where both agree are compared whole.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vantorel {

class ByteSearch {
 public:
  static constexpr size_t npos = std::string_view::npos;

  // Finds nothing.
  ByteSearch() = default;
  // How often each byte stands in the text looked through.
  using Counts = std::array<uint32_t, 256>;

  // `text` in Windows-1251; with `matchCase` false, a letter matches either of its cases.
  // `counts`, of a sample of the bytes to be looked through, tell which of its bytes are
  // rare; without them, a table of journal text does.
  ByteSearch(std::string_view text, bool matchCase, const Counts* counts = nullptr);

  // The bytes of a sample of `bytes`: a few pieces spread over them.
  static Counts CountsOf(std::string_view bytes);

  bool empty() const { return text_.empty(); }
  size_t size() const { return text_.size(); }

  // The first place of the text in `haystack` at or after `from`; npos when there is none,
  // and always for an empty text.
  size_t Find(std::string_view haystack, size_t from = 0) const;
  bool In(std::string_view haystack) const { return Find(haystack) != npos; }
  // Whether the text stands in `haystack` at `at` (which leaves room for it).
  bool At(const char* at) const;

 private:
  size_t FindScalar(const char* h, size_t from, size_t last) const;
  size_t FindSse2(const char* h, size_t n, size_t from) const;
  size_t FindAvx2(const char* h, size_t n, size_t from) const;

  // Folded when case does not count.
  std::string text_;
  bool fold_ = false;
  // The two places compared first, and the bytes each takes (its two cases, or itself twice).
  size_t first_ = 0;
  size_t second_ = 0;
  unsigned char firstBytes_[2] = {};
  unsigned char secondBytes_[2] = {};
};

}  // namespace vantorel
