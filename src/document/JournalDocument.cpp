#include "document/JournalDocument.h"

#include <atomic>

#include "datetime/DateTimeText.h"

namespace vantorel {
namespace {

// A selection looks at its cancel once every this many blocks (some 64,000 records).
constexpr size_t kBlocksBetweenLooks = 512;

// One pass over the records; the kind's shape is known at compile time, so the tests it
// does not have cost nothing.
// `mask`, when given, holds a bit a record: records without theirs do not pass.
// False, `out` left unfinished, when `cancel` was set meanwhile.
template <JournalKind K>
bool SelectKind(const Journal& journal, const RecordFilter& filter, size_t first, RowSet& out, const uint64_t* mask,
                const std::atomic<bool>* cancel) {
  constexpr const KindDescription& kind = Describe<K>();
  const size_t count = journal.size();
  const TDateTime* times = journal.records.times.data();
  const TextTone* tones = kind.messageField >= 0 ? journal.records.tones.data() : nullptr;
  // From `first` on: the rows of the records before it stay, and so do the starts of the
  // blocks before its own.
  const size_t firstBlock = first / kRecordBlock;
  size_t kept = out.rows.size();
  if (first == 0) kept = 0;
  out.rows.Reserve(kept + (count - first));
  const size_t keptStarts = first % kRecordBlock == 0 ? firstBlock : firstBlock + 1;
  out.blockStarts.resize(std::min(out.blockStarts.size(), keptStarts));
  uint32_t* rows = out.rows.data();
  auto shown = static_cast<uint32_t>(kept);
  bool cancelled = false;
  WithItemColumns(journal.records.items, kind.listCount, [&](const auto& items) {
    for (size_t block = firstBlock * kRecordBlock; block < count; block += kRecordBlock) {
      if (cancel != nullptr && block / kRecordBlock % kBlocksBetweenLooks == 0 && cancel->load(std::memory_order_relaxed)) {
        cancelled = true;
        return;
      }
      if (block >= first) out.blockStarts.push_back(shown);
      const size_t end = std::min(count, block + kRecordBlock);
      for (size_t i = std::max(block, first); i < end; ++i) {
        if (mask != nullptr && (mask[i / 64] >> (i % 64) & 1) == 0) continue;
        uint32_t recordItems[kMaxLists] = {};
        for (int l = 0; l < kind.listCount; ++l) recordItems[l] = items[static_cast<size_t>(l)][i];
        if (!filter.Passes(times[i], recordItems, kind.messageField >= 0 ? tones[i] : TextTone::Plain)) continue;
        rows[shown++] = static_cast<uint32_t>(i);
      }
    }
  });
  if (cancelled) return false;
  out.blockStarts.push_back(shown);
  out.rows.Resize(shown);
  return true;
}

}  // namespace

JournalDocument::JournalDocument(Journal journal, const RegionalSettings& settings)
    : journal_(std::move(journal)), settings_(settings), shown_(*journal_.kind) {
  Shape();
  // The load is done: a list of few values needs only two bytes a record.
  for (int l = 0; l < journal_.kind->listCount; ++l) {
    journal_.records.items[static_cast<size_t>(l)].Pack(journal_.lists[static_cast<size_t>(l)].size());
  }
}

JournalDocument JournalDocument::Empty(JournalKind kind, const RegionalSettings& settings) {
  Journal journal;
  journal.kind = &DescriptionOf(kind);
  const Literals& words = Cp1251Literals();
  for (int l = 0; l < journal.kind->listCount; ++l) {
    journal.lists[static_cast<size_t>(l)].Reset(words.*journal.kind->lists[l].allValues);
  }
  return JournalDocument(std::move(journal), settings);
}

RecordFilter MakeRecordFilter(const KindDescription& kind, const FilterState& state,
                              const std::array<DistinctList, kMaxLists>& lists) {
  RecordFilter filter;
  filter.time = TimeWindow{state.startTime, state.endTime}.Prepared();
  filter.dateRange = kind.dateRange;
  filter.dayRange = kind.dayRange;
  filter.startDate = state.startDate;
  filter.endDate = state.endDate;
  filter.listCount = kind.listCount;
  for (int l = 0; l < kind.listCount; ++l) {
    const auto list = static_cast<size_t>(l);
    filter.lists[list] = ValueFilter::Select(state.lists[list].index, lists[list].Items());
  }
  filter.hideUnimportant = kind.unimportantSwitch && !state.showUnimportant;
  return filter;
}

void JournalDocument::Shape() {
  shown_ = *journal_.kind;
  const size_t count = journal_.size();
  // Merged records stand in the order of their moments: the first and the last tell the days.
  if (journal_.Merged() && shown_.timeColumn == TimeColumn::TimeOfDay && count > 0 &&
      WholeDay(journal_.records.times[0]) != WholeDay(journal_.records.times[count - 1])) {
    shown_.timeColumn = TimeColumn::DateAndTime;
    shown_.dayRange = true;
  }
}

TDateTime JournalDocument::Earliest() const { return shown_.dayRange ? journal_.records.times[0] : journal_.days.earliest; }

TDateTime JournalDocument::Latest() const {
  return shown_.dayRange ? journal_.records.times[journal_.size() - 1] : journal_.days.latest;
}

void JournalDocument::RecordsChanged(size_t first) {
  texts_->Forget(first);
  Shape();
}

Growth JournalDocument::Grow(std::string_view bytes, const DateTimeRules& rules) {
  const size_t before = size();
  Growth growth = GrowJournal(journal_, bytes, rules);
  RecordsChanged(growth.moved.empty() ? before : growth.firstChanged);
  return growth;
}

Growth JournalDocument::GrowMembers(const std::vector<MemberBytes>& added, const DateTimeRules& rules) {
  const size_t before = size();
  Growth growth = GrowMerged(journal_, added, rules);
  RecordsChanged(growth.moved.empty() ? before : growth.firstChanged);
  return growth;
}

bool JournalDocument::Select(const FilterState& state, RowSet& out, const std::atomic<bool>* cancel) const {
  return SelectFrom(state, 0, out, cancel);
}

bool JournalDocument::SelectFrom(const FilterState& state, size_t first, RowSet& out, const std::atomic<bool>* cancel) const {
  const RecordFilter filter = FilterOf(state);
  bool selected = false;
  const bool masked = WithRecordMask(state, cancel, [&](const uint64_t* mask) {
    WithKind(Kind().kind, [&](auto k) { selected = SelectKind<decltype(k)::value>(journal_, filter, first, out, mask, cancel); });
  });
  return masked && selected;
}

bool JournalDocument::WithRecordMask(const FilterState& state, const std::atomic<bool>* cancel,
                                     const std::function<void(const uint64_t* mask)>& use) const {
  // Marks asked for: only the marked records, of those that pass the texts.
  std::vector<uint64_t> marked;
  if (state.markedOnly) {
    marked.assign((size() + 63) / 64 + 1, 0);
    if (state.marks != nullptr) {
      const std::vector<uint64_t>& words = state.marks->Words();
      std::copy_n(words.begin(), std::min(words.size(), marked.size()), marked.begin());
    }
  }
  if (state.texts.empty()) {
    use(state.markedOnly ? marked.data() : nullptr);
    return true;
  }
  return texts_->Use(*this, state.texts, cancel, [&](const uint64_t* bits) {
    if (!state.markedOnly) return use(bits);
    for (size_t w = 0; w < marked.size(); ++w) marked[w] &= bits[w];
    use(marked.data());
  });
}

void AppendTimeColumn(const KindDescription& kind, const RegionalSettings& settings, TDateTime time, std::string& out) {
  if (kind.timeColumn == TimeColumn::DateAndTime) {
    AppendDateTimeText(out, time, settings);
  } else {
    AppendTimeText(out, time, settings);
  }
}

std::string_view CellOfLine(const KindDescription& kind, const RegionalSettings& settings, std::string_view line,
                            TDateTime time, int column, std::string& scratch) {
  if (column < 0 || column >= kind.columns) return {};
  if (column == kind.dateTimeField) {
    scratch.clear();
    AppendTimeColumn(kind, settings, time, scratch);
    return scratch;
  }
  return FieldOfLine(kind, line, column);
}

std::vector<std::string> JournalDocument::ShownTitles() const {
  std::vector<std::string> titles(static_cast<size_t>(ColumnCount()));
  for (size_t c = 0; c < titles.size() && c < journal_.titles.size(); ++c) titles[c] = journal_.titles[c];
  if (journal_.Merged()) titles.back() = Cp1251Literals().journalColumn;
  return titles;
}

std::string_view JournalDocument::Cell(size_t record, int column, std::string& scratch) const {
  const KindDescription& kind = Kind();
  if (journal_.Merged() && column == kind.columns) return journal_.journalNames[journal_.journalOf[record]];
  const int list = column >= 0 && column < kind.columns ? ListOfField(kind, column) : -1;
  // A listed field is its list item: no need to cut the line.
  if (list >= 0) return List(list)[Item(record, list)];
  return CellOfLine(kind, settings_, Line(record), Time(record), column, scratch);
}

void JournalDocument::Cells(size_t record, std::array<std::string_view, kMaxColumns>& out, std::string& scratch) const {
  const KindDescription& kind = Kind();
  FieldsOfLine(kind, Line(record), out);
  if (journal_.Merged()) out[static_cast<size_t>(kind.columns)] = journal_.journalNames[journal_.journalOf[record]];
  scratch.clear();
  AppendTimeColumn(kind, settings_, Time(record), scratch);
  out[static_cast<size_t>(kind.dateTimeField)] = scratch;
}

}  // namespace vantorel
