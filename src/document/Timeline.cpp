#include "document/Timeline.h"

namespace vantorel {
namespace {

template <JournalKind K>
void CountKind(const Journal& journal, const RecordFilter& filter, TimelineCounts& counts) {
  constexpr const KindDescription& kind = Describe<K>();
  const size_t count = journal.size();
  const TDateTime* times = journal.records.times.data();
  const TextTone* tones = kind.messageField >= 0 ? journal.records.tones.data() : nullptr;
  for (size_t i = 0; i < count; ++i) {
    const TDateTime t = times[i];
    if (!filter.PassesDays(t)) continue;
    bool pass = true;
    for (int l = 0; l < kind.listCount; ++l) {
      pass = pass && filter.lists[static_cast<size_t>(l)].Passes(journal.records.items[static_cast<size_t>(l)][i]);
    }
    if (!pass) continue;
    TextTone tone = TextTone::Plain;
    if constexpr (kind.messageField >= 0) tone = tones[i];
    if (!filter.PassesTone(tone)) continue;
    ++counts[static_cast<size_t>(BinOf(t))].tones[static_cast<size_t>(tone)];
  }
}

}  // namespace

TimelineCounts CountTimeline(const JournalDocument& document, const FilterState& state) {
  TimelineCounts counts{};
  const RecordFilter filter = document.FilterOf(state);
  WithKind(document.Kind().kind, [&](auto k) { CountKind<decltype(k)::value>(document.Data(), filter, counts); });
  return counts;
}

}  // namespace vantorel
