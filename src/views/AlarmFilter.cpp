#include "views/AlarmFilter.h"

#include "uStrUtils/Literals.h"

namespace vantorel {

bool IsUnimportantAlarm(std::string_view message) {
  const Literals& words = Cp1251Literals();
  return message == words.toReserve || message == words.clockMismatch;
}

void SelectAlarmRows(const AlarmRecords& records, const AlarmFilters& filters, std::vector<uint32_t>& rows) {
  rows.clear();
  const size_t count = records.size();
  for (size_t i = 0; i < count; ++i) {
    const AlarmRecord& r = records.records[i];
    if (!filters.time.Passes(r.DateTime)) continue;
    if (!filters.group.Passes(records.Text(r.GroupName))) continue;
    if (!filters.node.Passes(records.Text(r.NodeName))) continue;
    if (!filters.port.Passes(records.Text(r.BoardPort))) continue;
    if (!filters.showUnimportant && IsUnimportantAlarm(records.Text(r.Message))) continue;
    rows.push_back(static_cast<uint32_t>(i));
  }
}

}  // namespace vantorel
