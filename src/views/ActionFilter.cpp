#include "views/ActionFilter.h"

namespace vantorel {

void SelectActionRows(const ActionRecords& records, const ActionFilters& filters, std::vector<uint32_t>& rows) {
  rows.clear();
  const TimeWindow::Bounds time = filters.time.Prepared();
  const size_t count = records.size();
  for (size_t i = 0; i < count; ++i) {
    const ActLine& r = records.records[i];
    if (!time.Passes(r.DateTime)) continue;
    if (!filters.user.Passes(r.UserItem)) continue;
    if (!filters.action.Passes(r.ActionItem)) continue;
    rows.push_back(static_cast<uint32_t>(i));
  }
}

}  // namespace vantorel
