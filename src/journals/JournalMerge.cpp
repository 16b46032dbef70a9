#include "journals/JournalMerge.h"

#include <algorithm>
#include <numeric>
#include <queue>

#include "uStrUtils/AppError.h"

namespace vantorel {
namespace {

constexpr uint32_t kNoListItem = 0xFFFFFFFFu;

// A journal to merge and where its records lie: from `first` on in `records`, its long lines
// keyed with `longKey` there.
struct Member {
  NamedJournal* named;
  const JournalRecords* records;
  size_t first;
  size_t size;
  uint64_t longKey;
  // Set by Ranked.
  TDateTime earliest = kNoMoment;

  const Journal& journal() const { return named->journal; }
  const TDateTime* times() const { return records->times.data() + first; }
};

// The moment of a member's earliest record; members without records come after all others.
TDateTime EarliestMoment(const Member& member) {
  return member.size == 0 ? kNoMoment : *std::min_element(member.times(), member.times() + member.size);
}

// A member's records in time order, file order among equal moments; empty when the file
// order is that already.
std::vector<uint32_t> TimeOrder(const Member& member) {
  const TDateTime* times = member.times();
  if (std::is_sorted(times, times + member.size)) return {};
  std::vector<uint32_t> order(member.size);
  std::iota(order.begin(), order.end(), 0u);
  std::stable_sort(order.begin(), order.end(), [times](uint32_t a, uint32_t b) { return times[a] < times[b]; });
  return order;
}

// The members in the merged journal's order of journals: by earliest moment, then name.
std::vector<Member> Ranked(std::vector<Member> members) {
  std::vector<TDateTime> earliest;
  for (const Member& member : members) earliest.push_back(EarliestMoment(member));
  std::vector<size_t> rank(members.size());
  std::iota(rank.begin(), rank.end(), size_t{0});
  std::sort(rank.begin(), rank.end(), [&](size_t a, size_t b) {
    if (earliest[a] != earliest[b]) return earliest[a] < earliest[b];
    return members[a].named->name < members[b].named->name;
  });
  std::vector<Member> ranked;
  for (size_t r : rank) {
    ranked.push_back(members[r]);
    ranked.back().earliest = earliest[r];
  }
  return ranked;
}

// The merged journal without its records: kind, titles, lists' first items, and the members'
// names, bytes and ends in their order. The members' journals give up their bytes.
Journal MergedShell(std::vector<Member>& members) {
  const Journal& first = members[0].journal();
  const KindDescription& kind = *first.kind;
  Journal merged;
  merged.kind = &kind;
  merged.titles = first.titles;
  merged.days = first.days;
  merged.textEnded = true;
  const Literals& words = Cp1251Literals();
  for (int l = 0; l < kind.listCount; ++l) merged.lists[static_cast<size_t>(l)].Reset(words.*kind.lists[l].allValues);
  for (Member& member : members) {
    Journal& from = member.named->journal;
    merged.progressMax += from.progressMax;
    merged.journalNames.push_back(member.named->name);
    merged.journalEarliest.push_back(member.earliest);
    merged.journalEnds.push_back({from.parsedEnd, from.lastLineOpen, from.endsWithCr, from.textEnded, from.fileStart, from.nulLine});
  }
  return merged;
}

void MoveBytes(std::vector<Member>& members, Journal& merged) {
  for (Member& member : members) merged.journalBytes.push_back(std::move(member.named->journal.bytes));
}

// The records already lie one journal after another in the merged order: they stay where
// they are; each journal's items become items of the merged lists.
Journal KeepInPlace(std::vector<Member>& members, JournalRecords records) {
  Journal merged = MergedShell(members);
  const KindDescription& kind = *merged.kind;
  merged.records = std::move(records);
  const size_t total = merged.records.size();
  merged.journalOf.Resize(total);
  bool anyDay = false;
  for (size_t j = 0; j < members.size(); ++j) {
    const Member& member = members[j];
    const Journal& from = member.journal();
    for (int l = 0; l < kind.listCount; ++l) {
      const auto list = static_cast<size_t>(l);
      const std::vector<std::string_view>& items = from.lists[list].Items();
      std::vector<uint32_t> remap(items.size());
      for (size_t i = 0; i < items.size(); ++i) remap[i] = merged.lists[list].Add(items[i]);
      uint32_t* item = merged.records.items[list].Wide() + member.first;
      for (size_t r = 0; r < member.size; ++r) item[r] = remap[item[r]];
    }
    std::fill(merged.journalOf.begin() + member.first, merged.journalOf.begin() + member.first + member.size,
              static_cast<uint16_t>(j));
    if (kind.findsDays && member.size > 0) {
      if (!anyDay) merged.days = from.days;
      anyDay = true;
      merged.days.Join(from.days);
    }
  }
  MoveBytes(members, merged);
  return merged;
}

// The records of the members, taken in the merged order into arrays of their own.
Journal MergeRecords(std::vector<Member>& members) {
  Journal merged = MergedShell(members);
  const KindDescription& kind = *merged.kind;
  size_t total = 0;
  for (const Member& member : members) total += member.size;
  JournalRecords& records = merged.records;
  records.Resize(kind, total);
  merged.journalOf.Resize(total);
  // The second half of every array comes in beside the merge, which writes from the front.
  std::vector<Prefault::Range> ranges = {records.times.Span(total / 2, total), records.lines.Span(total / 2, total),
                                         merged.journalOf.Span(total / 2, total)};
  for (int l = 0; l < kind.listCount; ++l) ranges.push_back(records.items[static_cast<size_t>(l)].Span(total / 2, total));
  if (kind.messageField >= 0) ranges.push_back(records.tones.Span(total / 2, total));
  Prefault beside(std::move(ranges));

  // The text columns' widths the parse measured, block by block in the order the records lay
  // in, bound the widths of the merged blocks: the widest of the blocks their records came from.
  std::vector<int> textColumns;
  bool measured = total > 0;
  for (const Member& member : members) {
    measured = measured && member.records->widths.Measured(members.front().records->widths.measure, member.records->size()) &&
               !member.records->widths.bounds;
  }
  if (measured) {
    records.widths.Start(members.front().records->widths.measure, total);
    records.widths.bounds = true;
    for (int c = 0; c < kind.columns; ++c) {
      if (IsTextColumn(kind, c)) textColumns.push_back(c);
    }
  }
  // Each journal's items as items of the merged lists, made as the merged order first meets
  // them.
  std::vector<std::array<std::vector<uint32_t>, kMaxLists>> remap(members.size());
  std::vector<std::vector<uint32_t>> orders(members.size());
  for (size_t j = 0; j < members.size(); ++j) {
    for (int l = 0; l < kind.listCount; ++l) {
      remap[j][static_cast<size_t>(l)].assign(members[j].journal().lists[static_cast<size_t>(l)].size(), kNoListItem);
    }
    orders[j] = TimeOrder(members[j]);
  }
  // The next record of each journal: the earliest moment first, then the journal's rank.
  struct Head {
    TDateTime time;
    uint32_t journal;
    uint32_t next;
    bool operator>(const Head& other) const {
      return time != other.time ? time > other.time : journal > other.journal;
    }
  };
  // Record n of member j in time order, as an index into its records.
  auto record = [&](size_t j, uint32_t n) { return members[j].first + (orders[j].empty() ? n : orders[j][n]); };
  std::priority_queue<Head, std::vector<Head>, std::greater<>> heads;
  for (size_t j = 0; j < members.size(); ++j) {
    if (members[j].size > 0) heads.push({members[j].records->times[record(j, 0)], static_cast<uint32_t>(j), 0});
  }
  bool anyDay = false;
  size_t m = 0;
  while (!heads.empty()) {
    Head head = heads.top();
    heads.pop();
    const Member& member = members[head.journal];
    const JournalRecords& from = *member.records;
    const Journal& journal = member.journal();
    // The journal goes on while its next record comes before every other journal's: days of
    // one unit follow each other without a look at the others.
    for (;;) {
      const size_t r = record(head.journal, head.next);
      records.times[m] = head.time;
      records.lines[m] = from.lines[r];
      if (from.lines[r].length == kLongLine) {
        const uint64_t offset = from.lines[r].offset;
        records.longLines[(uint64_t{head.journal} << kLineOffsetBits) | offset] = from.longLines.at(member.longKey | offset);
      }
      for (int l = 0; l < kind.listCount; ++l) {
        const auto list = static_cast<size_t>(l);
        const uint32_t item = from.items[list][r];
        uint32_t& mapped = remap[head.journal][list][item];
        if (mapped == kNoListItem) mapped = merged.lists[list].Add(journal.lists[list].Items()[item]);
        records.items[list].Set(m, mapped);
      }
      if (kind.messageField >= 0) records.tones[m] = from.tones[r];
      for (const int c : textColumns) {
        const auto column = static_cast<size_t>(c);
        uint32_t& bound = records.widths.widest[column][m / kRecordBlock];
        bound = std::max(bound, from.widths.widest[column][r / kRecordBlock]);
      }
      merged.journalOf[m] = static_cast<uint16_t>(head.journal);
      if (kind.findsDays) {
        if (!anyDay) merged.days = DaySpan();
        anyDay = true;
        merged.days.Note(head.time);
      }
      ++m;
      if (++head.next == member.size) break;
      head.time = from.times[record(head.journal, head.next)];
      if (!heads.empty() && head > heads.top()) {
        heads.push(head);
        break;
      }
    }
  }
  MoveBytes(members, merged);
  return merged;
}

void CheckCount(size_t journals) {
  if (journals > 0xFFFF) throw AppError("Too many journals: at most 65535 open as one");
}

}  // namespace

Journal MergeJournals(std::vector<NamedJournal> journals) {
  if (journals.empty()) return {};
  CheckCount(journals.size());
  std::vector<Member> members;
  for (NamedJournal& named : journals) members.push_back({&named, &named.journal.records, 0, named.journal.size(), 0});
  members = Ranked(std::move(members));
  return MergeRecords(members);
}

Journal MergeJournals(std::vector<NamedJournal> journals, JournalRecords records, const std::vector<size_t>& firsts,
                      std::vector<size_t>* ranks) {
  if (journals.empty()) return {};
  CheckCount(journals.size());
  std::vector<Member> members;
  for (size_t j = 0; j < journals.size(); ++j) {
    const size_t end = j + 1 < firsts.size() ? firsts[j + 1] : records.size();
    members.push_back({&journals[j], &records, firsts[j], end - firsts[j], uint64_t{j} << kLineOffsetBits});
  }
  members = Ranked(std::move(members));
  if (ranks != nullptr) {
    ranks->clear();
    for (const Member& member : members) ranks->push_back(static_cast<size_t>(member.named - journals.data()));
  }
  // In place when the journals already lie in their merged order and every moment follows
  // the one before: the order by moment, journal and line is then the order they lie in.
  bool inPlace = true;
  size_t lastEnd = 0;
  for (const Member& member : members) {
    if (member.size == 0) continue;
    inPlace = inPlace && member.first >= lastEnd;
    lastEnd = member.first + member.size;
  }
  inPlace = inPlace && std::is_sorted(records.times.begin(), records.times.end());
  if (inPlace) return KeepInPlace(members, std::move(records));
  return MergeRecords(members);
}

}  // namespace vantorel
