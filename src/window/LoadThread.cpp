#include "window/LoadThread.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

#include "journals/Extension.h"
#include "journals/FileBytes.h"
#include "journals/JournalLoad.h"
#include "journals/JournalMerge.h"
#include "platform/DisplayText.h"
#include "uStrUtils/AppError.h"
#include "views/JournalTableModel.h"

namespace vantorel {
namespace {

constexpr int kLoadNiceness = 5;
// How often the window's thread looks for the load's reports.
constexpr int kPollMs = 4;

// Hands the core's reports to the window: the first record's, the last one's, and between
// them one at most every 16 ms, so the window repaints often without a queue of reports.
class PostingObserver final : public LoadObserver {
 public:
  PostingObserver(LoadThread& thread, std::function<void(std::function<void()>)> post)
      : thread_(thread), post_(std::move(post)) {}

  void Titles(const std::vector<std::string>& titles) override {
    LoadThread* thread = &thread_;
    post_([thread, titles] {
      QStringList texts;
      // A title is painted no further than a cell is.
      for (const std::string& title : titles) texts.append(FromCp1251(std::string_view(title).substr(0, JournalTableModel::kPaintedBytes)));
      if (thread->onTitles) thread->onTitles(texts);
    });
  }
  void Started(size_t progressMax) override {
    LoadThread* thread = &thread_;
    post_([thread, progressMax] {
      if (thread->onStarted) thread->onStarted(progressMax);
    });
  }
  void Progress(size_t done, size_t total) override {
    const auto now = std::chrono::steady_clock::now();
    if (done != 1 && done != total && now - last_ < std::chrono::milliseconds(16)) return;
    last_ = now;
    // The calls run after this observer is gone: they keep only the thread.
    LoadThread* thread = &thread_;
    post_([thread, done, total] {
      if (thread->onProgress) thread->onProgress(done, total);
    });
  }

 private:
  LoadThread& thread_;
  std::function<void(std::function<void()>)> post_;
  std::chrono::steady_clock::time_point last_{};
};

}  // namespace

LoadThread::LoadThread(QObject* parent) : QObject(parent), poll_(new QTimer(this)) {
  poll_->setInterval(kPollMs);
  connect(poll_, &QTimer::timeout, this, &LoadThread::Deliver);
}

void LoadThread::Start(LoadRequest request) {
  if (thread_.joinable()) thread_.join();
  cancel_ = false;
  poll_->start();
  thread_ = std::thread([this, request = std::move(request)]() mutable { Run(std::move(request)); });
}

void LoadThread::Cancel() {
  poll_->stop();
  if (thread_.joinable()) {
    cancel_ = true;
    thread_.join();
  }
  // Nothing of a cancelled load is reported.
  const std::lock_guard<std::mutex> lock(mutex_);
  queue_.clear();
}

void LoadThread::Post(std::function<void()> call) {
  const std::lock_guard<std::mutex> lock(mutex_);
  queue_.push_back(std::move(call));
}

void LoadThread::Deliver() {
  std::deque<std::function<void()>> calls;
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    calls.swap(queue_);
  }
  for (std::function<void()>& call : calls) {
    // A call may end the load (its last) or cancel it; what follows a cancel is not told.
    if (!poll_->isActive()) return;
    call();
  }
}

namespace {

// Tells one observer of several loads as of one: the first titles, one start with every
// journal's lines, and the records read so far of all of them.
class SetObserver final : public LoadObserver {
 public:
  SetObserver(LoadObserver& to, size_t progressMax, size_t total) : to_(to), progressMax_(progressMax), total_(total) {}

  void Titles(const std::vector<std::string>& titles) override {
    if (!titled_) to_.Titles(titles);
    titled_ = true;
  }
  void Started(size_t) override {
    if (!started_) to_.Started(progressMax_);
    started_ = true;
  }
  void Progress(size_t done, size_t) override { to_.Progress(before_ + done, total_); }
  // The next journal's records count after `records` more.
  void Next(size_t records) { before_ += records; }

