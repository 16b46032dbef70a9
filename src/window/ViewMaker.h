#pragma once
// The rows of a view selected beside the window, for a journal whose selection would keep the
// window from answering: the table shows the rows it has until the new ones are ready, and a
// newer view drops the one under way.
#include <QByteArray>
#include <QObject>
#include <memory>

#include "document/JournalDocument.h"
#include "window/BackgroundJob.h"

namespace vantorel {

class ViewMaker : public QObject {
  Q_OBJECT
 public:
  explicit ViewMaker(QObject* parent = nullptr);

  // Selects the records of `document` that pass `state` into `room`; a selection under way is
  // dropped. `document` stays as it is while `hold` lives, which the selection keeps.
  void Start(const JournalDocument& document, FilterState state, RowSet room, std::shared_ptr<void> hold);
  // Drops the selection under way. The window's thread calls it.
  void Cancel();
  bool Busy() const { return job_->Busy(); }

 signals:
  // On the window's thread: the rows of the view asked for.
  void Ready(const JournalDocument& document, RowSet& rows);
  // The selection failed: its message, in Windows-1251.
  void Failed(const QByteArray& error);

 private:
  BackgroundJob* job_;
  std::shared_ptr<void> hold_;
};

}  // namespace vantorel
