#pragma once
// One journal as the window and vantorel-query see it: its records and lists, and the
// questions they ask of it: which records pass a filter state, what a record's cells read,
// which colour its text takes.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "datetime/RegionalSettings.h"
#include "document/FilterState.h"
#include "document/ValueFilter.h"
#include "journals/Journal.h"
#include "journals/JournalGrowth.h"

namespace vantorel {

// The records a view shows, in file order, and where the rows of each block of kRecordBlock
// records begin among them (one entry more than there are blocks). Kept between views, so a
// filter change reuses its storage.
struct RowSet {
  LargeArray<uint32_t> rows;
  std::vector<uint32_t> blockStarts;

  size_t size() const { return rows.size(); }
};

// The tests of `state` for a journal of `kind` whose lists are `lists`, ready for a pass over
// its records; vantorel-query, which reads its lists as it goes, makes its own list filters.
RecordFilter MakeRecordFilter(const KindDescription& kind, const FilterState& state,
                              const std::array<DistinctList, kMaxLists>& lists);

class JournalDocument {
 public:
  // A document of no kind and no records.
  JournalDocument() = default;
  // `settings` write the date-time column.
  JournalDocument(Journal journal, const RegionalSettings& settings);
  // No records, each list holding only its all-values item: what a kind shows before any of
  // its journals is loaded, and after a load that failed.
  static JournalDocument Empty(JournalKind kind, const RegionalSettings& settings);

  const KindDescription& Kind() const { return *journal_.kind; }
  const Journal& Data() const { return journal_; }
  // The journal as its follower's reader changes it, on the thread that reads the document.
  Journal& Growing() { return journal_; }
  const RegionalSettings& Settings() const { return settings_; }
  size_t RecordCount() const { return journal_.size(); }
  size_t size() const { return journal_.size(); }
  bool empty() const { return journal_.size() == 0; }
  const std::vector<std::string>& Titles() const { return journal_.titles; }
  // The kind's columns, and with several journals merged one more, "Журнал", naming each
  // record's journal.
  int ColumnCount() const { return Kind().columns + (journal_.Merged() ? 1 : 0); }
  // The title row as shown: the kind's columns' titles (empty ones for those the first line
  // lacks), and "Журнал" for merged journals.
  std::vector<std::string> ShownTitles() const;
  const std::vector<std::string_view>& List(int list) const { return journal_.List(list); }
  int ListCount() const { return Kind().listCount; }
  // The first record of the earliest and of the latest day (see Journal).
  TDateTime Earliest() const { return journal_.days.earliest; }
  TDateTime Latest() const { return journal_.days.latest; }

  // The state's tests, ready for a pass over the records.
  RecordFilter FilterOf(const FilterState& state) const { return MakeRecordFilter(Kind(), state, journal_.lists); }
  // Record `i`'s item of each list.
  void Items(size_t i, uint32_t (&out)[kMaxLists]) const {
    for (int l = 0; l < ListCount(); ++l) out[l] = Item(i, l);
  }
  // Replaces `out` with the records that pass `state`, in file order.
  void Select(const FilterState& state, RowSet& out) const;
  // Adds to `out` the records from `first` on that pass `state`: what a view adds when the
  // journal has grown.
  void SelectFrom(const FilterState& state, size_t first, RowSet& out) const;

  // Appends the file's new bytes and the records they complete (see GrowJournal).
  Growth Grow(std::string_view bytes, const DateTimeRules& rules) { return GrowJournal(journal_, bytes, rules); }
  // Of several journals merged, appends the new bytes of some of them and the records they
  // complete, each journal named once (see GrowMerged).
  Growth GrowMembers(const std::vector<MemberBytes>& added, const DateTimeRules& rules) {
    return GrowMerged(journal_, added, rules);
  }

  TDateTime Time(size_t record) const { return journal_.records.times[record]; }
  std::string_view Line(size_t record) const { return journal_.Line(record); }
  uint32_t Item(size_t record, int list) const { return journal_.records.items[static_cast<size_t>(list)][record]; }
  // The text of a cell in Windows-1251: the date-time column written by the regional
  // settings (into `scratch`), the other columns the record's fields as stored.
  std::string_view Cell(size_t record, int column, std::string& scratch) const;
  // Every cell of a record at once.
  void Cells(size_t record, std::array<std::string_view, kMaxColumns>& out, std::string& scratch) const;
  // The colour class of a record's text.
  TextTone Tone(size_t record) const {
    return Kind().messageField >= 0 ? journal_.records.tones[record] : TextTone::Plain;
  }

 private:
  Journal journal_;
  RegionalSettings settings_;
};

// The date-time column's text of `time` for `kind`, appended to `out`.
void AppendTimeColumn(const KindDescription& kind, const RegionalSettings& settings, TDateTime time, std::string& out);

// The cell `column` of a record given by its line and date-time value.
std::string_view CellOfLine(const KindDescription& kind, const RegionalSettings& settings, std::string_view line,
                            TDateTime time, int column, std::string& scratch);

}  // namespace vantorel
