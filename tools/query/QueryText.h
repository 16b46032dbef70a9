#pragma once
// The texts vantorel-query prints besides rows: the count line, the lists, the histogram.
#include <array>
#include <cstdint>
#include <string>

#include "document/Timeline.h"
#include "journals/JournalKinds.h"
#include "uStrUtils/DistinctList.h"

namespace vantorel {

// "Показано строк: N из M" and a line feed.
void AppendCountLine(size_t shown, size_t total, std::string& out);
// A line a list: the list's name, then its items (UTF-8), joined by tabs.
void AppendListsText(const KindDescription& kind, const std::array<DistinctList, kMaxLists>& lists, std::string& out);
// A line a quarter of an hour: its start (HH:MM), a tab and its count.
void AppendHistogramText(const std::array<size_t, kTimelineBins>& bins, std::string& out);

}  // namespace vantorel
