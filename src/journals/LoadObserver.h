#pragma once
// What a loader tells the one who shows its progress, and how that one stops it.
#include <cstddef>
#include <exception>
#include <string>
#include <vector>

namespace vantorel {

// Progress reports come for the first record, then at least every kProgressStride records,
// and for the last record, so a window can repaint often without paying for every line.
inline constexpr size_t kProgressStride = 1024;

// Calls come from the thread that runs the load, one at a time, in this order: Titles,
// Started, then Progress with counts that never go down.
class LoadObserver {
 public:
  virtual ~LoadObserver() = default;
  // The first line's titles, before any record is read.
  virtual void Titles(const std::vector<std::string>& titles) = 0;
  // Records are about to be read; `progressMax` is the file's line count, title included.
  virtual void Started(size_t progressMax) = 0;
  // `done` records have been read, of `total`.
  virtual void Progress(size_t done, size_t total) = 0;
};

// An observer that wants nothing.
class SilentLoad : public LoadObserver {
 public:
  void Titles(const std::vector<std::string>&) override {}
  void Started(size_t) override {}
  void Progress(size_t, size_t) override {}
};

// Reports progress at the records a LoadObserver expects it.
inline bool IsProgressPoint(size_t done, size_t total) {
  return done == 1 || done == total || done % kProgressStride == 0;
}

// Raised inside a load whose cancel flag was set; the load lets go of everything it read.
class LoadCancelled : public std::exception {
 public:
  const char* what() const noexcept override { return "load cancelled"; }
};

}  // namespace vantorel
