#pragma once
// The clipboard's text of many rows, put together as a background job.
#include <QObject>
#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

#include "document/JournalDocument.h"
#include "document/RecordMarks.h"
#include "document/RowNumbers.h"
#include "window/BackgroundJob.h"

namespace vantorel {

class RowCopier : public QObject {
  Q_OBJECT
 public:
  // Up to this many rows are put together at once; more, beside the window.
  static constexpr size_t kRowsAtOnce = 2048;

  explicit RowCopier(QObject* parent = nullptr);

  // Starts the text of `records` of `document`: display texts joined by tabs, a row a line,
  // the title row first when asked, each row led by its mark with `marks`; a copy under way
  // is dropped. A copy of few rows has ended when this returns. `document` stays as it is
  // while `hold` lives, which the copy keeps.
  void Start(const JournalDocument& document, std::vector<RecordIndex> records, bool withTitles, std::shared_ptr<void> hold,
             std::shared_ptr<const RecordMarks> marks = nullptr);
  // Drops the copy under way, as when the rows or their document are about to change.
  void Cancel();
  bool Busy() const { return job_->Busy(); }

 signals:
  void Progress(size_t done, size_t total);
  void Finished(const QString& text);
  void Cancelled();

 private:
  BackgroundJob* job_;
  std::shared_ptr<void> hold_;
};

}  // namespace vantorel
