#include "views/ParamFilter.h"

namespace vantorel {
namespace {

bool PassesValues(const ParamRecords& records, const ParamRecord& r, const ParamFilters& f) {
  return f.group.Passes(records.Text(r.GroupName)) && f.node.Passes(records.Text(r.NodeName)) &&
         f.port.Passes(records.Text(r.BoardPort)) && f.param.Passes(records.Text(r.ParamName));
}

}  // namespace

void SelectParamRows(const ParamRecords& records, const ParamFilters& filters, std::vector<uint32_t>& rows) {
  rows.clear();
  const size_t count = records.size();
  for (size_t i = 0; i < count; ++i) {
    const ParamRecord& r = records.records[i];
    if (CompareDatePart(r.DateTime, filters.startDate) == -1) continue;
    if (CompareTimePart(r.DateTime, filters.time.start) == -1) continue;
    const int endDay = CompareDatePart(r.DateTime, filters.endDate);
    if (endDay == 1) continue;
    if (endDay == 0 && CompareTimePart(r.DateTime, filters.time.end) == 1) continue;
    if (!PassesValues(records, r, filters)) continue;
    rows.push_back(static_cast<uint32_t>(i));
  }
}

void SelectStatRows(const ParamRecords& records, const ParamFilters& filters, std::vector<uint32_t>& rows) {
  rows.clear();
  const size_t count = records.size();
  for (size_t i = 0; i < count; ++i) {
    const ParamRecord& r = records.records[i];
    if (!filters.time.Passes(r.DateTime)) continue;
    if (!PassesValues(records, r, filters)) continue;
    rows.push_back(static_cast<uint32_t>(i));
  }
}

}  // namespace vantorel
