#pragma once
// A loaded journal as a follower's reader: it grows by the lines its files gain, loses a
// journal's records when that journal's file is rewritten, and shows nothing once a reading
// fails. What changed since it was last asked is kept for the views.
#include <string>
#include <string_view>
#include <vector>

#include "datetime/RegionalSettings.h"
#include "journals/FollowReader.h"
#include "journals/Journal.h"
#include "journals/JournalGrowth.h"

namespace vantorel {

class FollowedJournal final : public FollowReader {
 public:
  // What changed in the journal since the last Take.
  struct Change {
    // Records before this one are where they were.
    size_t unchanged = 0;
    // Where each record that was at `unchanged` and after it now is (kGoneRecord: taken
    // away); empty when records were only added at the end.
    std::vector<uint32_t> moved;
    size_t added = 0;
    // A reading failed: the journal is to show no records until it is opened afresh.
    bool failed = false;

    bool Any() const { return failed || added > 0 || !moved.empty(); }
  };

  // Follows `journal`, which must outlive this reader and change through it alone.
  FollowedJournal(Journal& journal, const DateTimeRules& rules);

  FollowRead Append(size_t member, std::string_view bytes) override;
  FollowRead NextFile(size_t member) override;
  void Drop(size_t member) override;
  void Fail(const std::string& error) override;

  // What changed since the last call; from then on nothing has.
  Change Take();

 private:
  FollowRead Taken(const Growth& growth);

  Journal& journal_;
  DateTimeRules rules_;
  Change change_;
};

}  // namespace vantorel
