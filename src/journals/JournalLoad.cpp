#include "journals/JournalLoad.h"

#include <algorithm>
#include <climits>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <exception>
#include <memory>
#include <optional>
#include <stdexcept>
#include <system_error>
#include <thread>
#include <unordered_map>

#include "journals/Extension.h"
#include "journals/HeaderRow.h"
#include "journals/LineReaders.h"
#include "journals/RecordParser.h"
#include "uStrUtils/AppError.h"

namespace vantorel {
namespace {

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
void Checkpoint(LoadRun& run, Part& part, int index, size_t local, bool reports) {
  part.done.store(local, std::memory_order_relaxed);
  if (run.options.cancel != nullptr && run.options.cancel->load(std::memory_order_relaxed)) throw LoadCancelled();
  if (run.firstFailed.load(std::memory_order_relaxed) < index) throw PartStopped();
  if (!reports || run.options.observer == nullptr) return;
  // The first report is the first record's, whatever the other parts have read meanwhile.
  size_t done = 1;
  if (run.firstReported) {
    done = 0;
    for (const auto& p : run.parts) done += p->done.load(std::memory_order_relaxed);
  }
  run.firstReported = true;
  run.options.observer->Progress(done, run.progressTotal);
  run.lastReported = done;
}

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
void MergeLists(Journal& journal, const RecordTarget& target, std::vector<std::unique_ptr<Part>>& parts) {
  const KindDescription& kind = *journal.kind;
  for (int l = 0; l < kind.listCount; ++l) {
    const auto list = static_cast<size_t>(l);
    DistinctList& joined = parts[0]->lists[list];
    std::vector<uint32_t> remap;
    for (size_t p = 1; p < parts.size(); ++p) {
      const std::vector<std::string_view>& items = parts[p]->lists[list].Items();
      remap.resize(items.size());
      for (size_t i = 0; i < items.size(); ++i) remap[i] = joined.Add(items[i]);
      uint32_t* records = target.records->items[list].Wide() + target.first;
      for (size_t r = parts[p]->first; r < parts[p]->limit; ++r) records[r] = remap[records[r]];
    }
    journal.lists[list] = std::move(joined);
  }
}

// A journal cut into at least this many parts is parsed while it is read, in up to
// kStreamedParts parts: small enough that the threads finish together.
constexpr int kStreamedFrom = 3;
constexpr int kStreamedParts = 16;

// How much of a journal's start is looked at for its first record.
constexpr size_t kFirstLinesBytes = size_t{1} << 16;

// The records a journal's bytes hold by the kind's line rule: the lines after the title.
size_t RecordLines(const JournalBytes& read, const KindDescription& kind) {
  const size_t lines = kind.lines == LineRule::Text ? read.lines.TextLineCount() : read.lines.WholeLines();
  return lines > 0 ? lines - 1 : 0;
}

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
void AddPart(std::vector<std::unique_ptr<Part>>& parts, const Journal& journal, size_t at, size_t first) {
  auto part = std::make_unique<Part>();
  part->begin = at;
  part->first = first;
  part->lists = journal.lists;
  if (!parts.empty()) {
    parts.back()->end = at;
    parts.back()->limit = first;
  }
  parts.push_back(std::move(part));
}

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
void ClosePart(std::vector<std::unique_ptr<Part>>& parts, size_t textEnd, size_t total) {
  parts.back()->end = textEnd;
  parts.back()->limit = total;
}

// The first failure in file order is the load's.
void RethrowFirstFailure(const std::vector<std::unique_ptr<Part>>& parts) {
  for (const auto& part : parts) {
    if (part->failure) std::rethrow_exception(part->failure);
  }
}

// What is left once every part is parsed: the lists joined, the widths of blocks that parts
// share, the long lines, the days, the last progress report, where the text ended.
template <JournalKind K>
void FinishJournal(Journal& journal, LoadRun& run, size_t textEnd, size_t total) {
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

// Parses into `target`, or into the journal's own records when it names none.
template <JournalKind K>
Journal ParseKind(JournalBytes read, const LoadOptions& options, RecordTarget target) {
  constexpr const KindDescription& kind = Describe<K>();
  Journal journal;
  journal.bytes = std::move(read.bytes);
  char* base = journal.bytes.data();
  const size_t textEnd = TextEndOf<K>(read.lines);
  const size_t recordsBegin = BeginRecords<K>(journal, options, journal.bytes.View(), base, textEnd);
  const size_t wholeLines = read.lines.WholeLines();
  journal.progressMax = wholeLines;
  if (options.observer != nullptr) options.observer->Started(wholeLines);
  if constexpr (kind.emptyFileFails) {
    if (wholeLines == 0) throw AppError("Range check error");
  }
  const size_t total = RecordLines(read, kind);

  if (target.records == nullptr) {
    target = RecordTarget{&journal.records};
    // Room for a quarter more records, for a journal that grows while it is followed: pages
    // not written cost nothing.
    journal.records.Reserve(kind, total + total / 4 + 1024);
    journal.records.Resize(kind, total);
    if (options.measure != nullptr) journal.records.widths.Start(*options.measure, total);
  }

  std::vector<std::unique_ptr<Part>> parts;
  AddPart(parts, journal, recordsBegin, 0);
  for (const SplitPoint& split : read.splits) CutAt<K>(parts, journal, split, recordsBegin, textEnd, total);
  ClosePart(parts, textEnd, total);

  LoadRun run{base, options, target, parts};
  run.progressTotal = ProgressTotal<K>(wholeLines, total);
  if (parts.size() == 1) {
    ParsePart<K>(run, *parts[0], 0, true);
  } else {
    std::vector<std::thread> threads;
    // A part that gets no thread of its own (the system refused one) is parsed here after the
    // first part.
    std::vector<size_t> here;
    for (size_t p = 1; p < parts.size(); ++p) {
      try {
        threads.emplace_back([&run, &parts, p] { RunPart<K>(run, *parts[p], static_cast<int>(p), false); });
      } catch (const std::system_error&) {
        here.push_back(p);
      }
    }
    RunPart<K>(run, *parts[0], 0, true);
    for (size_t p : here) RunPart<K>(run, *parts[p], static_cast<int>(p), true);
    for (std::thread& thread : threads) thread.join();
    RethrowFirstFailure(parts);
  }
  FinishJournal<K>(journal, run, textEnd, total);
  return journal;
}

// A journal's parts parsed while the rest of it is still being read: each part by a thread
// beside the read as soon as its bytes are in, and by the reading thread too once the read
// is done. The records go into arrays sized by a guess from the first part, which only grow,
// while no part is parsed, when the guess was short.
template <JournalKind K>
class StreamedParse final : public ReadWatcher {
 public:
  // `expected`: the file's size; `maxParts`: the parts the read marks split places for.
  StreamedParse(const LoadOptions& options, int threads, size_t expected, int maxParts)
      : options_(options), threads_(threads), expected_(expected) {
    parts_.reserve(static_cast<size_t>(maxParts) + 1);
  }
  ~StreamedParse() override { Stop(); }
  StreamedParse(const StreamedParse&) = delete;
  StreamedParse& operator=(const StreamedParse&) = delete;

  // Whether the title line was found in the bytes read so far: otherwise nothing was parsed.
  bool Began() const { return run_ != nullptr; }

  void Counted(const JournalBytes& read, size_t counted) override {
    if (!streaming_) return;
    if (TextEndedSoFar(read.lines)) {
      // Where the text ends is known exactly only at the end of the read.
      streaming_ = false;
      return;
    }
    if (run_ == nullptr && !Begin(read, counted)) return;
    size_t closed = 0;
    for (; nextSplit_ < read.splits.size() && read.splits[nextSplit_].at < counted; ++nextSplit_) {
      const SplitPoint& split = read.splits[nextSplit_];
      if (LinesBefore(split) > capacity_ + 1) {
        // The guess was short: the rest waits for the end of the read.
        streaming_ = false;
        break;
      }
      // Bytes after the split are in and the text goes on: a line follows it.
      if (CutAt<K>(parts_, journal_, split, recordsBegin_, counted, SIZE_MAX)) closed = parts_.size() - 1;
    }
    if (closed > 0) {
      const std::lock_guard<std::mutex> lock(mutex_);
      ready_ = closed;
      wake_.notify_all();
    }
  }

  void Moving() override {
    if (run_ != nullptr) Pause();
  }

  void Moved(const char* from, size_t size, char* to) override {
    if (run_ == nullptr) return;
    run_->base = to;
    for (const auto& part : parts_) {
      for (DistinctList& list : part->lists) list.Rebase(from, size, to);
    }
    Resume();
  }

  // After the read of `read`, which Began: parses what is left and gives the journal.
  Journal Finish(JournalBytes read) {
    constexpr const KindDescription& kind = Describe<K>();
    const size_t textEnd = TextEndOf<K>(read.lines);
    const size_t total = RecordLines(read, kind);
    const size_t wholeLines = read.lines.WholeLines();
    journal_.progressMax = wholeLines;
    if (options_.observer != nullptr) options_.observer->Started(wholeLines);
    run_->progressTotal = ProgressTotal<K>(wholeLines, total);
    JournalRecords& records = journal_.records;
    if (total > capacity_) {
      Pause();
      Size(total + total / 4 + 1024);
      Resume();
    }
    for (; nextSplit_ < read.splits.size(); ++nextSplit_) {
      CutAt<K>(parts_, journal_, read.splits[nextSplit_], recordsBegin_, textEnd, total);
    }
    ClosePart(parts_, textEnd, total);
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      ready_ = parts_.size();
      readDone_ = true;
      wake_.notify_all();
    }
    Work(true);
    Stop();
    RethrowFirstFailure(parts_);
    // The arrays keep room for a quarter more records, for a journal that grows while it is
    // followed.
    records.Resize(kind, total);
    records.Reserve(kind, total + total / 4 + 1024);
    if (options_.measure != nullptr) {
      for (auto& column : records.widths.widest) column.resize((total + kRecordBlock - 1) / kRecordBlock);
      records.widths.records = total;
    }
    journal_.bytes = std::move(read.bytes);
    FinishJournal<K>(journal_, *run_, textEnd, total);
    return std::move(journal_);
  }

 private:
  static constexpr bool kText = Describe<K>().lines == LineRule::Text;

  static bool TextEndedSoFar(const LineCounter& lines) {
    return kText ? lines.TextEndedSoFar() : lines.WholeTextEndedSoFar();
  }
  static size_t LinesBefore(const SplitPoint& split) { return kText ? split.lineFeeds : split.wholeEnds; }

  // Sets the parse up once a split place follows the title line; starts the threads beside.
  bool Begin(const JournalBytes& read, size_t counted) {
    const SplitPoint* first = nullptr;
    for (const SplitPoint& split : read.splits) {
      if (split.at < counted && LinesBefore(split) >= 1) {
        first = &split;
        break;
      }
    }
    if (first == nullptr) return false;
    char* base = read.bytes.data();
    // The title line ends before the split place, which follows a line feed.
    recordsBegin_ = BeginRecords<K>(journal_, options_, std::string_view(base, first->at), base, first->at);
    // The records guessed from the lines so far, and a quarter more.
    const size_t linesSoFar = kText ? read.lines.LineFeedsSoFar() : read.lines.WholeEndsSoFar();
    const auto guess = static_cast<size_t>(static_cast<double>(linesSoFar) * static_cast<double>(std::max(expected_, counted)) /
                                           static_cast<double>(counted));
    Size(guess + guess / 4 + 1024);
    AddPart(parts_, journal_, recordsBegin_, 0);
    run_ = std::make_unique<LoadRun>(base, options_, RecordTarget{&journal_.records}, parts_);
    for (int t = 1; t < threads_; ++t) {
      try {
        threads_beside_.emplace_back([this] { Work(false); });
      } catch (const std::system_error&) {
        break;
      }
    }
    return true;
  }

  // Room for `records` records; no part is being parsed.
  void Size(size_t records) {
    constexpr const KindDescription& kind = Describe<K>();
    journal_.records.Reserve(kind, records);
    journal_.records.Resize(kind, records);
    if (options_.measure != nullptr) {
      if (capacity_ == 0) {
        journal_.records.widths.Start(*options_.measure, records);
      } else {
        for (auto& column : journal_.records.widths.widest) column.resize((records + kRecordBlock - 1) / kRecordBlock, 0);
      }
    }
    capacity_ = records;
  }

  // Parses the parts that are ready, one after another, until none is left: on the reading
  // thread (`reports`) once the read is done, beside it from the start.
  void Work(bool reports) {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
      wake_.wait(lock, [this] { return stop_ || (!paused_ && (next_ < ready_ || readDone_)); });
      if (stop_ || next_ >= ready_) return;
      const size_t p = next_++;
      Part& part = *parts_[p];
      ++busy_;
      lock.unlock();
      RunPart<K>(*run_, part, static_cast<int>(p), reports);
      lock.lock();
      --busy_;
      wake_.notify_all();
    }
  }

