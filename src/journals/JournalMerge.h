#pragma once
// Several journals of one kind as one: their records in the order of their moments.
#include <string>
#include <vector>

#include "journals/Journal.h"

namespace vantorel {

// A journal and the name of its file.
struct NamedJournal {
  std::string name;
  Journal journal;
};

// The journals, all of one kind, as one journal: every record in the order of its date and
// time; records of equal moments in the order of their journals (by each journal's earliest
// moment, then name) and, within a journal, in file order, whatever order the journals come
// in. The lists hold every journal's values in order of first occurrence in that order; the
// titles are the first journal's in that order; each record knows its journal (`journalOf`,
// an index into `journalNames`, which lists the names in that order). The journals' bytes
// are kept, not copied.
Journal MergeJournals(std::vector<NamedJournal> journals);

// The same for journals whose records lie one after another in `records`, journal j's from
// `firsts[j]` (increasing) on and its long lines keyed with j << kLineOffsetBits there, their
// own record arrays empty. When the journals lie in their merged order and their moments follow each
// other, the records stay where they are. With `ranks`, ranks[i] is set to the index in
// `journals` of the merged journal's journal i.
Journal MergeJournals(std::vector<NamedJournal> journals, JournalRecords records, const std::vector<size_t>& firsts,
                      std::vector<size_t>* ranks = nullptr);

}  // namespace vantorel
