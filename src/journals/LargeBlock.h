#pragma once
// Memory for a journal's bytes and its record arrays: anonymous mappings of plain pages. On the
// virtual machines the viewer runs on, memory the system has not handed out for a while costs
// far more at its first touch than the parsing done on it, and a huge page of it about four
// times more than the same bytes in plain pages, so no huge pages are asked for.
#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstring>
#include <new>
#include <thread>
#include <type_traits>
#include <utility>
#include <vector>

namespace vantorel {

// Raised when memory cannot be had; knows how many bytes were asked for.
class OutOfMemory : public std::bad_alloc {
 public:
  explicit OutOfMemory(size_t bytes) : bytes_(bytes) {}
  size_t Bytes() const { return bytes_; }
  const char* what() const noexcept override { return "out of memory"; }

 private:
  size_t bytes_;
};

// A block of anonymous memory, zero-filled when fresh. Moves, never copies.
class LargeBlock {
 public:
  LargeBlock() = default;
  // Raises OutOfMemory when the system refuses.
  explicit LargeBlock(size_t bytes);
  ~LargeBlock();
  LargeBlock(LargeBlock&& other) noexcept { Swap(other); }
  LargeBlock& operator=(LargeBlock&& other) noexcept {
    LargeBlock gone(std::move(other));
    Swap(gone);
    return *this;
  }
  LargeBlock(const LargeBlock&) = delete;
  LargeBlock& operator=(const LargeBlock&) = delete;

  char* data() const { return data_; }
  size_t capacity() const { return capacity_; }
  // Makes room for at least `bytes`, keeping the contents; the block may move.
  void Reserve(size_t bytes);
  // Gives the pages past the first `bytes` back to the system, keeping the contents before
  // them; the block stays where it is.
  void Shrink(size_t bytes);

 private:
  void Swap(LargeBlock& other) noexcept {
    std::swap(data_, other.data_);
    std::swap(capacity_, other.capacity_);
    std::swap(base_, other.base_);
    std::swap(mapped_, other.mapped_);
  }

  char* data_ = nullptr;
  size_t capacity_ = 0;
  // The mapping itself.
  char* base_ = nullptr;
  size_t mapped_ = 0;
};

// Brings the pages of memory about to be written in, on a thread of its own, so that the cost
// of their first touch is paid beside the thread that writes them. The contents are left as
// they are, so the writer may already be writing there. The ranges are taken in order, each
// from its start; the destructor stops and waits. Where the system offers no such prefault,
// or no thread can be had, it does nothing.
class Prefault {
 public:
  struct Range {
    char* begin;
    size_t bytes;
  };
  explicit Prefault(std::vector<Range> ranges);
  ~Prefault();
  Prefault(const Prefault&) = delete;
  Prefault& operator=(const Prefault&) = delete;

 private:
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

// An array of plain values in a LargeBlock: its elements are not initialised by Resize.
template <typename T>
class LargeArray {
  static_assert(std::is_trivially_copyable_v<T>);

 public:
  T* data() const { return reinterpret_cast<T*>(block_.data()); }
  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  T& operator[](size_t i) { return data()[i]; }
  const T& operator[](size_t i) const { return data()[i]; }
  T* begin() const { return data(); }
  T* end() const { return data() + size_; }
  // Where elements [from, to) lie, for a Prefault.
  Prefault::Range Span(size_t from, size_t to) const {
    return {reinterpret_cast<char*>(data() + from), (to - from) * sizeof(T)};
  }
  void Clear() { size_ = 0; }

  void Resize(size_t n) {
    Reserve(n);
    size_ = n;
  }
  void Reserve(size_t n) {
    if (n * sizeof(T) > block_.capacity()) {
      // Growth by at least half again keeps appending one by one linear.
      const size_t grown = block_.capacity() + block_.capacity() / 2;
      block_.Reserve(std::max(n * sizeof(T), grown));
    }
  }
  void PushBack(const T& value) {
    Reserve(size_ + 1);
    data()[size_++] = value;
  }

 private:
  LargeBlock block_;
  size_t size_ = 0;
};

}  // namespace vantorel
