#include "uStrUtils/DistinctList.h"

#include <cstring>
#include <functional>

namespace vantorel {
namespace {

constexpr size_t kShort = 16;

uint64_t LoadUpTo8(const char* p, size_t n) {
  if (n >= 8) {
    uint64_t word;
    std::memcpy(&word, p, 8);
    return word;
  }
  uint64_t word = 0;
  for (size_t i = 0; i < n; ++i) word |= static_cast<uint64_t>(static_cast<unsigned char>(p[i])) << (8 * i);
  return word;
}

uint64_t Mix(uint64_t h) {
  h ^= h >> 33;
  h *= 0xff51afd7ed558ccdull;
  h ^= h >> 33;
  h *= 0xc4ceb9fe1a85ec53ull;
  return h ^ (h >> 33);
}

}  // namespace

DistinctList::DistinctList(std::string_view allValuesItem) : slots_(64) { Add(allValuesItem); }

DistinctList::Key DistinctList::KeyOf(std::string_view value) {
  const size_t n = value.size();
  Key key;
  key.length = n;
  key.head = LoadUpTo8(value.data(), n);
  if (n > 8) key.tail = LoadUpTo8(value.data() + 8, n - 8);
  return key;
}

uint64_t DistinctList::HashOf(const Key& key, std::string_view value) {
  // Longer values are hashed whole, so values alike in their first bytes do not collide.
  if (value.size() > kShort) return Mix(std::hash<std::string_view>{}(value));
  return Mix(key.head ^ Mix(key.tail + key.length));
}

uint32_t DistinctList::Add(std::string_view value) {
  const Key key = KeyOf(value);
  const uint64_t hash = HashOf(key, value);
  const size_t mask = slots_.size() - 1;
  for (size_t at = hash & mask;; at = (at + 1) & mask) {
    Slot& slot = slots_[at];
    if (slot.item == 0) {
      items_.push_back(value);
      slot = Slot{key, hash, static_cast<uint32_t>(items_.size())};
      const uint32_t index = slot.item - 1;
      if (items_.size() * 2 > slots_.size()) Grow();
      return index;
    }
    if (slot.hash == hash && slot.key == key && (value.size() <= kShort || items_[slot.item - 1] == value)) {
      return slot.item - 1;
    }
  }
}

void DistinctList::Grow() {
  std::vector<Slot> old(slots_.size() * 2);
  old.swap(slots_);
  const size_t mask = slots_.size() - 1;
  for (const Slot& slot : old) {
    if (slot.item == 0) continue;
    size_t at = slot.hash & mask;
    while (slots_[at].item != 0) at = (at + 1) & mask;
    slots_[at] = slot;
  }
}

}  // namespace vantorel