  // No part is taken from now until Resume, and none is being parsed when it returns.
  void Pause() {
    std::unique_lock<std::mutex> lock(mutex_);
    paused_ = true;
    wake_.wait(lock, [this] { return busy_ == 0; });
  }
  void Resume() {
    const std::lock_guard<std::mutex> lock(mutex_);
    paused_ = false;
    wake_.notify_all();
  }

  // The threads beside stop soon and are waited for.
  void Stop() {
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      stop_ = true;
      // A part under way stops at its next progress note.
      if (run_ != nullptr && !readDone_) run_->firstFailed = -1;
      wake_.notify_all();
    }
    for (std::thread& thread : threads_beside_) thread.join();
    threads_beside_.clear();
  }

  const LoadOptions& options_;
  const int threads_;
  const size_t expected_;
  Journal journal_;
  std::vector<std::unique_ptr<Part>> parts_;
  std::unique_ptr<LoadRun> run_;
  size_t recordsBegin_ = 0;
  size_t nextSplit_ = 0;
  size_t capacity_ = 0;
  bool streaming_ = true;

  std::mutex mutex_;
  std::condition_variable wake_;
  // Parts [0, ready_) may be taken; next_ is the next to take.
  size_t ready_ = 0;
  size_t next_ = 0;
  size_t busy_ = 0;
  bool paused_ = false;
  bool readDone_ = false;
  bool stop_ = false;
  std::vector<std::thread> threads_beside_;
};

