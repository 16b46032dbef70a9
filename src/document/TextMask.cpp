#include "document/TextMask.h"

#include <algorithm>
#include <thread>

#include "document/JournalDocument.h"
#include "document/TextRule.h"

namespace vantorel {
namespace {
// Filters kept beyond those of the view, for the ones an operator takes off and puts back.
constexpr size_t kKeptBeyond = 6;
}  // namespace

TextMask::TextMask() = default;
TextMask::~TextMask() = default;

TextMask::Single* TextMask::Find(const TextFilter& filter) {
  for (Single& single : singles_) {
    if (single.filter == filter) return &single;
  }
  return nullptr;
}

bool TextMask::Cover(Single& single, const JournalDocument& document, const std::atomic<bool>* cancel) {
  const size_t count = document.RecordCount();
  if (single.covered > count) single.covered = count;
  if (single.covered == count) return true;
  single.bits.resize((count + 63) / 64 + 1, 0);
  // The words from the first record looked at again start empty.
  std::fill(single.bits.begin() + static_cast<std::ptrdiff_t>(single.covered / 64), single.bits.end(), 0);
  const size_t from = single.covered / 64 * 64;
  const int threads = static_cast<int>(std::min(8u, std::max(1u, std::thread::hardware_concurrency())));
  if (!single.rule->Mark(from, count, single.bits, cancel, threads)) {
    single.covered = std::min(single.covered, from);
    return false;
  }
  single.covered = count;
  return true;
}

bool TextMask::Use(const JournalDocument& document, const std::vector<TextFilter>& filters, const std::atomic<bool>* cancel,
                   const std::function<void(const uint64_t* bits)>& use) {
  const std::lock_guard<std::mutex> lock(mutex_);
  if (of_ != &document) {
    singles_.clear();
    of_ = &document;
  }
  ++uses_;
  for (const TextFilter& filter : filters) {
    Single* single = Find(filter);
    if (single == nullptr) {
      auto rule = std::make_unique<TextRule>(document, std::vector<TextFilter>{filter});
      singles_.push_back({filter, std::move(rule), {}, 0, 0});
      single = &singles_.back();
    }
    single->used = uses_;
  }
  // The filters asked for longest ago beyond those kept.
  while (singles_.size() > filters.size() + kKeptBeyond) {
    const auto oldest = std::min_element(singles_.begin(), singles_.end(),
                                         [](const Single& a, const Single& b) { return a.used < b.used; });
    singles_.erase(oldest);
  }
  std::vector<const Single*> asked;
  for (const TextFilter& filter : filters) {
    Single* single = Find(filter);
    if (!Cover(*single, document, cancel)) return false;
    asked.push_back(single);
  }
  if (asked.size() == 1) {
    use(asked[0]->bits.data());
    return true;
  }
  const size_t words = (document.RecordCount() + 63) / 64 + 1;
  bits_.assign(words, ~uint64_t{0});
  // Past the last record every filter's words are empty.
  for (const Single* single : asked) {
    const uint64_t* bits = single->bits.data();
    for (size_t w = 0; w < words; ++w) bits_[w] &= bits[w];
  }
  use(bits_.data());
  return true;
}

bool TextMask::Ready(const JournalDocument& document, const std::vector<TextFilter>& filters) {
  if (filters.empty()) return true;
  const std::unique_lock<std::mutex> lock(mutex_, std::try_to_lock);
  if (!lock.owns_lock() || of_ != &document) return false;
  return std::all_of(filters.begin(), filters.end(), [&](const TextFilter& filter) {
    const Single* single = Find(filter);
    return single != nullptr && single->covered >= document.RecordCount();
  });
}

void TextMask::Forget(size_t first) {
  const std::lock_guard<std::mutex> lock(mutex_);
  for (Single& single : singles_) single.covered = std::min(single.covered, first);
}

}  // namespace vantorel
