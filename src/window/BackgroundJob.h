#pragma once
// Work off the window's thread, the one way the window has: a job runs on a thread of its
// own, looks at a cancel flag, and hands its progress and its results to the window's thread
// in order, through the window's event queue. A job cancelled delivers nothing more.
#include <QObject>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace vantorel {

class BackgroundJob : public QObject {
  Q_OBJECT
 public:
  // What the work sees, on the job's thread.
  class Context {
   public:
    bool Cancelled() const { return cancel_->load(std::memory_order_relaxed); }
    const std::atomic<bool>* Flag() const { return cancel_; }
    // Tells the window's thread how far the work is: the first and the last call, and between
    // them one at most every 16 ms.
    void Progress(size_t done, size_t total);
    // Runs `call` on the window's thread, after what was posted before, unless the job is
    // cancelled first.
    void Post(std::function<void()> call);

   private:
    friend class BackgroundJob;
    Context(BackgroundJob& job, uint64_t run, const std::atomic<bool>* cancel) : job_(job), run_(run), cancel_(cancel) {}
    BackgroundJob& job_;
    uint64_t run_;
    const std::atomic<bool>* cancel_;
    std::chrono::steady_clock::time_point told_{};
  };

  explicit BackgroundJob(QObject* parent = nullptr);
  // Cancels the job under way and waits for its thread.
  ~BackgroundJob() override;

  // Runs `work` on a thread of its own; a job under way is cancelled first. The window's
  // thread calls it.
  void Start(std::function<void(Context&)> work);
  // Stops the job under way at its next look at the cancel flag and waits for its thread;
  // nothing of it is delivered afterwards. The window's thread calls it.
  void Cancel();
  // A job runs, or its end has not reached the window's thread yet.
  bool Busy() const { return busy_; }

 signals:
  void Progress(size_t done, size_t total);
  // The work returned, after everything it posted; not after a cancel.
  void Finished();

 private slots:
  // Runs the oldest call posted, unless its job was cancelled. The window's thread.
  void TakePosted();

 private:
  struct Posted {
    uint64_t run = 0;
    std::function<void()> call;
  };

  // Any thread.
  void Deliver(uint64_t run, std::function<void()> call);

  std::thread thread_;
  std::atomic<bool> cancel_{false};
  // The job whose deliveries are taken; an earlier one's are dropped.
  uint64_t run_ = 0;
  bool busy_ = false;
  // The calls wait here, handed over under the mutex; an event a call only says that one
  // more waits.
  std::mutex postedMutex_;
  std::deque<Posted> posted_;
};

}  // namespace vantorel
