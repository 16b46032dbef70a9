#include "journals/JournalGrowth.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "journals/LineReaders.h"
#include "journals/RecordParser.h"
#include "uStrUtils/AppError.h"

namespace vantorel {
namespace {

constexpr uint32_t kNoListItem = 0xFFFFFFFFu;

// Appends `bytes` to `to`; the list items that are views into `to` follow it when it moves.
void AppendBytes(FileBytes& to, std::array<DistinctList, kMaxLists>& lists, std::string_view bytes) {
  const size_t size = to.size;
  char* before = to.data();
  // Room for a quarter more: a journal that grows by a few lines a second is seldom copied.
  if (size + bytes.size() + 1 > to.block.capacity()) {
    to.block.Reserve(size + bytes.size() + 1 + std::max<size_t>(size / 4, size_t{1} << 20));
  }
  char* after = to.data();
  if (after != before) {
    for (DistinctList& list : lists) list.Rebase(before, size, after);
  }
  std::memcpy(after + size, bytes.data(), bytes.size());
  to.size = size + bytes.size();
}

// Reads the complete record lines of the `size` bytes at `base` from `ends.parsedEnd` on, by
// K's line rule, and hands each line and its values to `take`; `ends` moves past each line
// taken. Stops at a line without its line end, at the end of the text, or at a bad record
// line, whose conversion error it returns.
template <JournalKind K, typename Take>
std::string ReadRecordLines(char* base, size_t size, Journal::MemberEnd& ends, RecordParser<K>& parser, Take&& take) {
  constexpr const KindDescription& kind = Describe<K>();
  char* end = base + size;
  ParsedRecord values;
  std::string_view line;
  // A CR that ended the bytes read and the LF that now follows it are one line end.
  if (ends.endsWithCr && ends.parsedEnd < size && base[ends.parsedEnd] == '\n') ++ends.parsedEnd;
  ends.endsWithCr = false;
  for (;;) {
    char* begin = base + ends.parsedEnd;
    char* next = nullptr;
    bool any = false;
    if constexpr (kind.lines == LineRule::WholeFile) {
      WholeFileLines lines(begin, end);
      any = lines.Next(line);
      // A line without its line end waits; so does one ended by a CR whose LF may follow.
      if (lines.Cut()) break;
      next = const_cast<char*>(lines.Position());
      if (lines.AtNul()) ends.textEnded = true;
    } else {
      const char* lineEnd = TextLineEnd(begin, end);
      if (lineEnd == end) break;
      next = base + (lineEnd - base) + 1;
      TextLines lines(begin, next);
      any = lines.Next(line);
      if (*lineEnd == '\x1A') ends.textEnded = true;
    }
    if (!any) break;
    try {
      parser.Parse(line, values);
    } catch (const AppError& error) {
      return error.Message();
    }
    take(line, values);
    ends.parsedEnd = static_cast<size_t>(next - base);
    if (ends.textEnded) break;
  }
  return {};
}

template <JournalKind K>
Growth GrowKind(Journal& journal, const DateTimeRules& rules) {
  constexpr const KindDescription& kind = Describe<K>();
  Growth growth;
  JournalRecords& records = journal.records;
  char* base = journal.bytes.data();
  RecordParser<K> parser(rules, journal.lists);
  Journal::MemberEnd ends{journal.parsedEnd, journal.lastLineOpen, journal.endsWithCr, journal.textEnded};
  growth.error = ReadRecordLines<K>(base, journal.bytes.size, ends, parser, [&](std::string_view line, const ParsedRecord& values) {
    const size_t i = records.size();
    records.Resize(kind, i + 1);
    StoreRecord<K>(records, i, values, LineTextOf(base, line, records.longLines));
    if constexpr (kind.findsDays) journal.days.Note(values.time);
    ++growth.added;
  });
  journal.parsedEnd = ends.parsedEnd;
  journal.endsWithCr = ends.endsWithCr;
  journal.textEnded = ends.textEnded;
  return growth;
}

// One journal's growth, read but not yet added to the merged journal.
struct Stage {
  size_t journal = 0;
  // The size of its bytes before, and the unread bytes after its last record, which reading
  // lines may have moved: put back when nothing is added.
  size_t size = 0;
  std::string unread;
  Journal::MemberEnd ends;
  // The records' list items are items of these lists until they are added.
  std::array<DistinctList, kMaxLists> lists;
  std::vector<std::pair<ParsedRecord, std::string_view>> records;
  std::string error;

