#pragma once
// One text filter made ready to look at cells: a plain text through a byte search, a regular
// expression through RE2 over the cells' Windows-1251 bytes.
#include <cstddef>
#include <memory>
#include <string_view>
#include <vector>

#include "document/ByteSearch.h"
#include "document/TextFilter.h"

namespace re2 {
class RE2;
}

namespace vantorel {

// Where a text stands in a cell: bytes [begin, end).
struct TextSpan {
  size_t begin = 0;
  size_t end = 0;
  bool operator==(const TextSpan&) const = default;
};

class TextMatcher {
 public:
  // Raises AppError (in Windows-1251) for a regular expression RE2 refuses. `counts` (see
  // ByteSearch) tell a plain text's rare bytes.
  explicit TextMatcher(const TextFilter& filter, const ByteSearch::Counts* counts = nullptr);

  const TextFilter& Filter() const { return filter_; }
  bool Hides() const { return filter_.hide; }
  bool IsRegex() const { return regex_ != nullptr; }
  // The plain text's search; empty for a regular expression.
  const ByteSearch& Search() const { return search_; }
  // No cell can hold it: a text with a character Windows-1251 lacks.
  bool Never() const { return filter_.unwritable; }

  // Whether `cell` holds the text (a match of the expression anywhere in it).
  bool Holds(std::string_view cell) const;
  // The places of the text in `cell`, left to right, none overlapping, appended to `out`.
  void Spans(std::string_view cell, std::vector<TextSpan>& out) const;

 private:
  TextFilter filter_;
  ByteSearch search_;
  std::shared_ptr<const re2::RE2> regex_;
};

}  // namespace vantorel
