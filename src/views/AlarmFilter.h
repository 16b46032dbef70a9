#pragma once
// Which alarm records the alarm view shows.
#include <cstdint>
#include <string_view>
#include <vector>

#include "journals/AlarmLog.h"
#include "journals/AlarmMessages.h"
#include "views/ValueFilter.h"

namespace vantorel {

struct AlarmFilters {
  TimeWindow time;
  ValueFilter group;
  ValueFilter node;
  ValueFilter port;
  // "Показывать неважные аварии": when false, unimportant alarms are hidden.
  bool showUnimportant = false;
};

// Replaces `rows` with the indices of the records that pass, in record order: the time
// window, group, node, board or port, then the unimportant-alarm switch.
void SelectAlarmRows(const AlarmRecords& records, const AlarmFilters& filters, std::vector<uint32_t>& rows);

}  // namespace vantorel
