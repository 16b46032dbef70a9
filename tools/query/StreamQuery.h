#pragma once
// A query over one journal read as a stream, and followed as it grows.
#include <functional>
#include <string>

#include "datetime/RegionalSettings.h"
#include "query/Query.h"
#include "query/QueryOptions.h"

namespace vantorel {

// Prints the view of the journal `options.file`, of `kind`, to `out` as `options` ask; with
// --follow, then its new rows until `followIdle` says to stop, at the times `clock` tells.
// Returns the notices of what the answer leaves out (a NUL that ended the text, cells cut in
// a workbook), UTF-8 lines, for standard error. Raises AppError when the journal cannot be
// read or changed while it was read; a followed journal's later failures go to `err` and the
// following goes on.
std::string RunStreamQuery(const QueryOptions& options, JournalKind kind, const DateTimeRules& rules, TextSink& out,
                           TextSink& err, const std::function<bool()>& followIdle, const FollowClock& clock);

}  // namespace vantorel
