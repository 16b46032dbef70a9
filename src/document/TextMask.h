#pragma once
// Which records of a journal pass a view's text filters, kept from view to view and filter by
// filter: a change of the time window or of a list asks nothing of the texts again, a text
// added to others is the only one looked for, and records a journal gains are looked at alone.
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "document/TextFilter.h"

namespace vantorel {

class JournalDocument;
class TextRule;

class TextMask {
 public:
  TextMask();
  ~TextMask();

  // Runs `use` with the records of `document` that pass `filters`, bit i for record i, made or
  // brought up to the records as they stand; any thread, one at a time. False, without `use`,
  // when `cancel` was set meanwhile. Raises AppError for a regular expression RE2 refuses.
  bool Use(const JournalDocument& document, const std::vector<TextFilter>& filters, const std::atomic<bool>* cancel,
           const std::function<void(const uint64_t* bits)>& use);
  // The records from `first` on changed: they are looked at again.
  void Forget(size_t first);
  // Whether Use would find the records of `document` that pass `filters` made already (none
  // to make when there are no filters); false while Use runs on another thread.
  bool Ready(const JournalDocument& document, const std::vector<TextFilter>& filters);

 private:
  // The records that pass one filter.
  struct Single {
    TextFilter filter;
    std::unique_ptr<TextRule> rule;
    std::vector<uint64_t> bits;
    // Records [0, covered) are looked at.
    size_t covered = 0;
    // When it was last asked for: the filters asked for longest ago go first.
    uint64_t used = 0;
  };

  Single* Find(const TextFilter& filter);
  // Brings `single` up to the records of `document`; false when `cancel` stopped it.
  static bool Cover(Single& single, const JournalDocument& document, const std::atomic<bool>* cancel);

  std::mutex mutex_;
  const JournalDocument* of_ = nullptr;
  std::vector<Single> singles_;
  // The records that pass every filter of the last Use of several.
  std::vector<uint64_t> bits_;
  uint64_t uses_ = 0;
};

}  // namespace vantorel
