#include "journals/JournalGrowth.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <utility>

#include "journals/LineReaders.h"
#include "journals/RecordParser.h"
#include "uStrUtils/AppError.h"
#include "uStrUtils/Literals.h"

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
      // A line without its line end waits. One ended by a CR that ends the bytes is whole:
      // an LF that follows it later belongs to its line end.
      if (lines.Cut()) {
        if (!any || line.data() + line.size() + 1 != end || end[-1] != '\r') break;
        ends.endsWithCr = true;
      }
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
  growth.firstChanged = journal.size();
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

// A record of a merged journal by its place in the merged order: moment, journal, line.
struct Key {
  TDateTime time;
  uint32_t journal;
  uint64_t offset;
};

Key KeyOf(const Journal& journal, size_t i) {
  return {journal.records.times[i], journal.journalOf[i], journal.records.lines[i].offset};
}

// A new record of a merged journal, its items still those of its stage's lists.
struct Added {
  ParsedRecord values;
  std::string_view line;
  uint32_t journal;
  uint64_t offset;

  bool Before(const Key& other) const {
    if (values.time != other.time) return values.time < other.time;
    if (journal != other.journal) return journal < other.journal;
    return offset < other.offset;
  }
  bool Before(const Added& other) const { return Before(Key{other.values.time, other.journal, other.offset}); }
};

// Record `from` of a merged journal goes to place `to`.
void MoveRecord(Journal& journal, size_t from, size_t to) {
  JournalRecords& records = journal.records;
  const KindDescription& kind = *journal.kind;
  records.times[to] = records.times[from];
  records.lines[to] = records.lines[from];
  for (int l = 0; l < kind.listCount; ++l) {
    ListItems& items = records.items[static_cast<size_t>(l)];
    items.Set(to, items[from]);
  }
  if (kind.messageField >= 0) records.tones[to] = records.tones[from];
  journal.journalOf[to] = journal.journalOf[from];
}

// Whether the journals, each with its earliest moment `earliest`, keep their order: by
// earliest moment, then by name. Journals without records take no part: their place orders
// nothing.
bool RanksStay(const Journal& journal, const std::vector<TDateTime>& earliest) {
  size_t last = earliest.size();
  for (size_t j = 0; j < earliest.size(); ++j) {
    if (earliest[j] >= kNoMoment) continue;
    if (last != earliest.size()) {
      if (earliest[last] > earliest[j]) return false;
      if (earliest[last] == earliest[j] && journal.journalNames[j] < journal.journalNames[last]) return false;
    }
    last = j;
  }
  return true;
}

