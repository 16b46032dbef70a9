#pragma once
// A journal that its writer goes on appending to: the records its new bytes bring.
#include <string>
#include <string_view>

#include "datetime/RegionalSettings.h"
#include "journals/Journal.h"

namespace vantorel {

struct Growth {
  // Records added to the end of the journal.
  size_t added = 0;
  // The new bytes change a record or title already read (its line had no line end): the
  // journal must be read again whole.
  bool reload = false;
  // The date-time conversion error of a bad record line; the records before it stay.
  std::string error;
};

// Appends `bytes`, the file's bytes after those read, and parses the record lines they
// complete, by the kind's line rule; a last line without its line end waits for more bytes.
// The lists grow in order of first occurrence.
Growth GrowJournal(Journal& journal, std::string_view bytes, const DateTimeRules& rules);

}  // namespace vantorel
