#pragma once
// A filter list: the distinct values of a field in order of first occurrence.
#include <string_view>
#include <unordered_set>
#include <vector>

namespace vantorel {

// Item 0 is the list's all-values text and takes part in the duplicate test like any other
// item. A hash set beside the list keeps adding a value O(1), so a journal with many
// distinct values is not quadratic; the result equals adding each value unless
// ContainsString finds it.
class DistinctList {
 public:
  explicit DistinctList(std::string_view allValuesItem) {
    items_.push_back(allValuesItem);
    seen_.insert(allValuesItem);
  }

  void Add(std::string_view value) {
    // Journals repeat the previous line's value often; that test is cheaper than a hash.
    if (!last_.empty() && value == last_) return;
    if (seen_.insert(value).second) items_.push_back(value);
    last_ = value;
  }

  const std::vector<std::string_view>& Items() const { return items_; }
  std::vector<std::string_view> Take() { return std::move(items_); }

 private:
  std::vector<std::string_view> items_;
  std::unordered_set<std::string_view> seen_;
  std::string_view last_;
};

}  // namespace vantorel
