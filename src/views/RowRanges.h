#pragma once
// A set of table rows kept as ranges: a selection of millions of rows takes a few numbers.
#include <utility>
#include <vector>

namespace vantorel {

class RowRanges {
 public:
  // Closed ranges [first, last], ascending, neither overlapping nor touching.
  using Span = std::pair<int, int>;

  bool Empty() const { return spans_.empty(); }
  bool Contains(int row) const;
  const std::vector<Span>& Spans() const { return spans_; }
  void Clear() { spans_.clear(); }
  // Rows first to last, in either order.
  void Add(int first, int last);
  void Remove(int first, int last);

  bool operator==(const RowRanges&) const = default;

 private:
  std::vector<Span> spans_;
};

}  // namespace vantorel
