#pragma once
// A query over several journals of one kind, merged by moment as the window merges them.
#include <string>

#include "datetime/RegionalSettings.h"
#include "query/Query.h"
#include "query/QueryOptions.h"

namespace vantorel {

// Prints the view of the journals `options.files`, all of `kind`, merged by moment, to `out`
// as `options` ask: the rows name their journal in one more column, "Журнал", by the names
// ShownJournalNames gives their whole paths. Returns the notice of journals a NUL ended (a
// UTF-8 line, for standard error) or nothing. Raises AppError, its message led by the
// journal's name, when a journal cannot be read, and when the set finds no room.
std::string RunMergedQuery(const QueryOptions& options, JournalKind kind, const DateTimeRules& rules, TextSink& out);

}  // namespace vantorel