// 1450 as "1,450".
std::string Grouped(size_t value) {
  const std::string digits = std::to_string(value);
  std::string out;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out.push_back(',');
    out.push_back(digits[i]);
  }
  return out;
}

// About how many records a file of `size` bytes holds, by the lines of its first bytes.
size_t RecordsGuessed(const JournalSource& source, size_t size) {
  const std::string sample = source.Peek(size_t{1} << 16);
  const auto lines = static_cast<size_t>(std::count(sample.begin(), sample.end(), '\n'));
  if (lines == 0) return size / 100;
  return static_cast<size_t>(static_cast<double>(size) * static_cast<double>(lines) / static_cast<double>(sample.size()));
}

int ThreadsOf(const LoadOptions& options) {
  if (options.threads > 0) return options.threads;
  const unsigned cores = std::thread::hardware_concurrency();
  return cores == 0 ? 1 : static_cast<int>(cores);
}

}  // namespace

size_t LoadFootprint(JournalKind kind, size_t size, size_t records) {
  return size + records * (RecordBytes(DescriptionOf(kind)) + kShownRowBytes);
}

std::string NotEnoughMemoryMessage(std::string_view fileName, size_t bytesNeeded) {
  const size_t megabytes = (bytesNeeded + 999999) / 1000000;
  return "Not enough memory to load " + std::string(fileName) + ": about " + Grouped(megabytes) + " MB needed.";
}

