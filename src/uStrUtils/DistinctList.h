#pragma once
// A filter list: the distinct values of a field in order of first occurrence.
#include <cstdint>
#include <string_view>
#include <vector>

namespace vantorel {

class TextArena;

// Item 0 is the list's all-values text and takes part in the duplicate test like any other
// item. An open-addressing hash table beside the list keeps adding a value O(1), so a
// journal with many distinct values is not quadratic; the result equals adding each value
// unless ContainsString finds it. The items are views into the caller's texts.
class DistinctList {
 public:
  DistinctList() = default;
  explicit DistinctList(std::string_view allValuesItem) { Reset(allValuesItem); }

  // Empties the list down to its all-values item.
  void Reset(std::string_view allValuesItem);

  // Adds `value` unless an equal item exists; returns the index of the item equal to it. With
  // an arena, a new value is copied into it first, so the list outlives the caller's text.
  uint32_t Add(std::string_view value, TextArena* keep = nullptr);
  // The index of the item equal to `value`; -1 when there is none.
  int Find(std::string_view value) const;

  const std::vector<std::string_view>& Items() const { return items_; }
  size_t size() const { return items_.size(); }

  // The caller's texts moved from [from, from + size) to `to`: items there follow them.
  void Rebase(const char* from, size_t size, const char* to);

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
  // The slot of `value`, or the empty slot where it would go.
  size_t SlotOf(const Key& key, uint64_t hash, std::string_view value) const;
  void Grow();

  std::vector<std::string_view> items_;
  std::vector<Slot> slots_;
};

// Storage for texts that must outlive the buffer they were read from; what it hands out
// never moves.
class TextArena {
 public:
  std::string_view Keep(std::string_view text);

 private:
  std::vector<std::vector<char>> blocks_;
};

}  // namespace vantorel
