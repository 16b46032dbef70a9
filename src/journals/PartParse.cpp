#include "journals/PartParse.h"

namespace vantorel::parts {

void Checkpoint(LoadRun& run, Part& part, int index, size_t local, bool reports) {
  part.done.store(local, std::memory_order_relaxed);
  if (run.options.cancel != nullptr && run.options.cancel->load(std::memory_order_relaxed)) throw LoadCancelled();
  if (run.firstFailed.load(std::memory_order_relaxed) < index) throw PartStopped();
  if (!reports || run.options.observer == nullptr) return;
  // The first report is the first record's, whatever the other parts have read meanwhile.
  size_t done = 1;
  if (run.firstReported) {
    done = 0;
    for (const auto& p : run.parts) done += p->done.load(std::memory_order_relaxed);
  }
  run.firstReported = true;
  run.options.observer->Progress(done, run.progressTotal);
  run.lastReported = done;
}

void MergeLists(Journal& journal, const RecordTarget& target, std::vector<std::unique_ptr<Part>>& parts) {
  const KindDescription& kind = *journal.kind;
  for (int l = 0; l < kind.listCount; ++l) {
    const auto list = static_cast<size_t>(l);
    DistinctList& joined = parts[0]->lists[list];
    std::vector<uint32_t> remap;
    for (size_t p = 1; p < parts.size(); ++p) {
      const std::vector<std::string_view>& items = parts[p]->lists[list].Items();
      remap.resize(items.size());
      for (size_t i = 0; i < items.size(); ++i) remap[i] = joined.Add(items[i]);
      uint32_t* records = target.records->items[list].Wide() + target.first;
      for (size_t r = parts[p]->first; r < parts[p]->limit; ++r) records[r] = remap[records[r]];
    }
    journal.lists[list] = std::move(joined);
  }
}

size_t RecordLines(const JournalBytes& read, const KindDescription& kind) {
  const size_t lines = kind.lines == LineRule::Text ? read.lines.TextLineCount() : read.lines.WholeLines();
  return lines > 0 ? lines - 1 : 0;
}

void AddPart(std::vector<std::unique_ptr<Part>>& parts, const Journal& journal, size_t at, size_t first) {
  auto part = std::make_unique<Part>();
  part->begin = at;
  part->first = first;
  part->lists = journal.lists;
  if (!parts.empty()) {
    parts.back()->end = at;
    parts.back()->limit = first;
  }
  parts.push_back(std::move(part));
}

void ClosePart(std::vector<std::unique_ptr<Part>>& parts, size_t textEnd, size_t total) {
  parts.back()->end = textEnd;
  parts.back()->limit = total;
}

void RethrowFirstFailure(const std::vector<std::unique_ptr<Part>>& parts) {
  for (const auto& part : parts) {
    if (part->failure) std::rethrow_exception(part->failure);
  }
}

}  // namespace vantorel::parts
