#pragma once
// A loaded journal: its bytes, its records and its filter lists.
#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "datetime/DateTime.h"
#include "journals/DaySpan.h"
#include "journals/FieldCut.h"
#include "journals/FileBytes.h"
#include "journals/JournalKinds.h"
#include "journals/Records.h"
#include "uStrUtils/DistinctList.h"
#include "uStrUtils/StrUtils.h"

namespace vantorel {

// A moment later than any record's.
inline constexpr TDateTime kNoMoment = 1e300;

struct Journal {
  const KindDescription* kind = &kNoKind;
  FileBytes bytes;
  JournalRecords records;
  // The kind's filter lists: item 0 the all-values text, then the distinct values in order of
  // first occurrence; the items are views into the bytes.
  std::array<DistinctList, kMaxLists> lists;
  // The titles the first line writes into the title row.
  std::vector<std::string> titles;
  // The first record of the earliest and of the latest day (parameter-change and statistics
  // journals); both the given start date when there are no records.
  DaySpan days;
  // The progress bar's maximum: the file's whole-file line count.
  size_t progressMax = 0;

  // Where growth of the file goes on from: the end of the last record line read, and what
  // stands there.
  size_t parsedEnd = 0;
  // The last record's line had no line end: more bytes would change that record.
  bool lastLineOpen = false;
  // Whole-file lines: the bytes end with a CR, whose LF may still come.
  bool endsWithCr = false;
  // A NUL (whole-file lines) or Ctrl-Z (text lines) ended the text: nothing after it counts.
  bool textEnded = false;
  // Where the bytes of the file now read begin: a followed journal's bytes go on with the
  // file that took a rotated file's name.
  size_t fileStart = 0;
  // The line, counted from 1 with the title line, whose NUL byte ended the text of a journal
  // read as whole-file lines; 0 when no NUL did. Nothing after it was read.
  size_t nulLine = 0;

  // Where growth of one of several merged journals goes on from (see parsedEnd and the flags
  // after it).
  struct MemberEnd {
    size_t parsedEnd = 0;
    bool lastLineOpen = false;
    bool endsWithCr = false;
    bool textEnded = false;
    size_t fileStart = 0;
    size_t nulLine = 0;
  };

  // Several journals merged into this one: their names, their bytes and where each was read
  // to (in the same order), and the journal of each record; all empty for a journal of one
  // file.
  std::vector<std::string> journalNames;
  std::vector<FileBytes> journalBytes;
  std::vector<MemberEnd> journalEnds;
  LargeArray<uint16_t> journalOf;
  // Each journal's earliest moment, which orders the journals; kNoMoment for one without
  // records.
  std::vector<TDateTime> journalEarliest;

  size_t size() const { return records.size(); }
  bool empty() const { return records.size() == 0; }
  bool Merged() const { return !journalNames.empty(); }
  std::string_view Line(size_t record) const {
    if (!Merged()) return records.Line(bytes.data(), record);
    const uint16_t journal = journalOf[record];
    return records.Line(journalBytes[journal].data(), record, uint64_t{journal} << kLineOffsetBits);
  }
  const std::vector<std::string_view>& List(int list) const { return lists[static_cast<size_t>(list)].Items(); }
};

// Field `field` of a record line (see CutFieldOf).
inline std::string_view FieldOfLine(const KindDescription& kind, std::string_view line, int field) {
  std::string_view text;
  for (int f = 0; f <= field; ++f) text = CutFieldOf(kind, line, f);
  return text;
}

// Every field of a record line at once, as FieldOfLine gives them one by one.
inline void FieldsOfLine(const KindDescription& kind, std::string_view line, std::array<std::string_view, kMaxColumns>& out) {
  for (int f = 0; f < kind.columns; ++f) out[static_cast<size_t>(f)] = CutFieldOf(kind, line, f);
}

}  // namespace vantorel
