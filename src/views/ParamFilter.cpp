#include "views/ParamFilter.h"

namespace vantorel {
namespace {

bool PassesValues(const ParamRecord& r, const ParamFilters& f) {
  return f.group.Passes(r.GroupItem) && f.node.Passes(r.NodeItem) && f.port.Passes(r.PortItem) &&
         f.param.Passes(r.ParamItem);
}

}  // namespace

void SelectParamRows(const ParamRecords& records, const ParamFilters& filters, std::vector<uint32_t>& rows) {
  rows.clear();
  const TimeWindow::Bounds time = filters.time.Prepared();
  const size_t count = records.size();
  for (size_t i = 0; i < count; ++i) {
    const ParamRecord& r = records.records[i];
    if (CompareDatePart(r.DateTime, filters.startDate) == -1) continue;
    if (!time.AtOrAfterStart(r.DateTime)) continue;
    const int endDay = CompareDatePart(r.DateTime, filters.endDate);
    if (endDay == 1) continue;
    if (endDay == 0 && !time.AtOrBeforeEnd(r.DateTime)) continue;
    if (!PassesValues(r, filters)) continue;
    rows.push_back(static_cast<uint32_t>(i));
  }
}

void SelectStatRows(const ParamRecords& records, const ParamFilters& filters, std::vector<uint32_t>& rows) {
  rows.clear();
  const TimeWindow::Bounds time = filters.time.Prepared();
  const size_t count = records.size();
  for (size_t i = 0; i < count; ++i) {
    const ParamRecord& r = records.records[i];
    if (!time.Passes(r.DateTime)) continue;
    if (!PassesValues(r, filters)) continue;
    rows.push_back(static_cast<uint32_t>(i));
  }
}

}  // namespace vantorel
