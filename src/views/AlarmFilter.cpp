#include "views/AlarmFilter.h"

namespace vantorel {

void SelectAlarmRows(const AlarmRecords& records, const AlarmFilters& filters, std::vector<uint32_t>& rows) {
  rows.clear();
  const TimeWindow::Bounds time = filters.time.Prepared();
  const size_t count = records.size();
  for (size_t i = 0; i < count; ++i) {
    const AlarmRecord& r = records.records[i];
    if (!time.Passes(r.DateTime)) continue;
    if (!filters.group.Passes(r.GroupItem)) continue;
    if (!filters.node.Passes(r.NodeItem)) continue;
    if (!filters.port.Passes(r.PortItem)) continue;
    if (!filters.showUnimportant && r.Unimportant) continue;
    rows.push_back(static_cast<uint32_t>(i));
  }
}

}  // namespace vantorel
