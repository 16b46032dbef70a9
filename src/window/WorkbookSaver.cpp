#include "window/WorkbookSaver.h"

#include <QElapsedTimer>
#include <array>

#include "document/RowExport.h"

namespace vantorel {
namespace {

// Rows a batch hands to the writing thread.
constexpr size_t kBatchRows = 1024;
// Copied rows wait for the writing thread up to this many bytes; then copying waits.
constexpr size_t kWaitingBytes = size_t{256} << 20;

}  // namespace

WorkbookSaver::WorkbookSaver(QObject* parent) : QObject(parent) {
  timer_.setInterval(15);
  connect(&timer_, &QTimer::timeout, this, &WorkbookSaver::Tick);
}

WorkbookSaver::~WorkbookSaver() = default;

void WorkbookSaver::Start(const JournalDocument& document, std::vector<uint32_t> records, const std::string& path,
                          const WorkbookLook& look) {
  save_.reset();
  document_ = &document;
  records_ = std::move(records);
  copied_ = 0;
  save_ = std::make_unique<WorkbookSave>(path, document.ShownTitles(), look, records_.size());
  if (records_.empty()) HandedAll();
  timer_.start();
  Tick();
}

void WorkbookSaver::HandedAll() {
  save_->Finish();
  // The document is not needed any more.
  document_ = nullptr;
  records_ = {};
  copied_ = 0;
}

void WorkbookSaver::RowsChanging() {
  if (save_ == nullptr || document_ == nullptr) return;
  timer_.stop();
  save_.reset();
  document_ = nullptr;
  records_ = {};
  emit Cancelled();
}

void WorkbookSaver::Tick() {
  if (save_ == nullptr) return;
  QElapsedTimer slice;
  slice.start();
  std::array<std::string_view, kMaxColumns> cells{};
  // At least one batch a slice, however short the slice.
  for (bool first = true; document_ != nullptr && (first || slice.elapsed() < sliceMs) && save_->WantsRows(kWaitingBytes);
       first = false) {
    RowBatch batch(document_->ColumnCount());
    const size_t end = std::min(records_.size(), copied_ + kBatchRows);
    for (; copied_ < end; ++copied_) {
      const uint32_t record = records_[copied_];
      document_->Cells(record, cells, scratch_);
      batch.Add(document_->Time(record), cells.data(), document_->Tone(record));
    }
    save_->Add(std::move(batch));
    if (copied_ == records_.size()) HandedAll();
  }
  size_t written = 0;
  std::string error;
  switch (save_->Poll(written, error)) {
    case WorkbookSave::State::Running:
      emit Progress(written, save_->Total());
      return;
    case WorkbookSave::State::Done:
      timer_.stop();
      save_.reset();
      emit Finished(written);
      return;
    case WorkbookSave::State::Failed:
      timer_.stop();
      save_.reset();
      emit Failed(QByteArray::fromStdString(error));
      return;
  }
}

}  // namespace vantorel
