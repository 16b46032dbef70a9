#include "exchange/WorkbookSave.h"

#include <array>
#include <exception>

#include "journals/JournalKinds.h"
#include "uStrUtils/AppError.h"

namespace vantorel {

void RowBatch::Add(TDateTime moment, const std::string_view* cells, TextTone tone) {
  for (int c = 0; c < columns_; ++c) {
    bytes_ += cells[c];
    ends_.push_back(static_cast<uint32_t>(bytes_.size()));
  }
  moments_.push_back(moment);
  tones_.push_back(tone);
}

void RowBatch::Cells(size_t row, std::string_view* out) const {
  const size_t first = row * static_cast<size_t>(columns_);
  uint32_t start = first == 0 ? 0 : ends_[first - 1];
  for (int c = 0; c < columns_; ++c) {
    const uint32_t end = ends_[first + static_cast<size_t>(c)];
    out[c] = std::string_view(bytes_).substr(start, end - start);
    start = end;
  }
}

WorkbookSave::WorkbookSave(std::string path, std::vector<std::string> titles, WorkbookLook look, size_t total)
    : total_(total) {
  thread_ = std::thread([this, path = std::move(path), titles = std::move(titles), look = std::move(look)]() mutable {
    Run(std::move(path), std::move(titles), std::move(look));
  });
}

WorkbookSave::~WorkbookSave() {
  {
    std::lock_guard lock(mutex_);
    cancelled_ = true;
  }
  wake_.notify_all();
  thread_.join();
}

bool WorkbookSave::WantsRows(size_t limit) const {
  std::lock_guard lock(mutex_);
  return queuedBytes_ < limit;
}

void WorkbookSave::Add(RowBatch batch) {
  {
    std::lock_guard lock(mutex_);
    queuedBytes_ += batch.Bytes();
    queue_.push_back(std::move(batch));
  }
  wake_.notify_all();
}

void WorkbookSave::Finish() {
  {
    std::lock_guard lock(mutex_);
    finished_ = true;
  }
  wake_.notify_all();
}

WorkbookSave::State WorkbookSave::Poll(size_t& written, std::string& error) const {
  std::lock_guard lock(mutex_);
  written = written_.load();
  error = error_;
  return state_;
}

void WorkbookSave::Run(std::string path, std::vector<std::string> titles, WorkbookLook look) {
  State end = State::Done;
  std::string message;
  try {
    XlsxWorkbook book(path, titles, look);
    std::array<std::string_view, kMaxColumns> cells{};
    for (;;) {
      RowBatch batch;
      {
        std::unique_lock lock(mutex_);
        wake_.wait(lock, [this] { return cancelled_ || finished_ || !queue_.empty(); });
        if (cancelled_) return;
        if (queue_.empty()) break;
        batch = std::move(queue_.front());
        queue_.pop_front();
        queuedBytes_ -= batch.Bytes();
      }
      for (size_t r = 0; r < batch.size(); ++r) {
        batch.Cells(r, cells.data());
        book.AppendRow(batch.Moment(r), cells.data(), batch.Tone(r));
      }
      written_ += batch.size();
      cutCells_ = book.CutCells();
    }
    book.Close();
    cutCells_ = book.CutCells();
  } catch (const std::exception& error) {
    end = State::Failed;
    message = MessageOf(error);
  }
  std::lock_guard lock(mutex_);
  state_ = end;
  error_ = message;
}

}  // namespace vantorel
