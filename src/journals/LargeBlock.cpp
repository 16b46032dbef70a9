#include "journals/LargeBlock.h"

#include <sys/mman.h>

#include <cstdint>
#include <system_error>

namespace vantorel {
namespace {

constexpr size_t kPage = 4096;
// A prefault looks for its stop between pieces of this size, and holds the process's memory
// map no longer than one piece takes.
constexpr size_t kPrefaultPiece = size_t{256} << 10;

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

void LargeBlock::Shrink(size_t bytes) {
  const size_t usable = RoundUp(bytes, kPage);
  if (usable >= mapped_) return;
  if (usable == 0) {
    LargeBlock gone;
    Swap(gone);
    return;
  }
  // Unmapping the tail cannot fail for want of memory, and the pages before it stay put.
  ::munmap(base_ + usable, mapped_ - usable);
  mapped_ = capacity_ = usable;
}

Prefault::Prefault(std::vector<Range> ranges) {
#ifdef MADV_POPULATE_WRITE
  try {
    thread_ = std::thread([this, ranges = std::move(ranges)] {
      for (const Range& range : ranges) {
        // Whole pages within the range: a page it shares with memory written elsewhere is left
        // to the writer.
        // Counted as offsets: an empty range may have no memory at all.
        const auto first = reinterpret_cast<uintptr_t>(range.begin);
        const size_t skip = RoundUp(first, kPage) - first;
        if (range.begin == nullptr || range.bytes < skip + kPage) continue;
        const size_t pages = (range.bytes - skip) / kPage * kPage;
        for (size_t done = 0; done < pages; done += kPrefaultPiece) {
          if (stop_.load(std::memory_order_relaxed)) return;
          const size_t piece = std::min(kPrefaultPiece, pages - done);
          // Refused by a system without it: the writer then takes the faults itself.
          if (::madvise(range.begin + skip + done, piece, MADV_POPULATE_WRITE) != 0) return;
        }
      }
    });
  } catch (const std::system_error&) {
  }
#else
  (void)ranges;
#endif
}

Prefault::~Prefault() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
}

}  // namespace vantorel