template <JournalKind K>
Growth GrowMembers(Journal& journal, const std::vector<MemberBytes>& added, const DateTimeRules& rules) {
  constexpr const KindDescription& kind = Describe<K>();
  Growth growth;
  growth.firstChanged = journal.size();
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
  std::vector<TDateTime> earliest = journal.journalEarliest;
  for (const Stage& stage : stages) {
    for (const auto& record : stage.records) earliest[stage.journal] = std::min(earliest[stage.journal], record.first.time);
  }
  const bool inOrder = KeepsMergedOrder(journal, order);
  if (!RanksStay(journal, earliest)) {
    for (const Stage& stage : stages) {
      FileBytes& bytes = journal.journalBytes[stage.journal];
      std::memcpy(bytes.data() + journal.journalEnds[stage.journal].parsedEnd, stage.unread.data(), stage.unread.size());
      bytes.size = stage.size;
    }
    growth.reload = growth.outOfStep = true;
    return growth;
  }

  // The records as the merged order meets them, their items those of the merged lists.
  std::vector<Added> fresh;
  for (const Stage* stage : order) {
    const size_t j = stage->journal;
    const char* base = journal.journalBytes[j].data();
    for (const auto& [values, line] : stage->records) {
      fresh.push_back({values, line, static_cast<uint32_t>(j), static_cast<uint64_t>(line.data() - base)});
    }
  }
  if (!inOrder) {
    std::stable_sort(fresh.begin(), fresh.end(), [](const Added& a, const Added& b) { return a.Before(b); });
  }
  std::array<std::vector<uint32_t>, kMaxLists> remap;
  std::vector<const Stage*> stageOf(journal.journalNames.size(), nullptr);
  for (const Stage& stage : stages) stageOf[stage.journal] = &stage;
  std::vector<std::array<std::vector<uint32_t>, kMaxLists>> remaps(journal.journalNames.size());
  for (const Stage& stage : stages) {
    for (int l = 0; l < kind.listCount; ++l) {
      remaps[stage.journal][static_cast<size_t>(l)].assign(stage.lists[static_cast<size_t>(l)].size(), kNoListItem);
    }
  }
  for (Added& record : fresh) {
    const Stage& stage = *stageOf[record.journal];
    for (int l = 0; l < kind.listCount; ++l) {
      const auto list = static_cast<size_t>(l);
      uint32_t& item = remaps[record.journal][list][record.values.items[list]];
      if (item == kNoListItem) item = journal.lists[list].Add(stage.lists[list].Items()[record.values.items[list]]);
      record.values.items[list] = item;
    }
  }

  JournalRecords& records = journal.records;
  const size_t before = journal.size();
  const size_t total = before + fresh.size();
  records.Resize(kind, total);
  journal.journalOf.Resize(total);
  auto store = [&](const Added& record, size_t at) {
    const uint64_t longKey = uint64_t{record.journal} << kLineOffsetBits;
    StoreRecord<K>(records, at, record.values, LineTextOf(journal.journalBytes[record.journal].data(), record.line, records.longLines, longKey));
    journal.journalOf[at] = static_cast<uint16_t>(record.journal);
  };
  growth.firstChanged = before;
  if (inOrder) {
    for (size_t n = 0; n < fresh.size(); ++n) store(fresh[n], before + n);
  } else {
    // From the end backwards: the records that come after a new one move up, those before
    // the first new one stay where they are.
    size_t old = before;
    size_t write = total;
    std::vector<std::pair<size_t, size_t>> moves;
    for (size_t n = fresh.size(); n > 0;) {
      const Added& next = fresh[n - 1];
      if (old > 0 && next.Before(KeyOf(journal, old - 1))) {
        --old;
        --write;
        MoveRecord(journal, old, write);
        moves.emplace_back(old, write);
      } else {
        --n;
        --write;
        store(next, write);
      }
    }
    growth.firstChanged = old;
    growth.moved.assign(before - old, 0);
    for (const auto& [from, to] : moves) growth.moved[from - old] = static_cast<uint32_t>(to);
  }
  if constexpr (kind.findsDays) {
    for (const Added& record : fresh) journal.days.Note(record.values.time);
  }
  journal.journalEarliest = std::move(earliest);
  for (const Stage* stage : order) {
    journal.journalEnds[stage->journal] = stage->ends;
    if (growth.error.empty() && !stage->error.empty()) growth.error = journal.journalNames[stage->journal] + ": " + stage->error;
  }
  growth.added = fresh.size();
  return growth;
}

}  // namespace

Growth GrowJournal(Journal& journal, std::string_view bytes, const DateTimeRules& rules) {
  Growth unchanged;
  unchanged.firstChanged = journal.size();
  if (bytes.empty()) return unchanged;
  if (journal.lastLineOpen) {
    unchanged.reload = true;
    return unchanged;
  }
  AppendBytes(journal.bytes, journal.lists, bytes);
  // Nothing after the end of the text is read.
  if (journal.textEnded) return unchanged;
  return WithKind(journal.kind->kind, [&](auto k) { return GrowKind<decltype(k)::value>(journal, rules); });
}

Growth GrowMerged(Journal& journal, const std::vector<MemberBytes>& added, const DateTimeRules& rules) {
  return WithKind(journal.kind->kind, [&](auto k) { return GrowMembers<decltype(k)::value>(journal, added, rules); });
}

