#pragma once
// A filter list: the distinct values of a field in order of first occurrence.
#include <cstdint>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace vantorel {

// Item 0 is the list's all-values text and takes part in the duplicate test like any other
// item. A hash map beside the list keeps adding a value O(1), so a journal with many
// distinct values is not quadratic; the result equals adding each value unless
// ContainsString finds it. The views point into the caller's texts.
class DistinctList {
 public:
  explicit DistinctList(std::string_view allValuesItem) { Add(allValuesItem); }

  // Adds `value` unless an equal item exists; returns the index of the item equal to it.
  uint32_t Add(std::string_view value) {
    // Journals repeat the previous line's value often; that test is cheaper than a hash.
    if (!items_.empty() && value == last_) return lastIndex_;
    const auto [it, added] = index_.try_emplace(value, static_cast<uint32_t>(items_.size()));
    if (added) items_.push_back(value);
    last_ = value;
    lastIndex_ = it->second;
    return lastIndex_;
  }

  const std::vector<std::string_view>& Items() const { return items_; }
  std::vector<std::string_view> Take() { return std::move(items_); }

 private:
  std::vector<std::string_view> items_;
  std::unordered_map<std::string_view, uint32_t> index_;
  std::string_view last_;
  uint32_t lastIndex_ = 0;
};

}  // namespace vantorel
