#pragma once
// A query over several journals of one kind, merged by moment as the window merges them.
#include "datetime/RegionalSettings.h"
#include "query/Query.h"
#include "query/QueryOptions.h"

namespace vantorel {

// Prints the view of the journals `options.files`, all of `kind`, merged by moment, to `out`
// as `options` ask: the rows name their journal in one more column, "Журнал". Raises
// AppError, its message led by the journal's name, when a journal cannot be read.
void RunMergedQuery(const QueryOptions& options, JournalKind kind, const DateTimeRules& rules, TextSink& out);

}  // namespace vantorel
