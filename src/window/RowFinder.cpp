#include "window/RowFinder.h"

namespace vantorel {
namespace {

// Rows looked at between two looks at the cancel flag.
constexpr size_t kRowsBetweenLooks = 4096;

}  // namespace

RowFinder::RowFinder(QObject* parent) : QObject(parent), job_(new BackgroundJob(this)) {}

void RowFinder::Start(const JournalDocument& document, const RowSet& rows, const TextFilter& text, int current, bool forward,
                      std::shared_ptr<void> hold) {
  Cancel();
  TextFinder finder(text);
  hold_ = std::move(hold);
  job_->Start([this, &document, &rows, finder = std::move(finder), step = StartFind(rows.size(), current, forward),
               forward](BackgroundJob::Context& context) mutable {
    while (step.left > 0 && step.found < 0) {
      if (context.Cancelled()) return;
      FindRows(document, rows, finder, forward, kRowsBetweenLooks, step);
    }
    context.Post([this, step] {
      hold_.reset();
      if (step.found >= 0) {
        emit Found(ShownRow{static_cast<uint32_t>(step.found)}, step.column);
      } else {
        emit NotFound();
      }
    });
  });
}

void RowFinder::Cancel() {
  job_->Cancel();
  hold_.reset();
}

}  // namespace vantorel
