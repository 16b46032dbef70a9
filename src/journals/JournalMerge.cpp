#include "journals/JournalMerge.h"

#include <algorithm>
#include <numeric>
#include <queue>

#include "uStrUtils/AppError.h"

namespace vantorel {
namespace {

constexpr uint32_t kNoListItem = 0xFFFFFFFFu;

// The moment of a journal's earliest record; journals without records come after all others.
TDateTime EarliestMoment(const Journal& journal) {
  const TDateTime* times = journal.records.times.data();
  return journal.empty() ? 1e300 : *std::min_element(times, times + journal.size());
}

// A journal's records in time order, file order among equal moments; empty when the file
// order is that already.
std::vector<uint32_t> TimeOrder(const Journal& journal) {
  const TDateTime* times = journal.records.times.data();
  if (std::is_sorted(times, times + journal.size())) return {};
  std::vector<uint32_t> order(journal.size());
  std::iota(order.begin(), order.end(), 0u);
  std::stable_sort(order.begin(), order.end(), [times](uint32_t a, uint32_t b) { return times[a] < times[b]; });
  return order;
}

}  // namespace

Journal MergeJournals(std::vector<NamedJournal> journals) {
  if (journals.empty()) return {};
  if (journals.size() > 0xFFFF) throw AppError("Too many journals: at most 65535 open as one");
  std::vector<TDateTime> earliest;
  for (const NamedJournal& named : journals) earliest.push_back(EarliestMoment(named.journal));
  std::vector<size_t> rank(journals.size());
  std::iota(rank.begin(), rank.end(), size_t{0});
  std::sort(rank.begin(), rank.end(), [&](size_t a, size_t b) {
    if (earliest[a] != earliest[b]) return earliest[a] < earliest[b];
    return journals[a].name < journals[b].name;
  });
  std::vector<NamedJournal> parts;
  for (size_t r : rank) parts.push_back(std::move(journals[r]));

  const KindDescription& kind = *parts[0].journal.kind;
  Journal merged;
  merged.kind = &kind;
  merged.titles = parts[0].journal.titles;
  merged.days = parts[0].journal.days;
  merged.textEnded = true;
  size_t total = 0;
  for (const NamedJournal& part : parts) {
    total += part.journal.size();
    merged.progressMax += part.journal.progressMax;
  }
  JournalRecords& records = merged.records;
  records.Resize(kind, total);
  merged.journalOf.Resize(total);
  // The second half of every array comes in beside the merge, which writes from the front.
  std::vector<Prefault::Range> ranges = {records.times.Span(total / 2, total), records.lines.Span(total / 2, total),
                                         merged.journalOf.Span(total / 2, total)};
  for (int l = 0; l < kind.listCount; ++l) ranges.push_back(records.items[static_cast<size_t>(l)].Span(total / 2, total));
  if (kind.messageField >= 0) ranges.push_back(records.tones.Span(total / 2, total));
  Prefault beside(std::move(ranges));
  const Literals& words = Cp1251Literals();
  for (int l = 0; l < kind.listCount; ++l) merged.lists[static_cast<size_t>(l)].Reset(words.*kind.lists[l].allValues);

  // Each journal's items as items of the merged lists, made as the merged order first meets
  // them.
  std::vector<std::array<std::vector<uint32_t>, kMaxLists>> remap(parts.size());
  std::vector<std::vector<uint32_t>> orders(parts.size());
  for (size_t j = 0; j < parts.size(); ++j) {
    for (int l = 0; l < kind.listCount; ++l) {
      remap[j][static_cast<size_t>(l)].assign(parts[j].journal.lists[static_cast<size_t>(l)].size(), kNoListItem);
    }
    orders[j] = TimeOrder(parts[j].journal);
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
  auto record = [&orders](size_t j, uint32_t n) { return orders[j].empty() ? n : orders[j][n]; };
  std::priority_queue<Head, std::vector<Head>, std::greater<>> heads;
  for (size_t j = 0; j < parts.size(); ++j) {
    if (!parts[j].journal.empty()) heads.push({parts[j].journal.records.times[record(j, 0)], static_cast<uint32_t>(j), 0});
  }
  bool anyDay = false;
  size_t m = 0;
  while (!heads.empty()) {
    Head head = heads.top();
    heads.pop();
    const Journal& from = parts[head.journal].journal;
    // The journal goes on while its next record comes before every other journal's: days of
    // one unit follow each other without a look at the others.
    for (;;) {
      const uint32_t r = record(head.journal, head.next);
      records.times[m] = head.time;
      records.lines[m] = from.records.lines[r];
      if (from.records.lines[r].length == kLongLine) {
        const uint64_t offset = from.records.lines[r].offset;
        records.longLines[(uint64_t{head.journal} << kLineOffsetBits) | offset] = from.records.longLines.at(offset);
      }
      for (int l = 0; l < kind.listCount; ++l) {
        const auto list = static_cast<size_t>(l);
        const uint32_t item = from.records.items[list][r];
        uint32_t& mapped = remap[head.journal][list][item];
        if (mapped == kNoListItem) mapped = merged.lists[list].Add(from.lists[list].Items()[item]);
        records.items[list][m] = mapped;
      }
      if (kind.messageField >= 0) records.tones[m] = from.records.tones[r];
      merged.journalOf[m] = static_cast<uint16_t>(head.journal);
      if (kind.findsDays) {
        if (!anyDay) merged.days = DaySpan();
        anyDay = true;
        merged.days.Note(head.time);
      }
      ++m;
      if (++head.next == from.size()) break;
      head.time = from.records.times[record(head.journal, head.next)];
      if (!heads.empty() && head > heads.top()) {
        heads.push(head);
        break;
      }
    }
  }
  for (NamedJournal& part : parts) {
    merged.journalNames.push_back(std::move(part.name));
    merged.journalBytes.push_back(std::move(part.journal.bytes));
    const Journal& from = part.journal;
    merged.journalEnds.push_back({from.parsedEnd, from.lastLineOpen, from.endsWithCr, from.textEnded});
  }
  return merged;
}

}  // namespace vantorel
