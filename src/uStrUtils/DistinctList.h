#pragma once
// A filter list: the distinct values of a field in order of first occurrence.
#include <cstdint>
#include <string_view>
#include <vector>

namespace vantorel {

// Item 0 is the list's all-values text and takes part in the duplicate test like any other
// item. An open-addressing hash table beside the list keeps adding a value O(1), so a
// journal with many distinct values is not quadratic; the result equals adding each value
// unless ContainsString finds it. The views point into the caller's texts.
class DistinctList {
 public:
  explicit DistinctList(std::string_view allValuesItem);

  // Adds `value` unless an equal item exists; returns the index of the item equal to it.
  uint32_t Add(std::string_view value);

  const std::vector<std::string_view>& Items() const { return items_; }
  std::vector<std::string_view> Take() { return std::move(items_); }

 private:
  // A value's length and first 16 bytes (zero-filled): equal keys of values up to 16 bytes
  // long mean equal values, with no byte comparison.
  struct Key {
    uint64_t head = 0;
    uint64_t tail = 0;
    uint64_t length = 0;
    bool operator==(const Key&) const = default;
  };
  struct Slot {
    Key key;
    uint64_t hash = 0;
    uint32_t item = 0;  // index into items_ + 1; 0 marks an empty slot
  };

  static Key KeyOf(std::string_view value);
  static uint64_t HashOf(const Key& key, std::string_view value);
  void Grow();

  std::vector<std::string_view> items_;
  std::vector<Slot> slots_;
};

}  // namespace vantorel