 private:
  LoadObserver& to_;
  size_t progressMax_;
  size_t total_;
  size_t before_ = 0;
  bool titled_ = false;
  bool started_ = false;
};

// Several journals of one kind as one: every file read first, so that the progress runs over
// all their lines, then each parsed on every core, then merged. An error names its journal;
// `bytes` and `records` say what was read, for a report of too little memory.
Journal LoadSet(std::vector<std::unique_ptr<JournalSource>>& sources, const LoadRequest& request, LoadOptions options,
                size_t& bytes, size_t& records) {
  const int threads = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  auto named = [&request](size_t j, const std::string& message) {
    return AppError(request.names[j] + ": " + message);
  };
  std::vector<JournalBytes> read;
  size_t progressMax = 0;
  for (size_t j = 0; j < sources.size(); ++j) {
    try {
      sources[j]->Open(ReadErrorStyle::TextFile);
      read.push_back(ReadJournalBytes(*sources[j], threads, options.minPartBytes, options.cancel));
    } catch (const AppError& error) {
      throw named(j, error.Message());
    }
    const size_t lines = read.back().lines.WholeLines();
    progressMax += lines;
    records += lines > 0 ? lines - 1 : 0;
    bytes += read.back().bytes.size;
  }
  SetObserver observer(*options.observer, progressMax, records);
  options.observer = &observer;
  std::vector<NamedJournal> journals;
  for (size_t j = 0; j < read.size(); ++j) {
    const size_t lines = read[j].lines.WholeLines();
    try {
      journals.push_back({request.names[j], ParseJournal(std::move(read[j]), request.kind, options, request.names[j])});
    } catch (const AppError& error) {
      throw named(j, error.Message());
    }
    observer.Next(lines > 0 ? lines - 1 : 0);
  }
  Journal merged = MergeJournals(std::move(journals));
  // The files in the order of their journals, as the session follows them.
  std::vector<std::unique_ptr<JournalSource>> ordered;
  for (const std::string& name : merged.journalNames) {
    const auto at = std::find(request.names.begin(), request.names.end(), name);
    ordered.push_back(std::move(sources[static_cast<size_t>(at - request.names.begin())]));
  }
  sources = std::move(ordered);
  return merged;
}

}  // namespace

void LoadThread::Run(LoadRequest request) {
  // The load and the threads it starts yield to the window's own thread, which then keeps
  // painting and taking input however busy the cores are.
  ::setpriority(PRIO_PROCESS, static_cast<id_t>(::syscall(SYS_gettid)), kLoadNiceness);
  PostingObserver observer(*this, [this](std::function<void()> call) { Post(std::move(call)); });
  LoadOptions options;
  options.rules = request.rules;
  options.startDate = request.startDate;
  options.observer = &observer;
  options.cancel = &cancel_;
  auto outcome = std::make_shared<LoadOutcome>();
  for (const std::string& path : request.paths) outcome->sources.push_back(std::make_unique<JournalSource>(path));
  const bool several = request.paths.size() > 1;
  size_t setBytes = 0, setRecords = 0;
  try {
    Journal journal = several ? LoadSet(outcome->sources, request, options, setBytes, setRecords)
                              : LoadJournal(*outcome->sources.front(), request.kind, options);
    outcome->document = std::make_unique<JournalDocument>(std::move(journal), request.rules.regional);
    const size_t records = outcome->document->RecordCount();
    outcome->rows.rows.Resize(records);
    if (records > 0) std::memset(outcome->rows.rows.data(), 0, records * sizeof(uint32_t));
    outcome->rows.rows.Clear();
    outcome->rows.blockStarts.reserve(records / kRecordBlock + 2);
    if (request.firstView) {
      FilterState state = *request.firstView;
      const JournalDocument& document = *outcome->document;
      if (document.Kind().dateRange) {
        state.startDate = WholeDay(document.Earliest());
        state.endDate = WholeDay(document.Latest());
      }
      document.Select(state, outcome->rows);
      outcome->rowsFor = state;
    }
    outcome->widths = std::make_unique<WidthIndex>(*outcome->document, request.measure,
                                                   static_cast<int>(std::max(1u, std::thread::hardware_concurrency())),
                                                   &cancel_);
  } catch (const LoadCancelled&) {
    return;
  } catch (const std::bad_alloc&) {
    // The journal was loaded (the set was read); its merge or its widths found no room.
    size_t needed = several ? LoadFootprint(request.kind, setBytes, setRecords) : 0;
    if (outcome->document != nullptr && !several) {
      needed = LoadFootprint(request.kind, outcome->document->Data().bytes.size, outcome->document->RecordCount());
    }
    outcome->document.reset();
    const std::string name = several ? std::string("the journals") : std::string(FileNameOf(request.paths.front()));
    outcome->error = ReportText(NotEnoughMemoryMessage(name, needed));
  } catch (const std::exception& error) {
    outcome->document.reset();
    outcome->error = ReportText(MessageOf(error));
  } catch (...) {
    outcome->document.reset();
    outcome->error = ReportText("Unknown error");
  }
  Post([this, outcome] {
    // The last report: the window's thread stops looking.
    poll_->stop();
    if (onFinished) onFinished(*outcome);
  });
}

}  // namespace vantorel
