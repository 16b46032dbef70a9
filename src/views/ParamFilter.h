#pragma once
// Which parameter-change and statistics records their views show.
#include <cstdint>
#include <vector>

#include "journals/ParamStatLog.h"
#include "views/ValueFilter.h"

namespace vantorel {

struct ParamFilters {
  // Only the days of the two dates count; the statistics view does not look at them.
  TDateTime startDate = 0;
  TDateTime endDate = 0;
  TimeWindow time;
  ValueFilter group;
  ValueFilter node;
  ValueFilter port;
  ValueFilter param;
};

// The parameter view's rule: the day at or after the start date; the time at or after the
// start time on every day; a day before the end date passes whatever its time, a later day
// fails, the end day itself keeps times up to the end time; then the four value lists.
void SelectParamRows(const ParamRecords& records, const ParamFilters& filters, std::vector<uint32_t>& rows);

// The statistics view's rule: the same time window on every day, then the four value lists.
void SelectStatRows(const ParamRecords& records, const ParamFilters& filters, std::vector<uint32_t>& rows);

}  // namespace vantorel
