#include "journals/FollowedJournal.h"

#include <numeric>

namespace vantorel {

FollowedJournal::FollowedJournal(Journal& journal, const DateTimeRules& rules) : journal_(journal), rules_(rules) {
  change_.unchanged = journal_.size();
}

FollowRead FollowedJournal::Taken(const Growth& growth) {
  FollowRead read;
  read.freshOpen = growth.reload;
  read.error = growth.error;
  if (growth.reload) return read;
  if (!growth.moved.empty()) {
    std::vector<uint32_t>& moved = change_.moved;
    // The records before `unchanged` that this growth moves were still in their places.
    if (growth.firstChanged < change_.unchanged) {
      std::vector<uint32_t> front(change_.unchanged - growth.firstChanged);
      std::iota(front.begin(), front.end(), static_cast<uint32_t>(growth.firstChanged));
      moved.insert(moved.begin(), front.begin(), front.end());
      change_.unchanged = growth.firstChanged;
    }
    for (uint32_t& at : moved) {
      if (at != kGoneRecord && at >= growth.firstChanged) at = growth.moved[at - growth.firstChanged];
    }
  }
  return read;
}

FollowRead FollowedJournal::Append(size_t member, std::string_view bytes) {
  if (journal_.Merged()) return Taken(GrowMerged(journal_, {{member, bytes}}, rules_));
  return Taken(GrowJournal(journal_, bytes, rules_));
}

FollowRead FollowedJournal::NextFile(size_t member) { return Taken(EndFile(journal_, member, rules_)); }

void FollowedJournal::Drop(size_t member) { Taken(DropRecords(journal_, member)); }

void FollowedJournal::Fail(const std::string&) { change_.failed = true; }

FollowedJournal::Change FollowedJournal::Take() {
  Change change = std::move(change_);
  size_t kept = change.unchanged;
  for (uint32_t at : change.moved) kept += at != kGoneRecord ? 1 : 0;
  change.added = journal_.size() - kept;
  change_ = Change();
  change_.unchanged = journal_.size();
  return change;
}

}  // namespace vantorel
