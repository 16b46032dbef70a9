#include "window/ViewMaker.h"

#include "uStrUtils/AppError.h"

namespace vantorel {

ViewMaker::ViewMaker(QObject* parent) : QObject(parent), job_(new BackgroundJob(this)) {}

void ViewMaker::Start(const JournalDocument& document, FilterState state, RowSet room, std::shared_ptr<void> hold) {
  Cancel();
  hold_ = std::move(hold);
  auto rows = std::make_shared<RowSet>(std::move(room));
  job_->Start([this, &document, state = std::move(state), rows](BackgroundJob::Context& context) {
    std::string error;
    try {
      if (!document.Select(state, *rows, context.Flag())) return;
    } catch (const std::exception& e) {
      error = MessageOf(e);
    }
    context.Post([this, &document, rows, error] {
      hold_.reset();
      if (!error.empty()) {
        emit Failed(QByteArray::fromStdString(error));
        return;
      }
      emit Ready(document, *rows);
    });
  });
}

void ViewMaker::Cancel() {
  job_->Cancel();
  hold_.reset();
}

}  // namespace vantorel
