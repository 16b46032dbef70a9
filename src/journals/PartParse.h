#pragma once
// A load's record lines cut into parts, each parsed by a thread into its own records and
// lists, then joined in file order: the pieces shared by the load of bytes already read and
// the load that parses while it reads.
#include <algorithm>
#include <array>
#include <atomic>
#include <climits>
#include <exception>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string_view>
#include <type_traits>
#include <unordered_map>
#include <vector>

#include "journals/FileBytes.h"
#include "journals/HeaderRow.h"
#include "journals/Journal.h"
#include "journals/JournalLoad.h"
#include "journals/LineReaders.h"
#include "journals/RecordParser.h"

namespace vantorel::parts {

// A share of the record lines, bytes [begin, end), parsed by one thread into records
// [first, limit).
struct Part {
  size_t begin = 0;
  size_t end = 0;
  size_t first = 0;
  size_t limit = 0;
  std::array<DistinctList, kMaxLists> lists;
  std::unordered_map<uint64_t, uint64_t> longLines;
  std::atomic<size_t> done{0};
  DaySpan days;
  std::exception_ptr failure;
  // The widest texts of the part's first and last block of records, which it may share with
  // the parts beside it; the blocks between are the part's alone and go straight to the
  // records' widths.
  std::array<uint32_t, kMaxColumns> firstBlockWidest{};
  std::array<uint32_t, kMaxColumns> lastBlockWidest{};
};

// The widest text of each text column over the block of records under way.
template <JournalKind K>
class BlockMeasure {
 public:
  BlockMeasure(const TextMeasure& measure, BlockWidths& widths, Part& part, size_t firstRecord, size_t endRecord)
      : measure_(measure),
        widestByte_(measure.WidestByte()),
        widths_(widths),
        part_(part),
        firstBlock_(firstRecord / kRecordBlock),
        lastBlock_(endRecord == 0 ? 0 : (endRecord - 1) / kRecordBlock),
        block_(firstBlock_) {}

  // Record `record`, whose fields are `fields`.
  void Note(size_t record, const std::array<std::string_view, kMaxColumns>& fields) {
    if (record / kRecordBlock != block_) {
      Flush();
      block_ = record / kRecordBlock;
    }
    for (int c = 0; c < kKind.columns; ++c) {
      if (!IsTextColumn(kKind, c)) continue;
      const auto column = static_cast<size_t>(c);
      // A text too short to be wider than the widest so far is not measured.
      if (fields[column].size() * widestByte_ > widest_[column]) widest_[column] = std::max(widest_[column], measure_.Raw(fields[column]));
    }
  }
  void Flush() {
    for (int c = 0; c < kKind.columns; ++c) {
      const auto column = static_cast<size_t>(c);
      const auto pixels = static_cast<uint32_t>(TextMeasure::Pixels(widest_[column]));
      if (block_ == firstBlock_) {
        part_.firstBlockWidest[column] = pixels;
      } else if (block_ == lastBlock_) {
        part_.lastBlockWidest[column] = pixels;
      } else {
        widths_.widest[column][block_] = pixels;
      }
      widest_[column] = 0;
    }
  }

 private:
  static constexpr const KindDescription& kKind = Describe<K>();
  const TextMeasure& measure_;
  const uint64_t widestByte_;
  BlockWidths& widths_;
  Part& part_;
  const size_t firstBlock_;
  const size_t lastBlock_;
  size_t block_;
  std::array<uint64_t, kMaxColumns> widest_{};
};

// Where a parse puts its records: from `first` on in `records`, long lines keyed with
// `longKey`.
struct RecordTarget {
  JournalRecords* records = nullptr;
  size_t first = 0;
  uint64_t longKey = 0;
};

// What the parts of one load share.
struct LoadRun {
  LoadRun(char* bytes, const LoadOptions& loadOptions, RecordTarget into, std::vector<std::unique_ptr<Part>>& loadParts)
      : base(bytes), options(loadOptions), target(into), parts(loadParts) {}

