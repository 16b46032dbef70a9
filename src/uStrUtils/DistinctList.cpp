#include "uStrUtils/DistinctList.h"

#include <cstring>
#include <functional>

namespace vantorel {
namespace {

constexpr size_t kShort = 16;
constexpr size_t kArenaBlock = 64 * 1024;

// The first min(n, 8) bytes of `p`, zero-filled, read without a loop: shorter texts are read
// as two overlapping pieces whose common bytes are the same.
uint64_t LoadUpTo8(const char* p, size_t n) {
  uint64_t word = 0;
  if (n >= 8) {
    std::memcpy(&word, p, 8);
  } else if (n >= 4) {
    uint32_t low, high;
    std::memcpy(&low, p, 4);
    std::memcpy(&high, p + n - 4, 4);
    word = low | (static_cast<uint64_t>(high) << (8 * (n - 4)));
  } else if (n > 0) {
    const auto byte = [p](size_t i) { return static_cast<uint64_t>(static_cast<unsigned char>(p[i])); };
    word = byte(0) | byte(n / 2) << (8 * (n / 2)) | byte(n - 1) << (8 * (n - 1));
  }
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

void DistinctList::Reset(std::string_view allValuesItem) {
  items_.clear();
  slots_.assign(64, Slot{});
  Add(allValuesItem);
}

DistinctList::Key DistinctList::KeyOf(std::string_view value) {
  const size_t n = value.size();
  Key key;
  key.length = n;
  key.head = LoadUpTo8(value.data(), n);
  if (n > 8) key.tail = LoadUpTo8(value.data() + 8, std::min<size_t>(n - 8, 8));
  return key;
}

uint64_t DistinctList::HashOf(const Key& key, std::string_view value) {
  // Longer values are hashed whole, so values alike in their first bytes do not collide.
  if (value.size() > kShort) return Mix(std::hash<std::string_view>{}(value));
  return Mix(key.head + key.tail * 0x9E3779B97F4A7C15ull + key.length * 0xC2B2AE3D27D4EB4Full);
}

size_t DistinctList::SlotOf(const Key& key, uint64_t hash, std::string_view value) const {
  const size_t mask = slots_.size() - 1;
  for (size_t at = hash & mask;; at = (at + 1) & mask) {
    const Slot& slot = slots_[at];
    if (slot.item == 0) return at;
    if (slot.hash == hash && slot.key == key && (value.size() <= kShort || items_[slot.item - 1] == value)) return at;
  }
}

uint32_t DistinctList::Add(std::string_view value, TextArena* keep) {
  if (slots_.empty()) slots_.assign(64, Slot{});
  const Key key = KeyOf(value);
  const uint64_t hash = HashOf(key, value);
  Slot& slot = slots_[SlotOf(key, hash, value)];
  if (slot.item != 0) return slot.item - 1;
  items_.push_back(keep != nullptr ? keep->Keep(value) : value);
  slot = Slot{key, hash, static_cast<uint32_t>(items_.size())};
  const uint32_t index = slot.item - 1;
  if (items_.size() * 2 > slots_.size()) Grow();
  return index;
}

int DistinctList::Find(std::string_view value) const {
  if (slots_.empty()) return -1;
  const Key key = KeyOf(value);
  const Slot& slot = slots_[SlotOf(key, HashOf(key, value), value)];
  return slot.item == 0 ? -1 : static_cast<int>(slot.item - 1);
}

void DistinctList::Rebase(const char* from, size_t size, const char* to) {
  for (std::string_view& item : items_) {
    if (!item.empty() && item.data() >= from && item.data() < from + size) {
      item = std::string_view(to + (item.data() - from), item.size());
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

std::string_view TextArena::Keep(std::string_view text) {
  if (text.empty()) return {};
  if (blocks_.empty() || blocks_.back().capacity() - blocks_.back().size() < text.size()) {
    blocks_.emplace_back();
    blocks_.back().reserve(std::max(kArenaBlock, text.size()));
  }
  std::vector<char>& block = blocks_.back();
  const size_t at = block.size();
  block.insert(block.end(), text.begin(), text.end());
  return {block.data() + at, text.size()};
}

}  // namespace vantorel
