#pragma once
// The clipboard's text of many rows, built a slice at a time so the window answers between
// slices.
#include <QObject>
#include <QString>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "document/JournalDocument.h"
#include "document/RowExport.h"

namespace vantorel {

class RowCopier : public QObject {
  Q_OBJECT
 public:

  explicit RowCopier(QObject* parent = nullptr);
  ~RowCopier() override;

  // Starts the text of `records` of `document`: display texts joined by tabs, a row a line,
  // the title row first when asked. A copy under way is dropped. The first slice runs at
  // once, so a copy that fits in it has ended when this returns.
  void Start(const JournalDocument& document, std::vector<uint32_t> records, bool withTitles);
  // Drops the copy under way, as when the rows or their document are about to change.
  void Cancel();
  bool Busy() const { return document_ != nullptr; }

  // A slice builds rows for this long (at least 256 rows), then the window's events have their
  // turn. Tests set it lower to see many slices.
  int sliceMs = 12;

 signals:
  // After each slice that did not end the copy.
  void Progress(size_t done, size_t total);
  void Finished(const QString& text);
  void Cancelled();

 private:
  void Slice(uint64_t run);

  const JournalDocument* document_ = nullptr;
  std::unique_ptr<RowExport> export_;
  std::vector<uint32_t> records_;
  size_t done_ = 0;
  QString text_;
  std::string piece_;
  std::string scratch_;
  // The copy under way; a slice of an earlier one finds it changed and stops.
  uint64_t run_ = 0;
};

}  // namespace vantorel
