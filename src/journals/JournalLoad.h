#pragma once
// Loading a journal: its bytes read once, its record lines parsed on every core, its filter
// lists built in order of first occurrence.
#include <atomic>
#include <optional>
#include <string>
#include <string_view>

#include "datetime/RegionalSettings.h"
#include "journals/FileBytes.h"
#include "journals/Journal.h"
#include "journals/LoadObserver.h"

namespace vantorel {

struct LoadOptions {
  DateTimeRules rules;
  // The date range of a parameter-change or statistics journal without records: the date
  // picker's value when the load starts.
  TDateTime startDate = 0;
  // Told of titles and progress, from the thread that runs the load; may be null.
  LoadObserver* observer = nullptr;
  // When set, the load ends soon with LoadCancelled.
  const std::atomic<bool>* cancel = nullptr;
  // Threads that parse; 0 takes every core.
  int threads = 0;
  // A journal is cut into parts of at least this many bytes, one per thread; a journal of
  // several times that many is parsed part by part while it is still being read.
  size_t minPartBytes = size_t{4} << 20;
  // The file is read in pieces of this many bytes.
  size_t pieceBytes = size_t{1} << 20;
  // When set, the text columns' widths in this measure are taken as the records are parsed
  // (the records' `widths`).
  const TextMeasure* measure = nullptr;
};

// Reads the journal at `path` as a journal of `kind`: titles, then one record per record line
// (whole-file lines after the first for every kind but actions, text lines after the first
// for actions), then the lists. Raises AppError: the file's input/output error, "Range check
// error" for a file without lines (not for actions), the date-time conversion error of the
// first bad record in file order, or "Not enough memory to load NAME: about N MB needed.".
// Raises LoadCancelled when the cancel flag is set.
Journal LoadJournal(const std::string& path, JournalKind kind, const LoadOptions& options);
// The same through `source`, opened here when it is not open yet; it is left at the end of
// what was read, for growth to go on from.
Journal LoadJournal(JournalSource& source, JournalKind kind, const LoadOptions& options);

// The same over bytes already read and counted; `name` names the file in messages.
Journal ParseJournal(JournalBytes bytes, JournalKind kind, const LoadOptions& options, std::string_view name = {});
// The same with the records put into `records`, which has room for them, from record `first`
// on, the journal's long lines there keyed with `longKey`: the journal's own records stay
// empty. Raises std::bad_alloc as it comes.
Journal ParseJournalInto(JournalBytes bytes, JournalKind kind, const LoadOptions& options, JournalRecords& records,
                         size_t first, uint64_t longKey);
// The records that ParseJournal makes of `bytes`: their record lines.
size_t RecordLineCount(const JournalBytes& bytes, JournalKind kind);
// The moment of the first record of `bytes`; none without records or when its date and time
// do not read.
std::optional<TDateTime> FirstRecordMoment(const JournalBytes& bytes, JournalKind kind, const DateTimeRules& rules);

// The kinds' loaders.
inline Journal LoadAlarmLog(const std::string& path, const LoadOptions& options) {
  return LoadJournal(path, JournalKind::Alarms, options);
}
inline Journal LoadActionLog(const std::string& path, const LoadOptions& options) {
  return LoadJournal(path, JournalKind::Action, options);
}
// Parameter-change and statistics journals have one format; the extension tells which.
Journal LoadParamStatLog(const std::string& path, const LoadOptions& options);

// The bytes a shown row of a view takes beside its record: its place in the row index and
// the table's own share.
inline constexpr size_t kShownRowBytes = 12;

// What a journal of `size` bytes and `records` records takes once loaded and shown: what a
// load that found no room says it needed, whichever of its allocations failed.
size_t LoadFootprint(JournalKind kind, size_t size, size_t records);

// About how many records the journal of `source`, open, holds, by its size and the lines of
// its first bytes: for the report of a load that found no room before it counted them.
size_t GuessedRecords(const JournalSource& source);

// The message of a load that could not have the memory it needed: `what` names the journal
// (or the journals), Windows-1251.
std::string NotEnoughMemoryMessage(std::string_view what, size_t bytesNeeded);

}  // namespace vantorel
