#include "journals/JournalLoad.h"

#include <algorithm>
#include <climits>
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

// A share of the record lines, parsed by one thread into records [first, limit).
struct Part {
  char* begin = nullptr;
  char* end = nullptr;
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
  Journal& journal;
  const LoadOptions& options;
  RecordTarget target;
  std::vector<std::unique_ptr<Part>>& parts;
  // The progress total the observer is told: records, or for actions the whole-file lines
  // after the title, which the records may not match.
  size_t progressTotal = 0;
  size_t lastReported = 0;
  // The first part, in file order, that failed: the parts after it need not go on.
  std::atomic<int> firstFailed{INT_MAX};
};

// Thrown inside a part that a failure of an earlier part made useless.
struct PartStopped {};

void Checkpoint(LoadRun& run, Part& part, int index, size_t local) {
  part.done.store(local, std::memory_order_relaxed);
  if (run.options.cancel != nullptr && run.options.cancel->load(std::memory_order_relaxed)) throw LoadCancelled();
  if (run.firstFailed.load(std::memory_order_relaxed) < index) throw PartStopped();
  if (index != 0 || run.options.observer == nullptr) return;
  // The first report is the first record's, whatever the other parts have read meanwhile.
  size_t done = local;
  if (local != 1) {
    done = 0;
    for (const auto& p : run.parts) done += p->done.load(std::memory_order_relaxed);
  }
  run.options.observer->Progress(done, run.progressTotal);
  run.lastReported = done;
}

template <JournalKind K>
void ParsePart(LoadRun& run, Part& part, int index) {
  constexpr const KindDescription& kind = Describe<K>();
  JournalRecords& records = *run.target.records;
  const char* base = run.journal.bytes.data();
  RecordParser<K> parser(run.options.rules, part.lists);
  ParsedRecord values;
  std::conditional_t<kind.lines == LineRule::Text, TextLines, WholeFileLines> lines(part.begin, part.end);
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
    if (local == 1 || local % kProgressStride == 0) Checkpoint(run, part, index, local);
  }
  if (i != part.limit) throw std::logic_error("a part holds fewer lines than were counted");
  if (measure && part.limit > part.first) measure->Flush();
}

// Runs a part, keeping what it raises; the parts after a failed one are stopped.
template <JournalKind K>
void RunPart(LoadRun& run, Part& part, int index) {
  try {
    ParsePart<K>(run, part, index);
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
      uint32_t* records = target.records->items[list].data() + target.first;
      for (size_t r = parts[p]->first; r < parts[p]->limit; ++r) records[r] = remap[records[r]];
    }
    journal.lists[list] = std::move(joined);
  }
}

// How much of a journal's start is looked at for its first record.
constexpr size_t kFirstLinesBytes = size_t{1} << 16;

// The records a journal's bytes hold by the kind's line rule: the lines after the title.
size_t RecordLines(const JournalBytes& read, const KindDescription& kind) {
  const size_t lines = kind.lines == LineRule::Text ? read.lines.TextLineCount() : read.lines.WholeLines();
  return lines > 0 ? lines - 1 : 0;
}