  TDateTime First() const { return records.front().first.time; }
};

// Whether the bytes of a journal up to `parsedEnd` hold a line after the title: its records.
bool HoldsRecords(const KindDescription& kind, const FileBytes& bytes, size_t parsedEnd) {
  const char* base = bytes.data();
  const char* end = base + parsedEnd;
  if (kind.lines == LineRule::WholeFile) {
    WholeFileLines lines(base, end);
    std::string_view title;
    return lines.Next(title) && !lines.AtNul() && lines.Position() < end;
  }
  const char* titleEnd = TextLineEnd(base, end);
  return titleEnd != end && *titleEnd == '\n' && titleEnd + 1 < end;
}

// Whether the stages' records, added in `order` after the merged journal's, keep the merged
// order: by moment, then by the rank of the journal, then by line.
bool KeepsMergedOrder(const Journal& journal, const std::vector<Stage*>& order) {
  bool any = !journal.empty();
  TDateTime lastTime = any ? journal.records.times[journal.size() - 1] : 0;
  size_t lastJournal = any ? journal.journalOf[journal.size() - 1] : 0;
  std::vector<bool> gained(journal.journalNames.size(), false);
  auto holds = [&](size_t j) {
    return gained[j] || HoldsRecords(*journal.kind, journal.journalBytes[j], journal.journalEnds[j].parsedEnd);
  };
  for (const Stage* stage : order) {
    if (stage->records.empty()) break;
    const size_t j = stage->journal;
    const TDateTime first = stage->First();
    if (any && (first < lastTime || (first == lastTime && j < lastJournal))) return false;
    // Journals without records rank last, by name; with records they would rank by their
    // first moment: only the first of them may gain records, after every record there is.
    if (!holds(j) && ((any && first == lastTime) || (j > 0 && !holds(j - 1)))) return false;
    for (size_t r = 1; r < stage->records.size(); ++r) {
      if (stage->records[r].first.time < stage->records[r - 1].first.time) return false;
    }
    gained[j] = true;
    any = true;
    lastTime = stage->records.back().first.time;
    lastJournal = j;
  }
  return true;
}

template <JournalKind K>
Growth GrowMembers(Journal& journal, const std::vector<MemberBytes>& added, const DateTimeRules& rules) {
  constexpr const KindDescription& kind = Describe<K>();
  Growth growth;
  for (const MemberBytes& member : added) {
    if (!member.bytes.empty() && journal.journalEnds[member.journal].lastLineOpen) {
      growth.reload = true;
      return growth;
    }
  }
  std::vector<Stage> stages;
  // The parsers hold on to the stages' lists: the stages do not move.
  stages.reserve(added.size());
  for (const MemberBytes& member : added) {
    if (member.bytes.empty()) continue;
    Stage& stage = stages.emplace_back();
    stage.journal = member.journal;
    stage.ends = journal.journalEnds[member.journal];
    FileBytes& bytes = journal.journalBytes[member.journal];
    stage.size = bytes.size;
    AppendBytes(bytes, journal.lists, member.bytes);
    // Nothing after the end of the text is read.
    if (stage.ends.textEnded) continue;
    stage.unread.assign(bytes.data() + stage.ends.parsedEnd, stage.size - stage.ends.parsedEnd);
    RecordParser<K> parser(rules, stage.lists);
    stage.error = ReadRecordLines<K>(bytes.data(), bytes.size, stage.ends, parser,
                                     [&stage](std::string_view line, const ParsedRecord& values) {
                                       stage.records.emplace_back(values, line);
                                     });
  }
  // The journal whose new records begin first goes first; those without any, last.
  std::vector<Stage*> order;
  for (Stage& stage : stages) order.push_back(&stage);
  std::stable_sort(order.begin(), order.end(), [](const Stage* a, const Stage* b) {
    if (a->records.empty() || b->records.empty()) return !a->records.empty() && b->records.empty();
    return a->First() != b->First() ? a->First() < b->First() : a->journal < b->journal;
  });
  if (!KeepsMergedOrder(journal, order)) {
    for (const Stage& stage : stages) {
      FileBytes& bytes = journal.journalBytes[stage.journal];
      std::memcpy(bytes.data() + journal.journalEnds[stage.journal].parsedEnd, stage.unread.data(), stage.unread.size());
      bytes.size = stage.size;
    }
    growth.reload = growth.outOfStep = true;
    return growth;
  }

  JournalRecords& records = journal.records;
  const size_t before = journal.size();
  size_t n = before;
  size_t total = n;
  for (const Stage& stage : stages) total += stage.records.size();
  records.Resize(kind, total);
  journal.journalOf.Resize(total);
  for (const Stage* stage : order) {
    const size_t j = stage->journal;
    const char* base = journal.journalBytes[j].data();
    const uint64_t longKey = uint64_t{j} << kLineOffsetBits;
    std::array<std::vector<uint32_t>, kMaxLists> remap;
    for (int l = 0; l < kind.listCount; ++l) {
      remap[static_cast<size_t>(l)].assign(stage->lists[static_cast<size_t>(l)].size(), kNoListItem);
    }
    for (const auto& [values, line] : stage->records) {
      ParsedRecord merged = values;
      // The lists take the new values as the merged order first meets them.
      for (int l = 0; l < kind.listCount; ++l) {
        const auto list = static_cast<size_t>(l);
        uint32_t& item = remap[list][values.items[list]];
        if (item == kNoListItem) item = journal.lists[list].Add(stage->lists[list].Items()[values.items[list]]);
        merged.items[list] = item;
      }
      StoreRecord<K>(records, n, merged, LineTextOf(base, line, records.longLines, longKey));
      journal.journalOf[n] = static_cast<uint16_t>(j);
      if constexpr (kind.findsDays) journal.days.Note(values.time);
      ++n;
    }
    journal.journalEnds[j] = stage->ends;
    if (growth.error.empty() && !stage->error.empty()) growth.error = journal.journalNames[j] + ": " + stage->error;
  }
  growth.added = total - before;
  return growth;
}

}  // namespace

Growth GrowJournal(Journal& journal, std::string_view bytes, const DateTimeRules& rules) {
  if (bytes.empty()) return {};
  if (journal.lastLineOpen) {
    Growth growth;
    growth.reload = true;
    return growth;
  }
  AppendBytes(journal.bytes, journal.lists, bytes);
  // Nothing after the end of the text is read.
  if (journal.textEnded) return {};
  return WithKind(journal.kind->kind, [&](auto k) { return GrowKind<decltype(k)::value>(journal, rules); });
}

Growth GrowMerged(Journal& journal, const std::vector<MemberBytes>& added, const DateTimeRules& rules) {
  return WithKind(journal.kind->kind, [&](auto k) { return GrowMembers<decltype(k)::value>(journal, added, rules); });
}

}  // namespace vantorel
