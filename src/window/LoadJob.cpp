#include "window/LoadJob.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

#include "journals/Extension.h"
#include "journals/FileBytes.h"
#include "journals/JournalFollower.h"
#include "journals/JournalLoad.h"
#include "journals/JournalSetLoad.h"
#include "platform/DisplayText.h"
#include "uStrUtils/AppError.h"
#include "views/JournalTableModel.h"

namespace vantorel {
namespace {

constexpr int kLoadNiceness = 5;

// Hands the core's reports to the window's thread.
class PostingObserver final : public LoadObserver {
 public:
  PostingObserver(LoadJob& job, BackgroundJob::Context& context) : job_(job), context_(context) {}

  void Titles(const std::vector<std::string>& titles) override {
    LoadJob* job = &job_;
    context_.Post([job, titles] {
      QStringList texts;
      // A title is painted no further than a cell is.
      for (const std::string& title : titles) texts.append(FromCp1251(std::string_view(title).substr(0, JournalTableModel::kPaintedBytes)));
      emit job->TitlesRead(texts);
    });
  }
  void Started(size_t progressMax) override {
    LoadJob* job = &job_;
    context_.Post([job, progressMax] { emit job->Started(progressMax); });
  }
  void Progress(size_t done, size_t total) override { context_.Progress(done, total); }

 private:
  LoadJob& job_;
  BackgroundJob::Context& context_;
};

}  // namespace

LoadJob::LoadJob(QObject* parent) : QObject(parent), job_(new BackgroundJob(this)) {
  connect(job_, &BackgroundJob::Progress, this, &LoadJob::Progress);
}

void LoadJob::Start(LoadRequest request) {
  job_->Start([this, request = std::move(request)](BackgroundJob::Context& context) { Run(request, context); });
}

void LoadJob::Run(const LoadRequest& request, BackgroundJob::Context& context) {
  // The load and the threads it starts yield to the window's own thread, which then keeps
  // painting and taking input however busy the cores are.
  ::setpriority(PRIO_PROCESS, static_cast<id_t>(::syscall(SYS_gettid)), kLoadNiceness);
  PostingObserver observer(*this, context);
  LoadOptions options;
  options.rules = request.rules;
  options.startDate = request.startDate;
  options.observer = &observer;
  options.cancel = context.Flag();
  options.measure = &request.measure;
  auto outcome = std::make_shared<LoadOutcome>();
  for (const std::string& path : request.paths) {
    outcome->sources.push_back(std::make_unique<JournalSource>(path));
    // A compressed journal does not grow.
    if (!request.wholeLines || outcome->sources.back()->Compressed()) continue;
    JournalSource& source = *outcome->sources.back();
    try {
      source.Open(ReadErrorStyle::TextFile);
      source.LimitTo(JournalFollower::WholeLinesEnd(source, request.kind));
    } catch (const AppError&) {
      // The load opens it again and says why it cannot.
    }
  }
  const bool several = request.paths.size() > 1;
  SetSize set;
  try {
    Journal journal = several ? LoadJournalSet(outcome->sources, request.names, request.kind, options, set)
                              : LoadJournal(*outcome->sources.front(), request.kind, options);
    outcome->document = std::make_unique<JournalDocument>(std::move(journal), request.rules.regional);
    const size_t records = outcome->document->RecordCount();
    outcome->rows.rows.Resize(records);
    if (records > 0) std::memset(outcome->rows.rows.data(), 0, records * sizeof(uint32_t));
    outcome->rows.rows.Clear();
    outcome->rows.blockStarts.reserve(records / kRecordBlock + 2);
    if (request.firstView) {
      FilterState state = *request.firstView;
      const JournalDocument& document = *outcome->document;
      if (document.Kind().dateRange || document.Kind().dayRange) {
        state.startDate = WholeDay(document.Earliest());
        state.endDate = WholeDay(document.Latest());
      }
      document.Select(state, outcome->rows);
      outcome->rowsFor = state;
    }
    const int threads = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    outcome->widths = std::make_unique<WidthIndex>(*outcome->document, request.measure, threads, context.Flag());
    // The first view's rows, each a few of every block when some are hidden, are measured one
    // by one: long for the window's thread.
    if (outcome->rowsFor) outcome->widest = outcome->widths->Widest(*outcome->document, outcome->rows, threads);
  } catch (const LoadCancelled&) {
    return;
  } catch (const std::bad_alloc&) {
    // The journal was loaded (the set was read); its merge or its widths found no room.
    size_t needed = several ? LoadFootprint(request.kind, set.bytes, set.records) : 0;
    if (outcome->document != nullptr && !several) {
      needed = LoadFootprint(request.kind, outcome->document->Data().bytes.size, outcome->document->RecordCount());
    }
    outcome->document.reset();
    const std::string name = several ? std::string("the journals") : std::string(FileNameOf(request.paths.front()));
    outcome->error = NotEnoughMemoryMessage(name, needed);
  } catch (const std::exception& error) {
    outcome->document.reset();
    outcome->error = MessageOf(error);
  } catch (...) {
    outcome->document.reset();
    outcome->error = "Unknown error";
  }
  context.Post([this, outcome] { emit Finished(*outcome); });
}

}  // namespace vantorel