Journal ParseJournal(JournalBytes read, JournalKind kind, const LoadOptions& options, std::string_view name) {
  const size_t size = read.bytes.size;
  const size_t records = read.lines.WholeLines();
  try {
    return WithKind(kind, [&](auto k) { return ParseKind<decltype(k)::value>(std::move(read), options, RecordTarget{}); });
  } catch (const std::bad_alloc&) {
    throw AppError(NotEnoughMemoryMessage(name, LoadFootprint(kind, size, records)));
  }
}

Journal ParseJournalInto(JournalBytes read, JournalKind kind, const LoadOptions& options, JournalRecords& records,
                         size_t first, uint64_t longKey) {
  return WithKind(kind, [&](auto k) {
    return ParseKind<decltype(k)::value>(std::move(read), options, RecordTarget{&records, first, longKey});
  });
}

size_t RecordLineCount(const JournalBytes& read, JournalKind kind) { return RecordLines(read, DescriptionOf(kind)); }

std::optional<TDateTime> FirstRecordMoment(const JournalBytes& read, JournalKind kind, const DateTimeRules& rules) {
  return WithKind(kind, [&](auto k) -> std::optional<TDateTime> {
    constexpr JournalKind K = decltype(k)::value;
    constexpr bool kText = Describe<K>().lines == LineRule::Text;
    // A copy of the first lines: text lines are read in place, changing the bytes.
    const size_t end = kText ? read.lines.TextEnd() : read.lines.WholeTextEnd();
    std::string head(read.bytes.data(), std::min(end, kFirstLinesBytes));
    std::conditional_t<kText, TextLines, WholeFileLines> lines(head.data(), head.data() + head.size());
    std::string_view line;
    if (!lines.Next(line) || !lines.Next(line)) return std::nullopt;
    std::array<DistinctList, kMaxLists> lists;
    RecordParser<K> parser(rules, lists, nullptr, 0u);
    ParsedRecord values;
    try {
      parser.Parse(line, values);
    } catch (const AppError&) {
      return std::nullopt;
    }
    return values.time;
  });
}

