#pragma once
// A query over one journal read as a stream, and followed as it grows.
#include <functional>

#include "datetime/RegionalSettings.h"
#include "query/Query.h"
#include "query/QueryOptions.h"

namespace vantorel {

// Prints the view of the journal `options.file`, of `kind`, to `out` as `options` ask; with
// --follow, then its new rows until `followIdle` says to stop, at the times `clock` tells. Raises AppError when the journal
// cannot be read; a followed journal's later failures go to `err` and the following goes on.
void RunStreamQuery(const QueryOptions& options, JournalKind kind, const DateTimeRules& rules, TextSink& out,
                    TextSink& err, const std::function<bool()>& followIdle, const FollowClock& clock);

}  // namespace vantorel
