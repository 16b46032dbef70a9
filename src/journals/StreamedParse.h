#pragma once
// The load of a journal whose parts are parsed while the rest of it is still read.
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <system_error>
#include <thread>

#include "journals/PartParse.h"

namespace vantorel::parts {

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

  void Abandoned() override { Stop(); }

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
    FinishJournal<K>(journal_, *run_, textEnd, total, read.lines);
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

}  // namespace vantorel::parts
