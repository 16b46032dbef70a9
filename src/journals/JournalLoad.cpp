#include "journals/JournalLoad.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <system_error>
#include <thread>

#include "journals/Extension.h"
#include "journals/PartParse.h"
#include "journals/StreamedParse.h"
#include "uStrUtils/AppError.h"
#include "uStrUtils/NameText.h"

namespace vantorel {
namespace {

using namespace parts;

// A journal cut into at least this many parts is parsed while it is read, in up to
// kStreamedParts parts: small enough that the threads finish together.
constexpr int kStreamedFrom = 3;
constexpr int kStreamedParts = 16;

// How much of a journal's start is looked at for its first record.
constexpr size_t kFirstLinesBytes = size_t{1} << 16;

// Parses into `target`, or into the journal's own records when it names none.
template <JournalKind K>
Journal ParseKind(JournalBytes read, const LoadOptions& options, RecordTarget target) {
  constexpr const KindDescription& kind = Describe<K>();
  Journal journal;
  journal.bytes = std::move(read.bytes);
  char* base = journal.bytes.data();
  const size_t textEnd = TextEndOf<K>(read.lines);
  const size_t recordsBegin = BeginRecords<K>(journal, options, journal.bytes.View().substr(0, textEnd), base, textEnd);
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
  FinishJournal<K>(journal, run, textEnd, total, read.lines);
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

std::string NotEnoughMemoryMessage(std::string_view what, size_t bytesNeeded) {
  const size_t megabytes = (bytesNeeded + 999999) / 1000000;
  return "Not enough memory to load " + std::string(what) + ": about " + Grouped(megabytes) + " MB needed.";
}

size_t GuessedRecords(const JournalSource& source) { return RecordsGuessed(source, source.KnownSize()); }

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
  const std::string name = NameText(FileNameOf(source.Path()));
  const int threads = ThreadsOf(options);
  ReadOptions reading;
  reading.maxParts = threads;
  reading.minPartBytes = options.minPartBytes;
  reading.cancel = options.cancel;
  // A compressed journal's size is a guess: its pages are not brought in ahead.
  reading.prefault = threads > 1 && !source.Compressed();
  reading.pieceBytes = options.pieceBytes;
  reading.stopAtTextEnd = DescriptionOf(kind).lines;
  auto read = [&] {
    try {
      return ReadJournalBytes(source, reading);
    } catch (const OutOfMemory&) {
      // Nothing is counted yet: the records are guessed from the lines of the first bytes.
      throw AppError(NotEnoughMemoryMessage(name, LoadFootprint(kind, source.KnownSize(), GuessedRecords(source))));
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
