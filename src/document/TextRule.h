#pragma once
// The text filters of a view over one journal: whether a record's cells, as the table shows
// them (the date-time column as the regional settings write it, a capped field's first 200
// bytes, the name of a merged record's journal), hold every text to show and none to hide.
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "datetime/DateTime.h"
#include "datetime/RegionalSettings.h"
#include "document/TextMatcher.h"
#include "journals/JournalKinds.h"

namespace vantorel {

class JournalDocument;

class TextRule {
 public:
  // For the records of `document`, which must outlive the rule. Raises AppError for a regular
  // expression RE2 refuses.
  TextRule(const JournalDocument& document, const std::vector<TextFilter>& filters);
  // For record lines of one journal of `kind` read as a stream, the date-time column written
  // by `settings`; `counts` (see ByteSearch) of its bytes, if known. `kind` must outlive the
  // rule.
  TextRule(const KindDescription& kind, const RegionalSettings& settings, const std::vector<TextFilter>& filters,
           const ByteSearch::Counts* counts = nullptr);

  bool empty() const { return texts_.empty(); }

  // Whether a record passes, looked at alone: by its index in the document, or by its line,
  // its date and time and (of merged journals) its journal's number. `scratch` is the caller's.
  bool Passes(size_t record, std::string& scratch) const;
  bool PassesLine(std::string_view line, TDateTime time, int journal, std::string& scratch) const;
  // Whether some cell of a record holds text `t` of the filters.
  bool Holds(size_t t, size_t record, std::string& scratch) const;
  bool HoldsLine(size_t t, std::string_view line, TDateTime time, int journal, std::string& scratch) const;
  // A plain text that the bytes of every line that passes hold, its date-time column and its
  // journal's name aside: a line without it fails. None when no such text is to be shown.
  const ByteSearch* LineNeeds() const { return lineNeeds_; }

  // Sets the bits of the records of [first, end) that pass in `bits` (bit i for record i;
  // those bits are 0 beforehand, `bits` long enough), on up to `threads` threads. A plain
  // text is looked for through the journal's bytes at once rather than line by line. False
  // when `cancel` was set meanwhile.
  bool Mark(size_t first, size_t end, std::vector<uint64_t>& bits, const std::atomic<bool>* cancel, int threads) const;

 private:
  struct Text {
    TextMatcher matcher;
    // The time texts of the seconds of the day that hold it, a bit a second.
    std::vector<uint64_t> seconds;
    bool anySecond = false;
    // A date text may hold it: else the date of a date-and-time column is not looked at.
    bool anyDay = false;
    // A plain text with a tab: it may stand across fields of a line, which only the last
    // column's text may.
    bool tabbed = false;
    // It may stand across the blank between a date and its time.
    bool acrossBlank = false;
    // Each merged journal's name holds it.
    std::vector<char> journals;
  };

  void Prepare(const std::vector<TextFilter>& filters, const std::vector<std::string>& journalNames,
               const ByteSearch::Counts* counts);
  // The date-time column of a record of `time` holds text `text`.
  bool TimeHolds(const Text& text, TDateTime time, std::string& scratch) const;
  // The cells of a record's line hold the plain text: the place `at` a match starts at is
  // in one cell as shown, not in the date-time field's own text.
  bool LineHolds(const Text& text, std::string_view line) const;
  bool FieldHolds(std::string_view line, size_t at, size_t length) const;
  // FieldHolds for a text without a tab, quicker where no field of the line can be cut.
  bool PlainFieldHolds(std::string_view line, size_t at, size_t length) const;
  // Sets bit r - `bitBase` of `bits` for each record r of [first, end) of one journal's
  // that holds the plain text.
  void MarkPlain(const Text& text, size_t first, size_t end, uint64_t* bits, size_t bitBase) const;
  // One thread's part of Mark.
  void MarkPart(size_t first, size_t end, std::vector<uint64_t>& bits, const std::atomic<bool>* cancel) const;

  // The document's kind as it shows it, which may change as following adds records.
  const KindDescription* kind_;
  RegionalSettings settings_;
  const JournalDocument* document_ = nullptr;
  std::vector<Text> texts_;
  const ByteSearch* lineNeeds_ = nullptr;
};

}  // namespace vantorel
