#pragma once
// A journal load beside the window: the core's loader reads and parses as a background job,
// and what it finds reaches the window on the window's thread.
#include <QObject>
#include <QStringList>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "datetime/RegionalSettings.h"
#include "document/ColumnWidths.h"
#include "document/JournalDocument.h"
#include "journals/JournalSource.h"
#include "window/BackgroundJob.h"

namespace vantorel {

struct LoadRequest {
  // As the file system names them: one journal, or several of one kind read as one.
  std::vector<std::string> paths;
  // Several journals: what the table's "Журнал" column and the error reports call each, in
  // Windows-1251, in the order of `paths`.
  std::vector<std::string> names;
  JournalKind kind = JournalKind::None;
  DateTimeRules rules;
  TDateTime startDate = 0;
  // The table's font, to measure the new journal's widths with.
  TextMeasure measure;
  // Each file is read to its last line end: a line its unit is still writing comes later.
  bool wholeLines = false;
  // The filters of the first view, when the window will show the journal with its lists at
  // their all-values items and, for a date range, its first and last day: the rows of that
  // view are selected beside the window too.
  std::optional<FilterState> firstView;
};

// What a load ends with: the document and its widths, or the error report's text.
struct LoadOutcome {
  std::unique_ptr<JournalDocument> document;
  std::unique_ptr<WidthIndex> widths;
  // Room for the rows of a view of every record, its memory touched beside the window: the
  // first view does not stop the window for fresh pages. With `rowsFor`, they are the rows
  // of the view of those filters.
  RowSet rows;
  std::optional<FilterState> rowsFor;
  // With `rowsFor`: the widest text of each column of those rows, in pixels.
  std::vector<int> widest;
  // The error's message, in Windows-1251, without the report's full stop.
  std::string error;
  // The files as the load left them, open unless they could not be opened: in the order of
  // the merged journals when several were read, in the request's order when they failed.
  std::vector<std::unique_ptr<JournalSource>> sources;
};

class LoadJob : public QObject {
  Q_OBJECT
 public:
  explicit LoadJob(QObject* parent = nullptr);

  // Starts a load; one at a time.
  void Start(LoadRequest request);
  // Stops the load under way through the core's cancel flag and waits for it; nothing of it
  // is reported afterwards.
  void Cancel() { job_->Cancel(); }

 signals:
  // On the window's thread, in this order: the first line's titles, the progress maximum,
  // progress after the first record, about every 16 ms and after the last, then the end.
  void TitlesRead(const QStringList& titles);
  void Started(size_t progressMax);
  void Progress(size_t done, size_t total);
  void Finished(LoadOutcome& outcome);

 private:
  void Run(const LoadRequest& request, BackgroundJob::Context& context);

  BackgroundJob* job_;
};

}  // namespace vantorel
