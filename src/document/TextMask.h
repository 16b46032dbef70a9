#pragma once
// Which records of a journal pass a view's text filters, kept from view to view: a change of
// the time window or of a list asks nothing of the texts again, and records a journal gains
// are looked at alone.
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
  std::mutex mutex_;
  std::vector<TextFilter> filters_;
  // The filters made ready for the document, kept for the records it gains.
  std::unique_ptr<TextRule> rule_;
  const JournalDocument* ruleOf_ = nullptr;
  std::vector<uint64_t> bits_;
  size_t covered_ = 0;
};

}  // namespace vantorel
