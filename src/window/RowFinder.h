#pragma once
// A search of the shown rows for a text, letter case aside, a slice at a time so the window
// answers between slices; round the ends, forward or back from the current row.
#include <QObject>
#include <cstdint>
#include <memory>
#include <string>

#include "document/FindText.h"
#include "document/JournalDocument.h"

namespace vantorel {

class RowFinder : public QObject {
  Q_OBJECT
 public:
  explicit RowFinder(QObject* parent = nullptr);
  ~RowFinder() override;

  // Starts looking for `needle` (Windows-1251) among `rows` of `document`, from the row after
  // (or before) `current` (-1: none). A search under way is dropped. `document` and `rows`
  // must stay as they are until the search ends or is cancelled.
  void Start(const JournalDocument& document, const RowSet& rows, std::string needle, int current, bool forward);
  // Drops the search under way, as when the rows are about to change.
  void Cancel();

 signals:
  // The shown row (0 on) and the column of the first match.
  void Found(int row, int column);
  void NotFound();

 private:
  void Slice(uint64_t run, bool forward);

  const JournalDocument* document_ = nullptr;
  const RowSet* rows_ = nullptr;
  std::unique_ptr<TextFinder> finder_;
  FindStep step_;
  // The search under way; a slice of an earlier one finds it changed and stops.
  uint64_t run_ = 0;
};

}  // namespace vantorel
