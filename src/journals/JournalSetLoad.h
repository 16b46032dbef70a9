#pragma once
// Loading several journals of one kind as one: read side by side, parsed on every core,
// merged by moment.
#include <memory>
#include <string>
#include <vector>

#include "journals/JournalLoad.h"
#include "journals/JournalMerge.h"
#include "journals/JournalSource.h"

namespace vantorel {

// What a set's files held, as far as they were read: for the report of a load that found no
// room.
struct SetSize {
  size_t bytes = 0;
  size_t records = 0;
};

// Loads the journals of `sources` (opened here when not open yet) as journals of `kind` and
// merges them (see MergeJournals); `names[j]` is what the merged journal and messages call
// journal j. The files are read side by side, one per core, then parsed one after another on
// every core, in the order of their first records' moments; the observer is told the first
// titles, one start with every file's lines and the records of all of them. On return
// `sources` are in the order of the merged journal's names. `names` are best made by
// ShownJournalNames. Raises AppError "NAME: message" (a file that cannot be read: the first in
// the given order; a record that is no date and time: the first in the order of parsing),
// AppError SetNotEnoughMemoryMessage when the memory ran out (with `size` then saying what
// the whole set holds, the journals not read guessed from their sizes), or LoadCancelled.
// Every step is n log n in the journals or better.
Journal LoadJournalSet(std::vector<std::unique_ptr<JournalSource>>& sources, const std::vector<std::string>& names,
                       JournalKind kind, const LoadOptions& options, SetSize& size);

// The journals `read`, all of `kind`, journal j named names[j], parsed one after another on
// every core into one set of arrays in the order of their first records' moments (journals of
// days that follow each other then need no merge), and merged (see MergeJournals); `order[i]`
// is set to the index in `read` of the merged journal's journal i. The observer is told as
// LoadJournalSet tells it. Raises AppError "NAME: message" for the first record that is no
// date and time in the order of parsing, LoadCancelled, std::bad_alloc.
Journal MergeReadJournals(std::vector<JournalBytes> read, const std::vector<std::string>& names, JournalKind kind,
                          const LoadOptions& options, std::vector<size_t>& order);

// The message of a set of journals (`names`, Windows-1251) that could not have the memory it
// needed: "Not enough memory to load N journals (FIRST … LAST): about M MB needed.".
std::string SetNotEnoughMemoryMessage(const std::vector<std::string>& names, size_t bytesNeeded);

}  // namespace vantorel
