#include "window/BackgroundJob.h"

#include <QMetaObject>

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace vantorel {
namespace {

constexpr int kNiceness = 5;

}  // namespace

void BackgroundJob::Context::Progress(size_t done, size_t total) {
  const auto now = std::chrono::steady_clock::now();
  if (done != 1 && done != total && now - told_ < std::chrono::milliseconds(16)) return;
  told_ = now;
  Post([job = &job_, done, total] { emit job->Progress(done, total); });
}

void BackgroundJob::Context::Post(std::function<void()> call) { job_.Deliver(run_, std::move(call)); }

BackgroundJob::BackgroundJob(QObject* parent) : QObject(parent) {}

BackgroundJob::~BackgroundJob() { Cancel(); }

void BackgroundJob::Deliver(uint64_t run, std::function<void()> call) {
  {
    const std::lock_guard<std::mutex> lock(postedMutex_);
    posted_.push_back({run, std::move(call)});
  }
  QMetaObject::invokeMethod(this, "TakePosted", Qt::QueuedConnection);
}

void BackgroundJob::TakePosted() {
  // One call an event, the oldest first: a call that runs an event loop of its own (a message
  // box) lets the next ones run in order meanwhile.
  Posted next;
  {
    const std::lock_guard<std::mutex> lock(postedMutex_);
    if (posted_.empty()) return;
    next = std::move(posted_.front());
    posted_.pop_front();
  }
  if (next.run == run_) next.call();
}

void BackgroundJob::Start(std::function<void(Context&)> work) {
  Cancel();
  cancel_ = false;
  busy_ = true;
  const uint64_t run = run_;
  thread_ = std::thread([this, run, work = std::move(work)] {
    // The window's thread comes first when the cores are busy: a job, and the threads it
    // starts, which inherit it, run at a lower priority.
    setpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)), kNiceness);
    Context context(*this, run, &cancel_);
    work(context);
    Deliver(run, [this] {
      busy_ = false;
      if (thread_.joinable()) thread_.join();
      emit Finished();
    });
  });
}

void BackgroundJob::Cancel() {
  // What the job posted and the window has not taken yet is dropped.
  ++run_;
  busy_ = false;
  if (thread_.joinable()) {
    cancel_ = true;
    thread_.join();
  }
}

}  // namespace vantorel
