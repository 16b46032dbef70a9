#include "journals/JournalGrowth.h"

#include <algorithm>
#include <cstring>

#include "journals/LineReaders.h"
#include "journals/RecordParser.h"
#include "uStrUtils/AppError.h"

namespace vantorel {
namespace {

template <JournalKind K>
Growth GrowKind(Journal& journal, const DateTimeRules& rules) {
  constexpr const KindDescription& kind = Describe<K>();
  Growth growth;
  JournalRecords& records = journal.records;
  char* base = journal.bytes.data();
  char* end = base + journal.bytes.size;
  RecordParser<K> parser(rules, journal.lists);
  ParsedRecord values;
  std::string_view line;
  // A CR that ended the bytes read and the LF that now follows it are one line end.
  if (journal.endsWithCr && journal.parsedEnd < journal.bytes.size && base[journal.parsedEnd] == '\n') {
    ++journal.parsedEnd;
  }
  journal.endsWithCr = false;
  for (;;) {
    char* begin = base + journal.parsedEnd;
    char* next = nullptr;
    bool any = false;
    if constexpr (kind.lines == LineRule::WholeFile) {
      WholeFileLines lines(begin, end);
      any = lines.Next(line);
      // A line without its line end waits; so does one ended by a CR whose LF may follow.
      if (lines.Cut()) break;
      next = const_cast<char*>(lines.Position());
      if (lines.AtNul()) journal.textEnded = true;
    } else {
      const char* lineEnd = TextLineEnd(begin, end);
      if (lineEnd == end) break;
      next = base + (lineEnd - base) + 1;
      TextLines lines(begin, next);
      any = lines.Next(line);
      if (*lineEnd == '\x1A') journal.textEnded = true;
    }
    if (!any) break;
    try {
      parser.Parse(line, values);
    } catch (const AppError& error) {
      growth.error = error.Message();
      break;
    }
    const size_t i = records.size();
    records.Resize(kind, i + 1);
    StoreRecord<K>(records, i, values, LineTextOf(base, line, records.longLines));
    if constexpr (kind.findsDays) journal.days.Note(values.time);
    ++growth.added;
    journal.parsedEnd = static_cast<size_t>(next - base);
    if (journal.textEnded) break;
  }
  return growth;
}

}  // namespace

Growth GrowJournal(Journal& journal, std::string_view bytes, const DateTimeRules& rules) {
  if (bytes.empty()) return {};
  if (journal.lastLineOpen) return Growth{0, true, {}};
  const size_t size = journal.bytes.size;
  char* before = journal.bytes.data();
  // Room for a quarter more: a journal that grows by a few lines a second is seldom copied.
  if (size + bytes.size() + 1 > journal.bytes.block.capacity()) {
    journal.bytes.block.Reserve(size + bytes.size() + 1 + std::max<size_t>(size / 4, size_t{1} << 20));
  }
  char* after = journal.bytes.data();
  if (after != before) {
    for (DistinctList& list : journal.lists) list.Rebase(before, size, after);
  }
  std::memcpy(after + size, bytes.data(), bytes.size());
  journal.bytes.size = size + bytes.size();
  // Nothing after the end of the text is read.
  if (journal.textEnded) return {};
  return WithKind(journal.kind->kind, [&](auto k) { return GrowKind<decltype(k)::value>(journal, rules); });
}

}  // namespace vantorel