Journal LoadJournal(JournalSource& source, JournalKind kind, const LoadOptions& options) {
  if (!source.IsOpen()) source.Open(ReadErrorStyle::TextFile);
  const std::string_view name = FileNameOf(source.Path());
  const int threads = ThreadsOf(options);
  ReadOptions reading;
  reading.maxParts = threads;
  reading.minPartBytes = options.minPartBytes;
  reading.cancel = options.cancel;
  reading.prefault = threads > 1;
  reading.pieceBytes = options.pieceBytes;
  auto read = [&] {
    try {
      return ReadJournalBytes(source, reading);
    } catch (const OutOfMemory&) {
      // Nothing is counted yet: the records are guessed from the lines of the first bytes.
      const size_t size = source.KnownSize();
      throw AppError(NotEnoughMemoryMessage(name, LoadFootprint(kind, size, RecordsGuessed(source, size))));
    }
  };
  const size_t expected = source.KnownSize() > source.Offset() ? source.KnownSize() - source.Offset() : 0;
  const int streamedParts = threads > 1 ? PartsFor(expected, kStreamedParts, options.minPartBytes) : 1;
  if (streamedParts < kStreamedFrom) return ParseJournal(read(), kind, options, name);
  return WithKind(kind, [&](auto k) -> Journal {
    constexpr JournalKind K = decltype(k)::value;
    StreamedParse<K> parse(options, threads, expected, streamedParts);
    reading.maxParts = streamedParts;
    // The second core parses what is read: a prefault beside would only take turns with it.
    reading.prefault = false;
    reading.watcher = &parse;
    JournalBytes bytes = read();
    if (!parse.Began()) return ParseJournal(std::move(bytes), kind, options, name);
    const size_t size = bytes.bytes.size, records = bytes.lines.WholeLines();
    try {
      return parse.Finish(std::move(bytes));
    } catch (const std::bad_alloc&) {
      throw AppError(NotEnoughMemoryMessage(name, LoadFootprint(kind, size, records)));
    }
  });
}

Journal LoadJournal(const std::string& path, JournalKind kind, const LoadOptions& options) {
  JournalSource source(path);
  return LoadJournal(source, kind, options);
}

Journal LoadParamStatLog(const std::string& path, const LoadOptions& options) {
  return LoadJournal(path, KindOfPath(path) == JournalKind::Stat ? JournalKind::Stat : JournalKind::Param, options);
}

}  // namespace vantorel
