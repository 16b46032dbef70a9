#pragma once
// The shown rows saved to a file as a background job: TSV, CSV, CSV for a spreadsheet, or an
// Excel workbook. The rows are those shown when the save began, whatever the view shows
// later; the file takes its name only once it is whole.
#include <QByteArray>
#include <QObject>
#include <memory>
#include <string>
#include <vector>

#include "document/JournalDocument.h"
#include "document/RecordMarks.h"
#include "document/RowExport.h"
#include "exchange/XlsxWorkbook.h"
#include "window/BackgroundJob.h"

namespace vantorel {

class RowSaver : public QObject {
  Q_OBJECT
 public:
  explicit RowSaver(QObject* parent = nullptr);

  // Starts the file of `records` of `document` at `path`: rows of `format`, or with `look` a
  // workbook; with `marks`, each row led by its mark. `document` stays as it is while `hold`
  // lives, which the save keeps.
  void Start(const JournalDocument& document, std::vector<uint32_t> records, const std::string& path, RowFormat format,
             std::shared_ptr<void> hold, std::shared_ptr<const RecordMarks> marks = nullptr);
  void StartWorkbook(const JournalDocument& document, std::vector<uint32_t> records, const std::string& path,
                     const WorkbookLook& look, std::shared_ptr<void> hold, std::shared_ptr<const RecordMarks> marks = nullptr);
  // The journal is about to change: the save under way is dropped, with no file left behind.
  void JournalChanging();
  bool Busy() const { return job_->Busy(); }
  // What is being saved: a workbook or rows.
  bool Workbook() const { return workbook_; }

 signals:
  void Progress(size_t written, size_t total);
  void Finished(size_t rows);
  // The error's message, in Windows-1251.
  void Failed(const QByteArray& message);
  void Cancelled();

 private:
  // Runs `write` beside the window: it returns the rows written, or raises the error.
  void Run(std::shared_ptr<void> hold, std::function<size_t(BackgroundJob::Context&)> write);

  BackgroundJob* job_;
  std::shared_ptr<void> hold_;
  bool workbook_ = false;
};

}  // namespace vantorel
