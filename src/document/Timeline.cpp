#include "document/Timeline.h"

#include <memory>

namespace vantorel {
namespace {

// What a click on each bin makes of the filter: its time window is the bin's click window.
struct ClickFilters {
  std::array<RecordFilter, kTimelineBins> bins;
  // Records of days whose end time does not bound them, by the last bin whose window they
  // pass: they pass every bin up to it.
  std::array<uint32_t, kTimelineBins> throughBin{};
  TimelineClickRows rows{};

  explicit ClickFilters(const RecordFilter& filter) {
    for (int b = 0; b < kTimelineBins; ++b) {
      const TimeWindow window{BinStartSecond(b) * 1000 / kMsPerDay, BinEndSecond(b) * 1000 / kMsPerDay};
      bins[static_cast<size_t>(b)] = filter;
      bins[static_cast<size_t>(b)].time = window.Prepared();
    }
  }

  bool Passes(int bin, TDateTime t) const {
    return bin >= 0 && bin < kTimelineBins && bins[static_cast<size_t>(bin)].PassesMoment(t);
  }

  // A record that passes every test but the time window, in bin `bin`. The windows are a
  // millisecond wide at their ends, so a record may pass the neighbour bins' too, or none.
  void Add(TDateTime t, int bin) {
    if (bins[0].EndTimeApplies(t)) {
      for (int b = bin - 1; b <= bin + 1; ++b) {
        if (Passes(b, t)) ++rows[static_cast<size_t>(b)];
      }
      return;
    }
    for (int b = bin + 1; b >= bin - 1; --b) {
      if (Passes(b, t)) {
        ++throughBin[static_cast<size_t>(b)];
        return;
      }
    }
  }

  void Finish() {
    uint32_t through = 0;
    for (int b = kTimelineBins - 1; b >= 0; --b) {
      through += throughBin[static_cast<size_t>(b)];
      rows[static_cast<size_t>(b)] += through;
    }
  }
};

template <JournalKind K>
void CountKind(const Journal& journal, const RecordFilter& filter, TimelineCounts& counts, ClickFilters* clicks,
               const uint64_t* mask) {
  constexpr const KindDescription& kind = Describe<K>();
  const size_t count = journal.size();
  const TDateTime* times = journal.records.times.data();
  const TextTone* tones = kind.messageField >= 0 ? journal.records.tones.data() : nullptr;
  WithItemColumns(journal.records.items, kind.listCount, [&](const auto& columns) {
    for (size_t i = 0; i < count; ++i) {
      if (mask != nullptr && (mask[i / 64] >> (i % 64) & 1) == 0) continue;
      const TDateTime t = times[i];
      if (!filter.PassesDays(t)) continue;
      uint32_t items[kMaxLists] = {};
      for (int l = 0; l < kind.listCount; ++l) items[l] = columns[static_cast<size_t>(l)][i];
      TextTone tone = TextTone::Plain;
      if constexpr (kind.messageField >= 0) tone = tones[i];
      if (!filter.PassesListsAndTone(items, tone)) continue;
      const int bin = BinOf(t);
      ++counts[static_cast<size_t>(bin)].tones[static_cast<size_t>(tone)];
      if (clicks != nullptr) clicks->Add(t, bin);
    }
  });
}

}  // namespace

TimelineCounts CountTimeline(const JournalDocument& document, const FilterState& state, TimelineClickRows* clickRows) {
  TimelineCounts counts{};
  const RecordFilter filter = document.FilterOf(state);
  std::unique_ptr<ClickFilters> clicks = clickRows != nullptr ? std::make_unique<ClickFilters>(filter) : nullptr;
  document.WithRecordMask(state, nullptr, [&](const uint64_t* mask) {
    WithKind(document.Kind().kind,
             [&](auto k) { CountKind<decltype(k)::value>(document.Data(), filter, counts, clicks.get(), mask); });
  });
  if (clicks != nullptr) {
    clicks->Finish();
    *clickRows = clicks->rows;
  }
  return counts;
}

}  // namespace vantorel
