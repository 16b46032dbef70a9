#include "window/RowSaver.h"

#include <array>

#include "document/MarkColumn.h"
#include "journals/FileWrite.h"
#include "journals/LoadObserver.h"
#include "uStrUtils/AppError.h"

namespace vantorel {

RowSaver::RowSaver(QObject* parent) : QObject(parent), job_(new BackgroundJob(this)) {
  connect(job_, &BackgroundJob::Progress, this, &RowSaver::Progress);
}

void RowSaver::Run(std::shared_ptr<void> hold, std::function<size_t(BackgroundJob::Context&)> write) {
  hold_ = std::move(hold);
  job_->Start([this, write = std::move(write)](BackgroundJob::Context& context) {
    std::string error;
    size_t rows = 0;
    try {
      rows = write(context);
    } catch (const LoadCancelled&) {
      return;
    } catch (const std::exception& e) {
      error = MessageOf(e);
    }
    if (context.Cancelled()) return;
    context.Post([this, rows, error] {
      hold_.reset();
      if (error.empty()) {
        emit Finished(rows);
      } else {
        emit Failed(QByteArray::fromStdString(error));
      }
    });
  });
}

void RowSaver::Start(const JournalDocument& document, std::vector<uint32_t> records, const std::string& path,
                     RowFormat format, std::shared_ptr<void> hold, std::shared_ptr<const RecordMarks> marks) {
  workbook_ = false;
  Run(std::move(hold), [&document, records = std::move(records), path, format, marks](BackgroundJob::Context& context) {
    const RowExport rows(format, document.ColumnCount() + (marks != nullptr ? 1 : 0),
                         marks != nullptr ? TitlesWithMarks(document) : document.ShownTitles());
    WriteFileReplacing(path, [&](const std::function<void(std::string_view)>& write) {
      std::string text, scratch;
      MarkedCells cells{};
      rows.AppendTitles(text);
      for (size_t i = 0; i < records.size(); ++i) {
        if (marks != nullptr) {
          CellsWithMark(document, *marks, records[i], cells, scratch);
          rows.AppendRow(cells.data(), text);
        } else {
          rows.AppendRecord(document, records[i], text, scratch);
        }
        if (text.size() >= (size_t{1} << 20)) {
          // A save dropped leaves the earlier file as it was.
          if (context.Cancelled()) throw LoadCancelled();
          context.Progress(i + 1, records.size());
          write(text);
          text.clear();
        }
      }
      write(text);
    });
    return records.size();
  });
}

void RowSaver::StartWorkbook(const JournalDocument& document, std::vector<uint32_t> records, const std::string& path,
                             const WorkbookLook& look, std::shared_ptr<void> hold, std::shared_ptr<const RecordMarks> marks) {
  workbook_ = true;
  Run(std::move(hold), [&document, records = std::move(records), path, look, marks](BackgroundJob::Context& context) {
    XlsxWorkbook workbook(path, marks != nullptr ? TitlesWithMarks(document) : document.ShownTitles(), look);
    MarkedCells cells{};
    std::string scratch;
    for (size_t i = 0; i < records.size(); ++i) {
      if (i % 1024 == 0) {
        // A workbook not closed leaves nothing behind.
        if (context.Cancelled()) throw LoadCancelled();
        context.Progress(i, records.size());
      }
      const std::string_view* row = cells.data() + 1;
      if (marks != nullptr) {
        CellsWithMark(document, *marks, records[i], cells, scratch);
        row = cells.data();
      } else {
        std::array<std::string_view, kMaxColumns> plain{};
        document.Cells(records[i], plain, scratch);
        std::copy(plain.begin(), plain.end(), cells.begin() + 1);
      }
      workbook.AppendRow(document.Time(records[i]), row, document.Tone(records[i]));
    }
    workbook.Close();
    return records.size();
  });
}

void RowSaver::JournalChanging() {
  if (!job_->Busy()) return;
  job_->Cancel();
  hold_.reset();
  emit Cancelled();
}

}  // namespace vantorel