// Parses into `target`, or into the journal's own records when it names none.
template <JournalKind K>
Journal ParseKind(JournalBytes read, const LoadOptions& options, RecordTarget target) {
  constexpr const KindDescription& kind = Describe<K>();
  Journal journal;
  journal.kind = &kind;
  journal.bytes = std::move(read.bytes);
  journal.days.earliest = journal.days.latest = options.startDate;
  char* base = journal.bytes.data();

  journal.titles = HeaderTitles(FirstTextLine(journal.bytes.View()));
  if (options.observer != nullptr) options.observer->Titles(journal.titles);
  const size_t wholeLines = read.lines.WholeLines();
  journal.progressMax = wholeLines;
  if (options.observer != nullptr) options.observer->Started(wholeLines);
  if constexpr (kind.emptyFileFails) {
    if (wholeLines == 0) throw AppError("Range check error");
  }
  const Literals& words = Cp1251Literals();
  for (int l = 0; l < kind.listCount; ++l) journal.lists[static_cast<size_t>(l)].Reset(words.*kind.lists[l].allValues);

  // The record lines begin after the title line and end where the text does.
  constexpr bool kText = kind.lines == LineRule::Text;
  const size_t textEnd = kText ? read.lines.TextEnd() : read.lines.WholeTextEnd();
  std::conditional_t<kText, TextLines, WholeFileLines> titleLine(base, base + textEnd);
  std::string_view title;
  titleLine.Next(title);
  const auto recordsBegin = static_cast<size_t>(titleLine.Position() - base);
  const size_t total = RecordLines(read, kind);

  if (target.records == nullptr) {
    target = RecordTarget{&journal.records};
    // Room for a quarter more records, for a journal that grows while it is followed: pages
    // not written cost nothing.
    journal.records.Reserve(kind, total + total / 4 + 1024);
    journal.records.Resize(kind, total);
    if (options.measure != nullptr) journal.records.widths.Start(*options.measure, total);
  }
  JournalRecords& records = *target.records;

  std::vector<std::unique_ptr<Part>> parts;
  auto addPart = [&](size_t at, size_t first) {
    auto part = std::make_unique<Part>();
    part->begin = base + at;
    part->first = first;
    part->lists = journal.lists;
    if (!parts.empty()) {
      parts.back()->end = part->begin;
      parts.back()->limit = first;
    }
    parts.push_back(std::move(part));
  };
  addPart(recordsBegin, 0);
  for (const SplitPoint& split : read.splits) {
    const size_t linesBefore = kText ? split.lineFeeds : split.wholeEnds;
    if (split.at <= recordsBegin || split.at >= textEnd || linesBefore < 1) continue;
    if (linesBefore - 1 <= parts.back()->first || linesBefore - 1 >= total) continue;
    addPart(split.at, linesBefore - 1);
  }
  parts.back()->end = base + textEnd;
  parts.back()->limit = total;

  LoadRun run{journal, options, target, parts};
  run.progressTotal = kText ? (wholeLines > 0 ? wholeLines - 1 : 0) : total;
  if (parts.size() == 1) {
    ParsePart<K>(run, *parts[0], 0);
  } else {
    std::vector<std::thread> threads;
    // A part that gets no thread of its own (the system refused one) is parsed here after the
    // first part.
    std::vector<size_t> here;
    for (size_t p = 1; p < parts.size(); ++p) {
      try {
        threads.emplace_back([&run, &parts, p] { RunPart<K>(run, *parts[p], static_cast<int>(p)); });
      } catch (const std::system_error&) {
        here.push_back(p);
      }
    }
    RunPart<K>(run, *parts[0], 0);
    for (size_t p : here) RunPart<K>(run, *parts[p], static_cast<int>(p));
    for (std::thread& thread : threads) thread.join();
    // The first failure in file order is the load's.
    for (const auto& part : parts) {
      if (part->failure) std::rethrow_exception(part->failure);
    }
  }

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
  journal.parsedEnd = textEnd;
  journal.textEnded = textEnd < journal.bytes.size;
  // With no line read yet, or a last line without its line end (the title's too), more bytes
  // change what was read: growth then reads the file again.
  journal.lastLineOpen = textEnd == 0 && !journal.textEnded;
  if (textEnd > 0) {
    const char last = base[textEnd - 1];
    journal.lastLineOpen = kText ? last != '\n' && !journal.textEnded : last != '\n' && last != '\r';
    journal.endsWithCr = !kText && last == '\r';
  }
  return journal;
}

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
  JournalBytes read;
  try {
    read = ReadJournalBytes(source, ThreadsOf(options), options.minPartBytes, options.cancel, ThreadsOf(options) > 1);
  } catch (const OutOfMemory&) {
    // Nothing is counted yet: the records are guessed from the lines of the first bytes.
    const size_t size = source.KnownSize();
    throw AppError(NotEnoughMemoryMessage(FileNameOf(source.Path()), LoadFootprint(kind, size, RecordsGuessed(source, size))));
  }
  return ParseJournal(std::move(read), kind, options, FileNameOf(source.Path()));
}

Journal LoadJournal(const std::string& path, JournalKind kind, const LoadOptions& options) {
  JournalSource source(path);
  return LoadJournal(source, kind, options);
}

Journal LoadParamStatLog(const std::string& path, const LoadOptions& options) {
  return LoadJournal(path, KindOfPath(path) == JournalKind::Stat ? JournalKind::Stat : JournalKind::Param, options);
}

}  // namespace vantorel
