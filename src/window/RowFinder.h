#pragma once
// A search of the shown rows for a text, letter case aside, as a background job; round the
// ends, forward or back from the current row.
#include <QObject>
#include <memory>
#include <string>

#include "document/FindText.h"
#include "document/JournalDocument.h"
#include "document/RowNumbers.h"
#include "window/BackgroundJob.h"

namespace vantorel {

class RowFinder : public QObject {
  Q_OBJECT
 public:
  explicit RowFinder(QObject* parent = nullptr);

  // Starts looking for `text` among `rows` of `document`, from the row after (or before)
  // `current` (-1: none); a search under way is dropped. `document` and `rows` stay as they
  // are while `hold` lives, which the search keeps until it ends. Raises AppError for a
  // regular expression RE2 refuses.
  void Start(const JournalDocument& document, const RowSet& rows, const TextFilter& text, int current, bool forward,
             std::shared_ptr<void> hold);
  // Drops the search under way, as when the rows are about to change.
  void Cancel();

 signals:
  // The shown row and the column of the first match.
  void Found(ShownRow row, int column);
  void NotFound();

 private:
  BackgroundJob* job_;
  std::shared_ptr<void> hold_;
};

}  // namespace vantorel
