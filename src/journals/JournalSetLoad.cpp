#include "journals/JournalSetLoad.h"

#include <algorithm>
#include <atomic>
#include <exception>
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
void ReadAll(std::vector<std::unique_ptr<JournalSource>>& sources, int cores, const LoadOptions& options,
             std::vector<JournalBytes>& read, std::vector<std::exception_ptr>& failures) {
  std::atomic<size_t> next{0};
  auto work = [&] {
    for (size_t j = next++; j < sources.size(); j = next++) {
      try {
        if (!sources[j]->IsOpen()) sources[j]->Open(ReadErrorStyle::TextFile);
        read[j] = ReadJournalBytes(*sources[j], cores, options.minPartBytes, options.cancel, sources.size() == 1 && cores > 1);
      } catch (...) {
        failures[j] = std::current_exception();
        // The journals after a failed one are of no use: the load ends with the first failure.
        next = sources.size();
      }
    }
  };
  std::vector<std::thread> threads;
  const size_t helpers = std::min(sources.size(), static_cast<size_t>(cores)) - 1;
  for (size_t t = 0; t < helpers; ++t) {
    try {
      threads.emplace_back(work);
    } catch (const std::system_error&) {
      break;
    }
  }
  work();
  for (std::thread& thread : threads) thread.join();
}

}  // namespace

Journal LoadJournalSet(std::vector<std::unique_ptr<JournalSource>>& sources, const std::vector<std::string>& names,
                       JournalKind kind, const LoadOptions& options, SetSize& size) {
  auto named = [&names](size_t j, const std::string& message) { return AppError(names[j] + ": " + message); };
  const int cores = CoresOf(options);
  std::vector<JournalBytes> read(sources.size());
  std::vector<std::exception_ptr> failures(sources.size());
  ReadAll(sources, cores, options, read, failures);
  size_t progressMax = 0;
  for (size_t j = 0; j < sources.size(); ++j) {
    if (failures[j]) {
      try {
        std::rethrow_exception(failures[j]);
      } catch (const AppError& error) {
        throw named(j, error.Message());
      }
    }
    const size_t lines = read[j].lines.WholeLines();
    progressMax += lines;
    size.records += lines > 0 ? lines - 1 : 0;
    size.bytes += read[j].bytes.size;
  }
  SetObserver observer(options.observer, progressMax, size.records);
  LoadOptions each = options;
  each.observer = &observer;
  std::vector<NamedJournal> journals;
  for (size_t j = 0; j < read.size(); ++j) {
    const size_t lines = read[j].lines.WholeLines();
    try {
      journals.push_back({names[j], ParseJournal(std::move(read[j]), kind, each, names[j])});
    } catch (const AppError& error) {
      throw named(j, error.Message());
    }
    observer.Next(lines > 0 ? lines - 1 : 0);
  }
  Journal merged = MergeJournals(std::move(journals));
  // The sources in the order of their journals.
  std::vector<std::unique_ptr<JournalSource>> ordered;
  for (const std::string& name : merged.journalNames) {
    const auto at = std::find(names.begin(), names.end(), name);
    ordered.push_back(std::move(sources[static_cast<size_t>(at - names.begin())]));
  }
  sources = std::move(ordered);
  return merged;
}

}  // namespace vantorel
