#include "journals/JournalSetLoad.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <numeric>
#include <system_error>
#include <thread>

#include "uStrUtils/AppError.h"

namespace vantorel {
namespace {

// Tells one observer of several loads as of one: the first titles, one start with every
// journal's lines, and the records read so far of all of them.
class SetObserver final : public LoadObserver {
 public:
  SetObserver(LoadObserver* to, size_t progressMax, size_t total) : to_(to), progressMax_(progressMax), total_(total) {}

  void Titles(const std::vector<std::string>& titles) override {
    if (!titled_ && to_ != nullptr) to_->Titles(titles);
    titled_ = true;
  }
  void Started(size_t) override {
    if (!started_ && to_ != nullptr) to_->Started(progressMax_);
    started_ = true;
  }
  void Progress(size_t done, size_t) override {
    if (to_ != nullptr) to_->Progress(before_ + done, total_);
  }
  // The next journal's records count after `records` more.
  void Next(size_t records) { before_ += records; }

 private:
  LoadObserver* to_;
  size_t progressMax_;
  size_t total_;
  size_t before_ = 0;
  bool titled_ = false;
  bool started_ = false;
};


int CoresOf(const LoadOptions& options) {
  if (options.threads > 0) return options.threads;
  return static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}

// Every file read, side by side: the fresh memory each read fills costs the system more than
// the read itself, and that cost spreads over the cores. Failures are kept by journal.
void ReadAll(std::vector<std::unique_ptr<JournalSource>>& sources, JournalKind kind, int cores, const LoadOptions& options,
             std::vector<JournalBytes>& read, std::vector<std::exception_ptr>& failures) {
  std::atomic<size_t> next{0};
  // Reads at most `most` journals.
  auto work = [&](size_t most) {
    for (size_t n = 0; n < most; ++n) {
      const size_t j = next++;
      if (j >= sources.size()) return;
      try {
        if (!sources[j]->IsOpen()) sources[j]->Open(ReadErrorStyle::TextFile);
        ReadOptions reading;
        reading.maxParts = cores;
        reading.minPartBytes = options.minPartBytes;
        reading.cancel = options.cancel;
        reading.prefault = sources.size() == 1 && cores > 1;
        reading.stopAtTextEnd = DescriptionOf(kind).lines;
        read[j] = ReadJournalBytes(*sources[j], reading);
      } catch (...) {
        failures[j] = std::current_exception();
        // The journals after a failed one are of no use: the load ends with the first failure.
        next = sources.size();
      }
    }
  };
  // The first journal alone: the system serves first touches of memory one after another,
  // and the window's own first steps after the start of a load must not wait behind two
  // readers.
  work(1);
  std::vector<std::thread> threads;
  const size_t helpers = std::min(sources.size(), static_cast<size_t>(cores)) - 1;
  for (size_t t = 0; t < helpers; ++t) {
    try {
      threads.emplace_back(work, sources.size());
    } catch (const std::system_error&) {
      break;
    }
  }
  work(sources.size());
  for (std::thread& thread : threads) thread.join();
}

}  // namespace

Journal MergeReadJournals(std::vector<JournalBytes> read, const std::vector<std::string>& names, JournalKind kind,
                          const LoadOptions& options, std::vector<size_t>& order) {
  size_t progressMax = 0, total = 0;
  for (const JournalBytes& bytes : read) {
    progressMax += bytes.lines.WholeLines();
    total += RecordLineCount(bytes, kind);
  }
  SetObserver observer(options.observer, progressMax, total);
  LoadOptions each = options;
  each.observer = &observer;
  std::vector<TDateTime> firstMoment(read.size());
  for (size_t j = 0; j < read.size(); ++j) firstMoment[j] = FirstRecordMoment(read[j], kind, options.rules).value_or(kNoMoment);
  std::vector<size_t> parsed(read.size());
  std::iota(parsed.begin(), parsed.end(), size_t{0});
  std::sort(parsed.begin(), parsed.end(), [&](size_t a, size_t b) {
    return firstMoment[a] != firstMoment[b] ? firstMoment[a] < firstMoment[b] : names[a] < names[b];
  });
  const KindDescription& description = DescriptionOf(kind);
  JournalRecords records;
  // Room for a quarter more records, for journals that grow while they are followed.
  records.Reserve(description, total + total / 4 + 1024);
  records.Resize(description, total);
  if (options.measure != nullptr) records.widths.Start(*options.measure, total);
  std::vector<NamedJournal> journals;
  std::vector<size_t> firsts;
  size_t first = 0;
  for (size_t j : parsed) {
    const size_t count = RecordLineCount(read[j], kind);
    firsts.push_back(first);
    try {
      journals.push_back({names[j], ParseJournalInto(std::move(read[j]), kind, each, records, first,
                                                     uint64_t{journals.size()} << kLineOffsetBits)});
    } catch (const AppError& error) {
      throw AppError(names[j] + ": " + error.Message());
    }
    first += count;
    observer.Next(count);
  }
  std::vector<size_t> ranks;
  Journal merged = MergeJournals(std::move(journals), std::move(records), firsts, &ranks);
  order.clear();
  for (size_t rank : ranks) order.push_back(parsed[rank]);
  return merged;
}

std::string SetNotEnoughMemoryMessage(const std::vector<std::string>& names, size_t bytesNeeded) {
  std::string what = std::to_string(names.size()) + " journals";
  if (!names.empty()) what += " (" + names.front() + " \x85 " + names.back() + ")";
  return NotEnoughMemoryMessage(what, bytesNeeded);
}

Journal LoadJournalSet(std::vector<std::unique_ptr<JournalSource>>& sources, const std::vector<std::string>& names,
                       JournalKind kind, const LoadOptions& options, SetSize& size) {
  auto named = [&names](size_t j, const std::string& message) { return AppError(names[j] + ": " + message); };
  const int cores = CoresOf(options);
  std::vector<JournalBytes> read(sources.size());
  std::vector<std::exception_ptr> failures(sources.size());
  // No room to read them all: what the whole set takes is the journals read as they are, the
  // others as their sizes and first lines tell; the message names the set and that figure.
  auto noRoomToRead = [&] {
    size = SetSize();
    for (size_t j = 0; j < sources.size(); ++j) {
      if (failures[j] == nullptr) {
        size.bytes += read[j].bytes.size;
        size.records += RecordLineCount(read[j], kind);
        continue;
      }
      try {
        if (!sources[j]->IsOpen()) sources[j]->Open(ReadErrorStyle::TextFile);
      } catch (const AppError&) {
        continue;
      }
      size.bytes += sources[j]->KnownSize();
      size.records += GuessedRecords(*sources[j]);
    }
    return AppError(SetNotEnoughMemoryMessage(names, LoadFootprint(kind, size.bytes, size.records)));
  };
  ReadAll(sources, kind, cores, options, read, failures);
  for (size_t j = 0; j < sources.size(); ++j) {
    if (failures[j]) {
      try {
        std::rethrow_exception(failures[j]);
      } catch (const AppError& error) {
        throw named(j, error.Message());
      } catch (const std::bad_alloc&) {
        // The journals after a failed one were not read.
        for (size_t k = j + 1; k < sources.size(); ++k) {
          if (read[k].bytes.size == 0) failures[k] = failures[j];
        }
        throw noRoomToRead();
      }
    }
    size.records += RecordLineCount(read[j], kind);
    size.bytes += read[j].bytes.size;
  }
  std::vector<size_t> order;
  Journal merged;
  try {
    merged = MergeReadJournals(std::move(read), names, kind, options, order);
  } catch (const std::bad_alloc&) {
    // Every journal was read: the figure is counted.
    throw AppError(SetNotEnoughMemoryMessage(names, LoadFootprint(kind, size.bytes, size.records)));
  }
  // The sources in the order of the merged journal's names.
  std::vector<std::unique_ptr<JournalSource>> ordered;
  for (size_t j : order) ordered.push_back(std::move(sources[j]));
  sources = std::move(ordered);
  return merged;
}

}  // namespace vantorel
