#pragma once
// A workbook written on a thread of its own: the window hands it rows in batches and looks
// at its progress now and then; the thread never waits for the window.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "exchange/XlsxWorkbook.h"

namespace vantorel {

// Rows copied out of a document, so that the document may change while they are written.
class RowBatch {
 public:
  explicit RowBatch(int columns = 0) : columns_(columns) {}
  // One row: `columns` cells in Windows-1251, its moment and tone.
  void Add(TDateTime moment, const std::string_view* cells, TextTone tone);
  size_t size() const { return moments_.size(); }
  size_t Bytes() const { return bytes_.size(); }
  // Row `row`'s cells, as views into the batch.
  void Cells(size_t row, std::string_view* out) const;
  TDateTime Moment(size_t row) const { return moments_[row]; }
  TextTone Tone(size_t row) const { return tones_[row]; }

 private:
  int columns_;
  std::string bytes_;
  // Where each cell ends in bytes_, `columns_` a row.
  std::vector<uint32_t> ends_;
  std::vector<TDateTime> moments_;
  std::vector<TextTone> tones_;
};

class WorkbookSave {
 public:
  enum class State { Running, Done, Failed };

  // Starts the thread that writes the workbook of `path` (see XlsxWorkbook) with `total` rows.
  WorkbookSave(std::string path, std::vector<std::string> titles, WorkbookLook look, size_t total);
  // Stops the thread; an unfinished workbook leaves no file behind.
  ~WorkbookSave();
  WorkbookSave(const WorkbookSave&) = delete;
  WorkbookSave& operator=(const WorkbookSave&) = delete;

  // Whether the batches handed over and not yet written hold less than `limit` bytes.
  bool WantsRows(size_t limit) const;
  void Add(RowBatch batch);
  // Every row has been handed over: the workbook is closed once they are written.
  void Finish();
  // Rows written so far; the error's message (Windows-1251) once it failed.
  State Poll(size_t& written, std::string& error) const;
  size_t Total() const { return total_; }
  // The cells cut to a spreadsheet cell's room so far (see AppendCellText), from any thread.
  size_t CutCells() const { return cutCells_.load(); }

 private:
  void Run(std::string path, std::vector<std::string> titles, WorkbookLook look);

  const size_t total_;
  mutable std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<RowBatch> queue_;
  size_t queuedBytes_ = 0;
  bool finished_ = false;
  bool cancelled_ = false;
  State state_ = State::Running;
  std::string error_;
  std::atomic<size_t> written_{0};
  std::atomic<size_t> cutCells_{0};
  std::thread thread_;
};

}  // namespace vantorel
