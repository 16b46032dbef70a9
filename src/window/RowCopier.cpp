#include "window/RowCopier.h"

#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>

namespace vantorel {
namespace {
// Rows built between two looks at the clock.
constexpr size_t kRowsPerLook = 256;
}  // namespace

RowCopier::RowCopier(QObject* parent) : QObject(parent) {}

RowCopier::~RowCopier() = default;

void RowCopier::Start(const JournalDocument& document, std::vector<uint32_t> records, bool withTitles) {
  Cancel();
  document_ = &document;
  export_ = std::make_unique<RowExport>(RowFormat::Tsv, document.ColumnCount(), document.ShownTitles());
  records_ = std::move(records);
  done_ = 0;
  text_.clear();
  piece_.clear();
  if (withTitles) export_->AppendTitles(piece_);
  Slice(++run_);
}

void RowCopier::Cancel() {
  ++run_;
  const bool wasBusy = Busy();
  document_ = nullptr;
  export_.reset();
  records_ = {};
  text_ = QString();
  piece_ = std::string();
  if (wasBusy) emit Cancelled();
}

void RowCopier::Slice(uint64_t run) {
  if (run != run_ || document_ == nullptr) return;
  QElapsedTimer clock;
  clock.start();
  const size_t total = records_.size();
  // The clock counts the text's conversion too: its fresh memory costs as much as the rows.
  do {
    const size_t end = std::min(total, done_ + kRowsPerLook);
    for (; done_ < end; ++done_) export_->AppendRecord(*document_, records_[done_], piece_, scratch_);
    if (text_.isEmpty() && done_ < total) {
      // Room for the whole text, judged by the rows so far and twice that, so that a growing
      // text is never copied; pages never written are never made.
      text_.reserve(static_cast<qsizetype>(static_cast<double>(piece_.size()) * 2.0 * static_cast<double>(total) /
                                           static_cast<double>(done_)));
    }
    text_.append(QString::fromUtf8(piece_.data(), static_cast<qsizetype>(piece_.size())));
    piece_.clear();
  } while (done_ < total && clock.elapsed() < sliceMs);
  if (done_ < total) {
    emit Progress(done_, total);
    QTimer::singleShot(0, this, [this, run] { Slice(run); });
    return;
  }
  const QString text = std::move(text_);
  ++run_;
  document_ = nullptr;
  export_.reset();
  records_ = {};
  text_ = QString();
  emit Finished(text);
}

}  // namespace vantorel
