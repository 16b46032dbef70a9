#pragma once
// The item of one filter list for each record. A load writes them four bytes each; once the
// list is known to hold few enough values they are packed into two bytes each in place, and
// widened again only if the list outgrows that.
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

#include "journals/LargeBlock.h"

namespace vantorel {

// A read-only look at a ListItems, cheap to copy into a pass over the records.
struct ItemColumn {
  const uint16_t* narrow = nullptr;
  const uint32_t* wide = nullptr;
  uint32_t operator[](size_t i) const { return narrow != nullptr ? narrow[i] : wide[i]; }
};

class ListItems {
 public:
  // The most values a list may hold for its items to be kept in two bytes.
  static constexpr size_t kNarrowValues = size_t{1} << 16;

  size_t size() const { return size_; }
  bool IsNarrow() const { return narrow_; }
  uint32_t operator[](size_t i) const { return Column()[i]; }
  ItemColumn Column() const {
    if (narrow_) return {reinterpret_cast<const uint16_t*>(block_.data()), nullptr};
    return {nullptr, reinterpret_cast<const uint32_t*>(block_.data())};
  }
  // Calls `f` with the items as a plain pointer of their width.
  template <typename F>
  decltype(auto) Visit(F&& f) const {
    const ItemColumn column = Column();
    return narrow_ ? f(column.narrow) : f(column.wide);
  }
  // Where the items are written four bytes each; packed ones are widened first.
  uint32_t* Wide() {
    Widen();
    return reinterpret_cast<uint32_t*>(block_.data());
  }
  // Where items [from, to) lie, for a Prefault.
  Prefault::Range Span(size_t from, size_t to) const {
    return {block_.data() + from * Width(), (to - from) * Width()};
  }

  void Set(size_t i, uint32_t item) {
    if (narrow_) {
      if (item < kNarrowValues) {
        reinterpret_cast<uint16_t*>(block_.data())[i] = static_cast<uint16_t>(item);
        return;
      }
      Widen();
    }
    reinterpret_cast<uint32_t*>(block_.data())[i] = item;
  }
  void Resize(size_t n) {
    Reserve(n);
    size_ = n;
  }
  void Reserve(size_t n) {
    if (n * Width() > block_.capacity()) {
      // Growth by at least half again keeps appending one by one linear.
      const size_t grown = block_.capacity() + block_.capacity() / 2;
      block_.Reserve(std::max(n * Width(), grown));
    }
  }

  // Packs the items into two bytes each when `values`, the list's size, allows, and gives the
  // freed half back to the system.
  void Pack(size_t values) {
    if (narrow_ || values > kNarrowValues) return;
    char* bytes = block_.data();
    // Item i moves from byte 4i down to byte 2i: ascending, no item is overwritten unread.
    for (size_t i = 0; i < size_; ++i) {
      uint32_t item;
      std::memcpy(&item, bytes + 4 * i, sizeof item);
      const auto packed = static_cast<uint16_t>(item);
      std::memcpy(bytes + 2 * i, &packed, sizeof packed);
    }
    narrow_ = true;
    block_.Shrink(size_ * 2);
  }

 private:
  size_t Width() const { return narrow_ ? 2 : 4; }
  void Widen() {
    if (!narrow_) return;
    block_.Reserve(std::max(size_ * 4, block_.capacity() * 2));
    char* bytes = block_.data();
    // Item i moves from byte 2i up to byte 4i: descending, no item is overwritten unread.
    for (size_t i = size_; i-- > 0;) {
      uint16_t packed;
      std::memcpy(&packed, bytes + 2 * i, sizeof packed);
      const uint32_t item = packed;
      std::memcpy(bytes + 4 * i, &item, sizeof item);
    }
    narrow_ = false;
  }

  LargeBlock block_;
  size_t size_ = 0;
  bool narrow_ = false;
};

// Calls `f` with the items of the first `count` lists as an array of kMaxLists columns to be
// read by index: plain two-byte pointers when every one of them is packed, plain four-byte
// pointers when none is, ItemColumns otherwise, so that a pass over the records tests no
// width in the common cases.
template <size_t N, typename F>
decltype(auto) WithItemColumns(const std::array<ListItems, N>& lists, int count, F&& f) {
  bool allNarrow = true;
  bool allWide = true;
  for (int l = 0; l < count; ++l) {
    allNarrow = allNarrow && lists[static_cast<size_t>(l)].IsNarrow();
    allWide = allWide && !lists[static_cast<size_t>(l)].IsNarrow();
  }
  if (allNarrow) {
    std::array<const uint16_t*, N> columns{};
    for (int l = 0; l < count; ++l) columns[static_cast<size_t>(l)] = lists[static_cast<size_t>(l)].Column().narrow;
    return f(columns);
  }
  if (allWide) {
    std::array<const uint32_t*, N> columns{};
    for (int l = 0; l < count; ++l) columns[static_cast<size_t>(l)] = lists[static_cast<size_t>(l)].Column().wide;
    return f(columns);
  }
  std::array<ItemColumn, N> columns{};
  for (int l = 0; l < count; ++l) columns[static_cast<size_t>(l)] = lists[static_cast<size_t>(l)].Column();
  return f(columns);
}

}  // namespace vantorel