Growth EndFile(Journal& journal, size_t member, const DateTimeRules& rules) {
  const bool merged = journal.Merged();
  const Journal::MemberEnd ends = merged ? journal.journalEnds[member]
                                         : Journal::MemberEnd{journal.parsedEnd, journal.lastLineOpen, journal.endsWithCr,
                                                              journal.textEnded, journal.fileStart};
  const size_t size = merged ? journal.journalBytes[member].size : journal.bytes.size;
  Growth growth;
  growth.firstChanged = journal.size();
  // The open line is whole: read as a record already, or read now.
  if (!ends.lastLineOpen && !ends.textEnded && ends.parsedEnd < size) {
    growth = merged ? GrowMerged(journal, {{member, "\n"}}, rules) : GrowJournal(journal, "\n", rules);
    if (growth.reload) return growth;
  }
  const size_t end = merged ? journal.journalBytes[member].size : journal.bytes.size;
  if (merged) {
    journal.journalEnds[member] = Journal::MemberEnd{end, false, false, false, end};
  } else {
    journal.parsedEnd = journal.fileStart = end;
    journal.lastLineOpen = journal.endsWithCr = journal.textEnded = false;
  }
  return growth;
}

Growth DropRecords(Journal& journal, size_t member) {
  const KindDescription& kind = *journal.kind;
  JournalRecords& records = journal.records;
  Growth growth;
  const size_t before = journal.size();
  const bool merged = journal.Merged();
  const size_t fileStart = merged ? journal.journalEnds[member].fileStart : journal.fileStart;
  FileBytes& bytes = merged ? journal.journalBytes[member] : journal.bytes;
  auto dropped = [&](size_t i) {
    return (!merged || journal.journalOf[i] == member) && records.lines[i].offset >= fileStart;
  };
  size_t first = 0;
  while (first < before && !dropped(first)) ++first;
  growth.firstChanged = first;
  growth.moved.assign(before - first, kGoneRecord);
  size_t write = first;
  for (size_t i = first; i < before; ++i) {
    if (dropped(i)) continue;
    if (merged) MoveRecord(journal, i, write);
    growth.moved[i - first] = static_cast<uint32_t>(write++);
  }
  records.Resize(kind, write);
  if (merged) journal.journalOf.Resize(write);
  const uint64_t key = merged ? uint64_t{member} << kLineOffsetBits : 0;
  for (auto at = records.longLines.begin(); at != records.longLines.end();) {
    const bool mine = (at->first >> kLineOffsetBits) == (key >> kLineOffsetBits) && (at->first & ((uint64_t{1} << kLineOffsetBits) - 1)) >= fileStart;
    at = mine ? records.longLines.erase(at) : std::next(at);
  }
  if (!merged && fileStart == 0) {
    // Nothing is left that the lists' texts could be in: the bytes are read again in place.
    bytes.size = 0;
    const Literals& words = Cp1251Literals();
    for (int l = 0; l < kind.listCount; ++l) journal.lists[static_cast<size_t>(l)].Reset(words.*kind.lists[l].allValues);
  }
  // Otherwise the lists' texts may be in the bytes dropped: they stay, and the file's lines
  // are read after them.
  const size_t end = bytes.size;
  if (merged) {
    journal.journalEnds[member] = Journal::MemberEnd{end, false, false, false, end};
    TDateTime earliest = kNoMoment;
    for (size_t i = 0; i < write; ++i) {
      if (journal.journalOf[i] == member) earliest = std::min(earliest, records.times[i]);
    }
    journal.journalEarliest[member] = earliest;
  } else {
    journal.parsedEnd = journal.fileStart = end;
    journal.lastLineOpen = journal.endsWithCr = journal.textEnded = false;
  }
  if (kind.findsDays) {
    const TDateTime start = journal.days.earliest;
    journal.days = DaySpan();
    journal.days.earliest = journal.days.latest = start;
    for (size_t i = 0; i < write; ++i) journal.days.Note(records.times[i]);
  }
  return growth;
}

}  // namespace vantorel
