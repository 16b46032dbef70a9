#pragma once
// The rows of a view selected beside the window, for a journal whose selection would keep the
// window from answering: the table shows the rows it has until the new ones are ready, and a
// newer view drops the one under way.
#include <QByteArray>
#include <QObject>
#include <memory>
#include <vector>

#include "document/ColumnWidths.h"
#include "document/JournalDocument.h"
#include "window/BackgroundJob.h"

namespace vantorel {

class ViewMaker : public QObject {
  Q_OBJECT
 public:
  explicit ViewMaker(QObject* parent = nullptr);

  // Selects the records of `document` that pass `state` into `room` and finds their widest
  // texts by `widths`; a selection under way is dropped. `document` stays as it is while
  // `hold` lives, which the selection keeps.
  void Start(const JournalDocument& document, FilterState state, RowSet room, std::shared_ptr<void> hold,
             std::shared_ptr<const WidthIndex> widths);
  // Drops the selection under way. The window's thread calls it.
  void Cancel();
  bool Busy() const { return job_->Busy(); }

 signals:
  // On the window's thread: the rows of the view asked for, and the widest text of each
  // column among them.
  void Ready(const JournalDocument& document, RowSet& rows, const std::vector<int>& widest);
  // The selection failed: its message, in Windows-1251.
  void Failed(const QByteArray& error);

 private:
  BackgroundJob* job_;
  std::shared_ptr<void> hold_;
};

}  // namespace vantorel
