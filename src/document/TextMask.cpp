#include "document/TextMask.h"

#include <algorithm>
#include <thread>

#include "document/JournalDocument.h"
#include "document/TextRule.h"

namespace vantorel {

TextMask::TextMask() = default;
TextMask::~TextMask() = default;

bool TextMask::Use(const JournalDocument& document, const std::vector<TextFilter>& filters, const std::atomic<bool>* cancel,
                   const std::function<void(const uint64_t* bits)>& use) {
  const std::lock_guard<std::mutex> lock(mutex_);
  const size_t count = document.RecordCount();
  if (filters != filters_ || rule_ == nullptr || ruleOf_ != &document) {
    rule_ = std::make_unique<TextRule>(document, filters);
    ruleOf_ = &document;
    filters_ = filters;
    covered_ = 0;
  }
  if (covered_ > count) covered_ = count;
  if (covered_ < count) {
    bits_.resize((count + 63) / 64 + 1, 0);
    // The words from the first record looked at again start empty.
    std::fill(bits_.begin() + static_cast<std::ptrdiff_t>(covered_ / 64), bits_.end(), 0);
    const size_t from = covered_ / 64 * 64;
    const int threads = static_cast<int>(std::min(8u, std::max(1u, std::thread::hardware_concurrency())));
    if (!rule_->Mark(from, count, bits_, cancel, threads)) {
      covered_ = std::min(covered_, from);
      return false;
    }
    covered_ = count;
  }
  use(bits_.data());
  return true;
}

bool TextMask::Ready(const JournalDocument& document, const std::vector<TextFilter>& filters) {
  if (filters.empty()) return true;
  const std::unique_lock<std::mutex> lock(mutex_, std::try_to_lock);
  return lock.owns_lock() && rule_ != nullptr && ruleOf_ == &document && filters == filters_ &&
         covered_ >= document.RecordCount();
}

void TextMask::Forget(size_t first) {
  const std::lock_guard<std::mutex> lock(mutex_);
  covered_ = std::min(covered_, first);
}

}  // namespace vantorel
