#pragma once
// The shown rows saved as an Excel workbook beside the window: the window copies the rows
// out of the document a slice at a time, a thread of the core writes them, and a timer looks
// at its progress, so the window answers while a million rows are saved.
#include <QByteArray>
#include <QObject>
#include <QTimer>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "document/JournalDocument.h"
#include "exchange/WorkbookSave.h"

namespace vantorel {

class WorkbookSaver : public QObject {
  Q_OBJECT
 public:
  explicit WorkbookSaver(QObject* parent = nullptr);
  ~WorkbookSaver() override;

  // Starts the workbook of `records` of `document` at `path` (see XlsxWorkbook); the first
  // slice runs at once.
  void Start(const JournalDocument& document, std::vector<uint32_t> records, const std::string& path,
             const WorkbookLook& look);
  // The rows or their document are about to change: a save still copying rows out of the
  // document is dropped, with no file left behind; one that has them all goes on.
  void RowsChanging();
  bool Busy() const { return save_ != nullptr; }

  // A slice copies rows for this long, then the window's events have their turn.
  int sliceMs = 10;

 signals:
  void Progress(size_t written, size_t total);
  void Finished(size_t rows);
  // The error's message, in Windows-1251.
  void Failed(const QByteArray& message);
  void Cancelled();

 private:
  void Tick();
  // Every row is with the writing thread.
  void HandedAll();

  QTimer timer_;
  // The document rows are copied from; none once they all are.
  const JournalDocument* document_ = nullptr;
  std::vector<uint32_t> records_;
  size_t copied_ = 0;
  std::unique_ptr<WorkbookSave> save_;
  std::string scratch_;
};

}  // namespace vantorel
