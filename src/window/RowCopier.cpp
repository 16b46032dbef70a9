#include "window/RowCopier.h"

#include "document/MarkColumn.h"
#include "document/RowExport.h"

namespace vantorel {
namespace {

// The text of `records`: rows as TSV, in UTF-8; nothing when cancelled.
std::string Text(const JournalDocument& document, const std::vector<RecordIndex>& records, bool withTitles,
                 const RecordMarks* marks, BackgroundJob::Context* context) {
  const RowExport rows(RowFormat::Tsv, document.ColumnCount() + (marks != nullptr ? 1 : 0),
                       marks != nullptr ? TitlesWithMarks(document) : document.ShownTitles());
  std::string text, scratch;
  MarkedCells cells{};
  if (withTitles) rows.AppendTitles(text);
  for (size_t i = 0; i < records.size(); ++i) {
    if (context != nullptr && i % 1024 == 0) {
      if (context->Cancelled()) return {};
      context->Progress(i, records.size());
    }
    if (marks == nullptr) {
      rows.AppendRecord(document, records[i].value, text, scratch);
      continue;
    }
    CellsWithMark(document, *marks, records[i].value, cells, scratch);
    rows.AppendRow(cells.data(), text);
  }
  return text;
}

}  // namespace

RowCopier::RowCopier(QObject* parent) : QObject(parent), job_(new BackgroundJob(this)) {
  connect(job_, &BackgroundJob::Progress, this, &RowCopier::Progress);
}

void RowCopier::Start(const JournalDocument& document, std::vector<RecordIndex> records, bool withTitles,
                      std::shared_ptr<void> hold, std::shared_ptr<const RecordMarks> marks) {
  Cancel();
  if (records.size() <= kRowsAtOnce) {
    const std::string text = Text(document, records, withTitles, marks.get(), nullptr);
    emit Finished(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
    return;
  }
  hold_ = std::move(hold);
  job_->Start([this, &document, records = std::move(records), withTitles, marks](BackgroundJob::Context& context) {
    const std::string text = Text(document, records, withTitles, marks.get(), &context);
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
