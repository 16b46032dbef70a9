#include "journals/LargeBlock.h"

#include <sys/mman.h>

#include <cstdint>

namespace vantorel {
namespace {

constexpr size_t kPage = 4096;
constexpr size_t kHugePage = size_t{2} << 20;

size_t RoundUp(size_t n, size_t to) { return (n + to - 1) / to * to; }

}  // namespace

LargeBlock::LargeBlock(size_t bytes) {
  if (bytes == 0) return;
  const bool huge = bytes >= kHugePage;
  const size_t usable = RoundUp(bytes, huge ? kHugePage : kPage);
  // A huge block is mapped one huge page longer, so that it can start on a 2 MB boundary.
  const size_t mapped = huge ? usable + kHugePage : usable;
  void* base = ::mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (base == MAP_FAILED) throw OutOfMemory(bytes);
  base_ = static_cast<char*>(base);
  mapped_ = mapped;
  const auto address = reinterpret_cast<uintptr_t>(base_);
  data_ = huge ? base_ + (RoundUp(address, kHugePage) - address) : base_;
  capacity_ = usable;
#ifdef MADV_HUGEPAGE
  // Refused where the system has no huge pages: the block then stays in plain pages.
  if (huge) ::madvise(data_, usable, MADV_HUGEPAGE);
#endif
}

LargeBlock::~LargeBlock() {
  if (base_ != nullptr) ::munmap(base_, mapped_);
}

void LargeBlock::Reserve(size_t bytes) {
  if (bytes <= capacity_) return;
  LargeBlock larger(bytes);
  if (capacity_ != 0) std::memcpy(larger.data_, data_, capacity_);
  Swap(larger);
}

}  // namespace vantorel
