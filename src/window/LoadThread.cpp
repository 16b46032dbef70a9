#include "window/LoadThread.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <thread>

#include "journals/Extension.h"
#include "journals/JournalLoad.h"
#include "platform/DisplayText.h"
#include "uStrUtils/AppError.h"

namespace vantorel {
namespace {

constexpr int kLoadNiceness = 5;

// Hands the core's reports to the window: the first record's, the last one's, and between
// them one at most every 16 ms, so the window repaints often without a queue of reports.
class PostingObserver final : public LoadObserver {
 public:
  PostingObserver(LoadThread& thread, std::function<void(std::function<void()>)> post)
      : thread_(thread), post_(std::move(post)) {}

  void Titles(const std::vector<std::string>& titles) override {
    QStringList texts;
    for (const std::string& title : titles) texts.append(FromCp1251(title));
    LoadThread* thread = &thread_;
    post_([thread, texts] {
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

void LoadThread::Start(LoadRequest request) {
  if (thread_.joinable()) thread_.join();
  cancel_ = false;
  const uint64_t load = ++current_;
  thread_ = std::thread([this, request = std::move(request), load]() mutable { Run(std::move(request), load); });
}

void LoadThread::Cancel() {
  if (!thread_.joinable()) return;
  cancel_ = true;
  thread_.join();
  ++current_;
}

void LoadThread::Post(uint64_t load, std::function<void()> call) {
  QMetaObject::invokeMethod(
      this,
      [this, load, call = std::move(call)] {
        if (load == current_) call();
      },
      Qt::QueuedConnection);
}

void LoadThread::Run(LoadRequest request, uint64_t load) {
  // The load and the threads it starts yield to the window's own thread, which then keeps
  // painting and taking input however busy the cores are.
  ::setpriority(PRIO_PROCESS, static_cast<id_t>(::syscall(SYS_gettid)), kLoadNiceness);
  PostingObserver observer(*this, [this, load](std::function<void()> call) { Post(load, std::move(call)); });
  LoadOptions options;
  options.rules = request.rules;
  options.startDate = request.startDate;
  options.observer = &observer;
  options.cancel = &cancel_;
  auto outcome = std::make_shared<LoadOutcome>();
  try {
    outcome->document =
        std::make_unique<JournalDocument>(LoadJournal(request.path, request.kind, options), request.rules.regional);
    const size_t records = outcome->document->RecordCount();
    outcome->rows.rows.Resize(records);
    std::memset(outcome->rows.rows.data(), 0, records * sizeof(uint32_t));
    outcome->rows.rows.Clear();
    outcome->rows.blockStarts.reserve(records / kRecordBlock + 2);
    outcome->widths = std::make_unique<WidthIndex>(*outcome->document, request.measure,
                                                   static_cast<int>(std::max(1u, std::thread::hardware_concurrency())),
                                                   &cancel_);
  } catch (const LoadCancelled&) {
    return;
  } catch (const std::bad_alloc&) {
    // The journal was loaded; its widths found no room.
    size_t needed = 0;
    if (outcome->document != nullptr) {
      needed = outcome->document->Data().bytes.size +
               outcome->document->RecordCount() * (RecordBytes(outcome->document->Kind()) + 8);
    }
    outcome->document.reset();
    outcome->error = FromCp1251(ReportText(NotEnoughMemoryMessage(FileNameOf(request.path), needed)));
  } catch (const std::exception& error) {
    outcome->document.reset();
    outcome->error = FromCp1251(ReportText(MessageOf(error)));
  } catch (...) {
    outcome->document.reset();
    outcome->error = FromCp1251(ReportText("Unknown error"));
  }
  Post(load, [this, outcome] {
    if (onFinished) onFinished(*outcome);
  });
}

}  // namespace vantorel
