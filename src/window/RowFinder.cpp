#include "window/RowFinder.h"

#include <QElapsedTimer>
#include <QTimer>

namespace vantorel {
namespace {

// Rows looked at between two looks at the clock.
constexpr size_t kRowsBetweenLooks = 2048;
// About this long of looking, then the window's events have their turn.
constexpr int kSliceMs = 20;

}  // namespace

RowFinder::RowFinder(QObject* parent) : QObject(parent) {}

RowFinder::~RowFinder() = default;

void RowFinder::Start(const JournalDocument& document, const RowSet& rows, std::string needle, int current, bool forward) {
  document_ = &document;
  rows_ = &rows;
  finder_ = std::make_unique<TextFinder>(std::move(needle));
  step_ = StartFind(rows.size(), current, forward);
  Slice(++run_, forward);
}

void RowFinder::Cancel() {
  ++run_;
  document_ = nullptr;
  rows_ = nullptr;
}

void RowFinder::Slice(uint64_t run, bool forward) {
  if (run != run_ || document_ == nullptr) return;
  QElapsedTimer slice;
  slice.start();
  while (step_.left > 0 && step_.found < 0 && slice.elapsed() < kSliceMs) {
    FindRows(*document_, *rows_, *finder_, forward, kRowsBetweenLooks, step_);
  }
  if (step_.found >= 0) {
    Cancel();
    emit Found(static_cast<int>(step_.found), step_.column);
  } else if (step_.left == 0) {
    Cancel();
    emit NotFound();
  } else {
    QTimer::singleShot(0, this, [this, run, forward] { Slice(run, forward); });
  }
}

}  // namespace vantorel
