#include "views/RowRanges.h"

#include <algorithm>

namespace vantorel {

bool RowRanges::Contains(int row) const {
  auto after = std::upper_bound(spans_.begin(), spans_.end(), row, [](int r, const Span& s) { return r < s.first; });
  return after != spans_.begin() && std::prev(after)->second >= row;
}

void RowRanges::Add(int first, int last) {
  if (first > last) std::swap(first, last);
  // The spans that overlap or touch [first, last] become one.
  auto from = std::lower_bound(spans_.begin(), spans_.end(), first,
                               [](const Span& s, int f) { return s.second < f - 1; });
  auto to = std::upper_bound(from, spans_.end(), last, [](int l, const Span& s) { return l + 1 < s.first; });
  if (from != to) {
    first = std::min(first, from->first);
    last = std::max(last, std::prev(to)->second);
  }
  spans_.insert(spans_.erase(from, to), {first, last});
}

void RowRanges::Remove(int first, int last) {
  if (first > last) std::swap(first, last);
  auto from = std::lower_bound(spans_.begin(), spans_.end(), first, [](const Span& s, int f) { return s.second < f; });
  auto to = std::upper_bound(from, spans_.end(), last, [](int l, const Span& s) { return l < s.first; });
  if (from == to) return;
  std::vector<Span> kept;
  if (from->first < first) kept.emplace_back(from->first, first - 1);
  if (std::prev(to)->second > last) kept.emplace_back(last + 1, std::prev(to)->second);
  spans_.insert(spans_.erase(from, to), kept.begin(), kept.end());
}

}  // namespace vantorel
