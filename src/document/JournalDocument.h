#pragma once
// One journal as the window and vantorel-query see it: its records and lists, and the
// questions they ask of it: which records pass a filter state, what a record's cells read,
// which colour its text takes.
#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "datetime/RegionalSettings.h"
#include "document/FilterState.h"
#include "document/TextMask.h"
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

  // The kind as this document shows it: several journals of more than one day show the date
  // in their date-time column and take a range of days (see KindDescription::dayRange).
  const KindDescription& Kind() const { return shown_; }
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
  // The first record of the earliest and of the latest day (see Journal); for journals of a
  // range of days, their first and last record.
  TDateTime Earliest() const;
  TDateTime Latest() const;
  // Several journals that span more than one day: the date shows, and a range of days applies.
  bool SpansDays() const { return shown_.dayRange; }

  // The state's tests, ready for a pass over the records.
  RecordFilter FilterOf(const FilterState& state) const { return MakeRecordFilter(Kind(), state, journal_.lists); }
  // Record `i`'s item of each list.
  void Items(size_t i, uint32_t (&out)[kMaxLists]) const {
    for (int l = 0; l < ListCount(); ++l) out[l] = Item(i, l);
  }
  // Replaces `out` with the records that pass `state`, in file order: its time window, date
  // range, lists and switch, its text filters and, when asked, its marks. False, with `out`
  // left unfinished, when `cancel` was set meanwhile; AppError for a regular expression RE2
  // refuses. Any thread, while the records do not change.
  bool Select(const FilterState& state, RowSet& out, const std::atomic<bool>* cancel = nullptr) const;
  // Adds to `out` the records from `first` on that pass `state`: what a view adds when the
  // journal has grown.
  bool SelectFrom(const FilterState& state, size_t first, RowSet& out, const std::atomic<bool>* cancel = nullptr) const;
  // Runs `use` with the records that pass the state's text filters and, when asked, its marks,
  // a bit a record (bit i of word i / 64), or with none when neither applies; false when
  // `cancel` was set meanwhile (see Select).
  bool WithRecordMask(const FilterState& state, const std::atomic<bool>* cancel,
                      const std::function<void(const uint64_t* mask)>& use) const;
  // Whether the records that pass the text filters `texts` are known already, so that a view
  // of them asks no search of the texts.
  bool TextsReady(const std::vector<TextFilter>& texts) const { return texts_->Ready(*this, texts); }
  // The records from `first` on changed (following took records in among them, or added
  // some): what is kept of them is looked at again. On the thread that changes the records.
  void RecordsChanged(size_t first);

  // Appends the file's new bytes and the records they complete (see GrowJournal).
  Growth Grow(std::string_view bytes, const DateTimeRules& rules);
  // Of several journals merged, appends the new bytes of some of them and the records they
  // complete, each journal named once (see GrowMerged).
  Growth GrowMembers(const std::vector<MemberBytes>& added, const DateTimeRules& rules);

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
  // The kind as shown, from the records as they stand.
  void Shape();

  Journal journal_;
  RegionalSettings settings_;
  KindDescription shown_;
  // The records that passed the last text filters asked for.
  std::unique_ptr<TextMask> texts_ = std::make_unique<TextMask>();
};

// The date-time column's text of `time` for `kind`, appended to `out`.
void AppendTimeColumn(const KindDescription& kind, const RegionalSettings& settings, TDateTime time, std::string& out);

// The cell `column` of a record given by its line and date-time value.
std::string_view CellOfLine(const KindDescription& kind, const RegionalSettings& settings, std::string_view line,
                            TDateTime time, int column, std::string& scratch);

}  // namespace vantorel
