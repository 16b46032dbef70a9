#include "window/RowCopier.h"

#include "document/RowExport.h"

namespace vantorel {
namespace {

// The text of `records`: rows as TSV, in UTF-8; nothing when cancelled.
std::string Text(const JournalDocument& document, const std::vector<RecordIndex>& records, bool withTitles,
                 BackgroundJob::Context* context) {
  const RowExport rows(RowFormat::Tsv, document.ColumnCount(), document.ShownTitles());
  std::string text, scratch;
  if (withTitles) rows.AppendTitles(text);
  for (size_t i = 0; i < records.size(); ++i) {
    if (context != nullptr && i % 1024 == 0) {
      if (context->Cancelled()) return {};
      context->Progress(i, records.size());
    }
    rows.AppendRecord(document, records[i].value, text, scratch);
  }
  return text;
}

}  // namespace

RowCopier::RowCopier(QObject* parent) : QObject(parent), job_(new BackgroundJob(this)) {
  connect(job_, &BackgroundJob::Progress, this, &RowCopier::Progress);
}

void RowCopier::Start(const JournalDocument& document, std::vector<RecordIndex> records, bool withTitles,
                      std::shared_ptr<void> hold) {
  Cancel();
  if (records.size() <= kRowsAtOnce) {
    const std::string text = Text(document, records, withTitles, nullptr);
    emit Finished(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
    return;
  }
  hold_ = std::move(hold);
  job_->Start([this, &document, records = std::move(records), withTitles](BackgroundJob::Context& context) {
    const std::string text = Text(document, records, withTitles, &context);
    if (context.Cancelled()) return;
    // The clipboard's text is made here too: a hundred megabytes take a while.
    QString copied = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    context.Post([this, copied = std::move(copied)] {
      hold_.reset();
      emit Finished(copied);
    });
  });
}

void RowCopier::Cancel() {
  const bool busy = job_->Busy();
  job_->Cancel();
  hold_.reset();
  if (busy) emit Cancelled();
}

}  // namespace vantorel
