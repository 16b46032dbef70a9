#pragma once
// A journal that its writer goes on appending to: the records its new bytes bring.
#include <string>
#include <string_view>
#include <vector>

#include "datetime/RegionalSettings.h"
#include "journals/Journal.h"

namespace vantorel {

// A record that is no longer there, in Growth::moved.
inline constexpr uint32_t kGoneRecord = 0xFFFFFFFFu;

struct Growth {
  // Records added.
  size_t added = 0;
  // The records before this one are where they were; from it on, records were added, taken
  // away or moved (of merged journals, new records go among the others by moment).
  size_t firstChanged = 0;
  // Where each record that was at firstChanged and after it now is; kGoneRecord for one taken
  // away. Empty when records were only added at the end.
  std::vector<uint32_t> moved;
  // The new bytes change a record or title already read (its line had no line end), or of
  // several merged journals they bring records that would go before the last one: the
  // journal is left as it was, and must be read again whole.
  bool reload = false;
  // Set with `reload` when it is the merged order that the new records do not follow.
  bool outOfStep = false;
  // The date-time conversion error of a bad record line; the records before it stay. Of
  // merged journals, "NAME: message" with the journal's name.
  std::string error;
};

// Appends `bytes`, the file's bytes after those read, and parses the record lines they
// complete, by the kind's line rule; a last line without its line end waits for more bytes.
// The lists grow in order of first occurrence.
Growth GrowJournal(Journal& journal, std::string_view bytes, const DateTimeRules& rules);

// The new bytes of journal `journal` (an index into journalNames) of a merged journal.
struct MemberBytes {
  size_t journal = 0;
  std::string_view bytes;
};

// Appends the new bytes of some journals of the merged `journal`, each named once, to those
// journals' bytes and adds the records they complete, read as GrowJournal reads them, in the
// merged order (see MergeJournals): at the end when they come after every record there is,
// among the others otherwise. When the records would change the order of the journals (a
// journal's earliest moment passing another's), `outOfStep` says so, nothing changes and the
// bytes are not kept. A bad record line stops its journal's growth there; the first such
// error is reported.
Growth GrowMerged(Journal& journal, const std::vector<MemberBytes>& added, const DateTimeRules& rules);

// The file journal `member` (0 for a journal of one file) was read from has ended: a last
// line without its line end is a record after all, and what comes next for it is read as
// the lines of another file.
Growth EndFile(Journal& journal, size_t member, const DateTimeRules& rules);

// The records of the file journal `member` (0 for a journal of one file) is read from now
// go, those of the files before it stay; its lines are read again from the file's start.
Growth DropRecords(Journal& journal, size_t member);

}  // namespace vantorel
