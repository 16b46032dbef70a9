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
#include "journals/JournalFollower.h"
#include "journals/JournalLoad.h"
#include "journals/JournalSetLoad.h"
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
  options.measure = &request.measure;
  auto outcome = std::make_shared<LoadOutcome>();
  for (const std::string& path : request.paths) {
    outcome->sources.push_back(std::make_unique<JournalSource>(path));
    if (!request.wholeLines) continue;
    JournalSource& source = *outcome->sources.back();
    try {
      source.Open(ReadErrorStyle::TextFile);
      source.LimitTo(JournalFollower::WholeLinesEnd(source, request.kind));
    } catch (const AppError&) {
      // The load opens it again and says why it cannot.
    }
  }
  const bool several = request.paths.size() > 1;
  SetSize set;
  try {
    Journal journal = several ? LoadJournalSet(outcome->sources, request.names, request.kind, options, set)
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
    size_t needed = several ? LoadFootprint(request.kind, set.bytes, set.records) : 0;
    if (outcome->document != nullptr && !several) {
      needed = LoadFootprint(request.kind, outcome->document->Data().bytes.size, outcome->document->RecordCount());
    }
    outcome->document.reset();
    const std::string name = several ? std::string("the journals") : std::string(FileNameOf(request.paths.front()));
    outcome->error = NotEnoughMemoryMessage(name, needed);
  } catch (const std::exception& error) {
    outcome->document.reset();
    outcome->error = MessageOf(error);
  } catch (...) {
    outcome->document.reset();
    outcome->error = "Unknown error";
  }
  Post([this, outcome] {
    // The last report: the window's thread stops looking.
    poll_->stop();
    if (onFinished) onFinished(*outcome);
  });
}

}  // namespace vantorel
