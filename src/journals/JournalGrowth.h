#pragma once
// A journal that its writer goes on appending to: the records its new bytes bring.
#include <string>
#include <string_view>
#include <vector>

#include "datetime/RegionalSettings.h"
#include "journals/Journal.h"

namespace vantorel {

struct Growth {
  // Records added to the end of the journal.
  size_t added = 0;
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
// journals' bytes and adds the records they complete, read as GrowJournal reads them, at the
// merged journal's end: the journal whose new records begin earliest first. They are added
// only when that keeps the merged order (see MergeJournals), which a journal without records
// that gains its first ones keeps only while it stays where a fresh merge would rank it;
// otherwise `outOfStep` says so, nothing changes and the bytes are not kept. A bad record
// line stops its journal's growth there; the first such error is reported.
Growth GrowMerged(Journal& journal, const std::vector<MemberBytes>& added, const DateTimeRules& rules);

}  // namespace vantorel