  // The journal's bytes; they move only while no part is parsed.
  char* base;
  const LoadOptions& options;
  RecordTarget target;
  std::vector<std::unique_ptr<Part>>& parts;
  // The progress total the observer is told: records, or for actions the whole-file lines
  // after the title, which the records may not match.
  size_t progressTotal = 0;
  size_t lastReported = 0;
  bool firstReported = false;
  // The first part, in file order, that failed: the parts after it need not go on.
  std::atomic<int> firstFailed{INT_MAX};
};

// Thrown inside a part that a failure of an earlier part made useless.
struct PartStopped {};

// Notes a part's progress; on the thread that tells the observer (`reports`), tells it.
void Checkpoint(LoadRun& run, Part& part, int index, size_t local, bool reports);

template <JournalKind K>
void ParsePart(LoadRun& run, Part& part, int index, bool reports) {
  constexpr const KindDescription& kind = Describe<K>();
  JournalRecords& records = *run.target.records;
  char* base = run.base;
  RecordParser<K> parser(run.options.rules, part.lists);
  ParsedRecord values;
  std::conditional_t<kind.lines == LineRule::Text, TextLines, WholeFileLines> lines(base + part.begin, base + part.end);
  std::string_view line;
  std::optional<BlockMeasure<K>> measure;
  if (run.options.measure != nullptr) {
    measure.emplace(*run.options.measure, records.widths, part, run.target.first + part.first, run.target.first + part.limit);
  }
  std::array<std::string_view, kMaxColumns> fields;
  size_t i = part.first;
  while (lines.Next(line)) {
    if (i == part.limit) throw std::logic_error("a part holds more lines than were counted");
    if (measure) {
      parser.Parse(line, values, fields);
      measure->Note(run.target.first + i, fields);
    } else {
      parser.Parse(line, values);
    }
    StoreRecord<K>(records, run.target.first + i, values, LineTextOf(base, line, part.longLines));
    if constexpr (kind.findsDays) part.days.Note(values.time);
    ++i;
    const size_t local = i - part.first;
    if (local == 1 || local % kProgressStride == 0) Checkpoint(run, part, index, local, reports);
  }
  if (i != part.limit) throw std::logic_error("a part holds fewer lines than were counted");
  if (measure && part.limit > part.first) measure->Flush();
}

// Runs a part, keeping what it raises; the parts after a failed one are stopped.
template <JournalKind K>
void RunPart(LoadRun& run, Part& part, int index, bool reports) {
  try {
    ParsePart<K>(run, part, index, reports);
  } catch (const PartStopped&) {
  } catch (...) {
    part.failure = std::current_exception();
    int seen = run.firstFailed.load();
    while (index < seen && !run.firstFailed.compare_exchange_weak(seen, index)) {
    }
  }
}

// The lists of the later parts joined to the first part's, in file order, and the later
// parts' items made items of the joined lists.
void MergeLists(Journal& journal, const RecordTarget& target, std::vector<std::unique_ptr<Part>>& parts);

// The records a journal's bytes hold by the kind's line rule: the lines after the title.
size_t RecordLines(const JournalBytes& read, const KindDescription& kind);

// Where the kind's text ends in what `lines` counted to its end.
template <JournalKind K>
size_t TextEndOf(const LineCounter& lines) {
  return Describe<K>().lines == LineRule::Text ? lines.TextEnd() : lines.WholeTextEnd();
}

// The title line's work: the titles (of the first text line of `head`) told, the lists
// emptied. Returns where the record lines begin: after the title line of [base, base +
// textEnd).
template <JournalKind K>
size_t BeginRecords(Journal& journal, const LoadOptions& options, std::string_view head, char* base, size_t textEnd) {
  constexpr const KindDescription& kind = Describe<K>();
  journal.kind = &kind;
  journal.days.earliest = journal.days.latest = options.startDate;
  journal.titles = HeaderTitles(FirstTextLine(head));
  if (options.observer != nullptr) options.observer->Titles(journal.titles);
  const Literals& words = Cp1251Literals();
  for (int l = 0; l < kind.listCount; ++l) journal.lists[static_cast<size_t>(l)].Reset(words.*kind.lists[l].allValues);
  std::conditional_t<kind.lines == LineRule::Text, TextLines, WholeFileLines> titleLine(base, base + textEnd);
  std::string_view title;
  titleLine.Next(title);
  return static_cast<size_t>(titleLine.Position() - base);
}

// A part from byte `at` and record `first` on, after the parts so far, which it closes.
void AddPart(std::vector<std::unique_ptr<Part>>& parts, const Journal& journal, size_t at, size_t first);

// Cuts the parts at `split` when it falls inside the record lines that end before byte
// `textEnd` and record `total`, and would not leave a part empty.
template <JournalKind K>
bool CutAt(std::vector<std::unique_ptr<Part>>& parts, const Journal& journal, const SplitPoint& split,
           size_t recordsBegin, size_t textEnd, size_t total) {
  const size_t linesBefore = Describe<K>().lines == LineRule::Text ? split.lineFeeds : split.wholeEnds;
  if (split.at <= recordsBegin || split.at >= textEnd || linesBefore < 1) return false;
  if (linesBefore - 1 <= parts.back()->first || linesBefore - 1 >= total) return false;
  AddPart(parts, journal, split.at, linesBefore - 1);
  return true;
}

// The last part ends where the text and the records do.
void ClosePart(std::vector<std::unique_ptr<Part>>& parts, size_t textEnd, size_t total);

// The first failure in file order is the load's.
void RethrowFirstFailure(const std::vector<std::unique_ptr<Part>>& parts);

// What is left once every part is parsed: the lists joined, the widths of blocks that parts
// share, the long lines, the days, the last progress report, where the text ended and, by
// `lines`, the line of the NUL that ended it.
template <JournalKind K>
void FinishJournal(Journal& journal, LoadRun& run, size_t textEnd, size_t total, const LineCounter& lines) {
  constexpr const KindDescription& kind = Describe<K>();
  std::vector<std::unique_ptr<Part>>& parts = run.parts;
  const RecordTarget& target = run.target;
  JournalRecords& records = *target.records;
  const LoadOptions& options = run.options;
  MergeLists(journal, target, parts);
  if (options.measure != nullptr) {
    for (const auto& part : parts) {
      if (part->limit == part->first) continue;
      const size_t firstBlock = (target.first + part->first) / kRecordBlock;
      const size_t lastBlock = (target.first + part->limit - 1) / kRecordBlock;
      for (size_t c = 0; c < kMaxColumns; ++c) {
        std::vector<uint32_t>& widest = records.widths.widest[c];
        widest[firstBlock] = std::max(widest[firstBlock], part->firstBlockWidest[c]);
        widest[lastBlock] = std::max(widest[lastBlock], part->lastBlockWidest[c]);
      }
    }
  }
  for (const auto& part : parts) {
    for (const auto& [offset, length] : part->longLines) records.longLines[target.longKey | offset] = length;
  }
  if constexpr (kind.findsDays) {
    for (const auto& part : parts) journal.days.Join(part->days);
  }
  if (options.observer != nullptr && total > 0 && run.lastReported != total) options.observer->Progress(total, run.progressTotal);
  const char* base = journal.bytes.data();
  journal.parsedEnd = textEnd;
  journal.textEnded = textEnd < journal.bytes.size;
  if constexpr (kind.lines == LineRule::WholeFile) journal.nulLine = lines.NulLine();
  // With no line read yet, or a last line without its line end (the title's too), more bytes
  // change what was read: growth then reads the file again.
  constexpr bool kText = kind.lines == LineRule::Text;
  journal.lastLineOpen = textEnd == 0 && !journal.textEnded;
  if (textEnd > 0) {
    const char last = base[textEnd - 1];
    journal.lastLineOpen = kText ? last != '\n' && !journal.textEnded : last != '\n' && last != '\r';
    journal.endsWithCr = !kText && last == '\r';
  }
}

// The progress total the observer is told: records, or for actions the whole-file lines
// after the title, which the records may not match.
template <JournalKind K>
size_t ProgressTotal(size_t wholeLines, size_t total) {
  if constexpr (Describe<K>().lines == LineRule::Text) return wholeLines > 0 ? wholeLines - 1 : 0;
  return total;
}

}  // namespace vantorel::parts
