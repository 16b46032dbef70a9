#include "journals/LargeBlock.h"

#include <sys/mman.h>

namespace vantorel {
namespace {

constexpr size_t kPage = 4096;

size_t RoundUp(size_t n, size_t to) { return (n + to - 1) / to * to; }

}  // namespace

LargeBlock::LargeBlock(size_t bytes) {
  if (bytes == 0) return;
  const size_t usable = RoundUp(bytes, kPage);
  void* base = ::mmap(nullptr, usable, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (base == MAP_FAILED) throw OutOfMemory(bytes);
  base_ = static_cast<char*>(base);
  mapped_ = usable;
  data_ = base_;
  capacity_ = usable;
}

LargeBlock::~LargeBlock() {
  if (base_ != nullptr) ::munmap(base_, mapped_);
}

void LargeBlock::Reserve(size_t bytes) {
  if (bytes <= capacity_) return;
  if (base_ == nullptr) {
    LargeBlock fresh(bytes);
    Swap(fresh);
    return;
  }
  // The pages move to the larger mapping as they are: nothing is copied.
  const size_t usable = RoundUp(bytes, kPage);
  void* moved = ::mremap(base_, mapped_, usable, MREMAP_MAYMOVE);
  if (moved == MAP_FAILED) throw OutOfMemory(bytes);
  base_ = data_ = static_cast<char*>(moved);
  mapped_ = capacity_ = usable;
}

}  // namespace vantorel
