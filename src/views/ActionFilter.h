#pragma once
// Which action records the action view shows.
#include <cstdint>
#include <vector>

#include "journals/ActionLog.h"
#include "views/ValueFilter.h"

namespace vantorel {

struct ActionFilters {
  TimeWindow time;
  ValueFilter user;
  ValueFilter action;
};

// Replaces `rows` with the indices of the records that pass, in record order.
void SelectActionRows(const ActionRecords& records, const ActionFilters& filters, std::vector<uint32_t>& rows);

}  // namespace vantorel
