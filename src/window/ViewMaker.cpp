#include "window/ViewMaker.h"

#include <algorithm>
#include <thread>

#include "uStrUtils/AppError.h"

namespace vantorel {

ViewMaker::ViewMaker(QObject* parent) : QObject(parent), job_(new BackgroundJob(this)) {}

void ViewMaker::Start(const JournalDocument& document, FilterState state, RowSet room, std::shared_ptr<void> hold,
                      std::shared_ptr<const WidthIndex> widths) {
  Cancel();
  hold_ = std::move(hold);
  auto rows = std::make_shared<RowSet>(std::move(room));
  job_->Start([this, &document, state = std::move(state), rows, widths = std::move(widths)](BackgroundJob::Context& context) {
    std::string error;
    std::vector<int> widest;
    try {
      if (!document.Select(state, *rows, context.Flag())) return;
      // Rows that each show a few of every block are measured one by one: long for the
      // window's thread.
      widest = widths->Widest(document, *rows, static_cast<int>(std::max(1u, std::thread::hardware_concurrency())));
    } catch (const std::exception& e) {
      error = MessageOf(e);
    }
    context.Post([this, &document, rows, error, widest = std::move(widest)] {
      hold_.reset();
      if (!error.empty()) {
        emit Failed(QByteArray::fromStdString(error));
        return;
      }
      emit Ready(document, *rows, widest);
    });
  });
}

void ViewMaker::Cancel() {
  job_->Cancel();
  hold_.reset();
}

}  // namespace vantorel
