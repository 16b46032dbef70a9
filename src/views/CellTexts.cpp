#include "views/CellTexts.h"

#include "datetime/DateTimeText.h"

namespace vantorel {
namespace {

std::string_view TimeCell(TDateTime value, const RegionalSettings& settings, std::string& scratch) {
  scratch.clear();
  AppendTimeText(scratch, value, settings);
  return scratch;
}

}  // namespace

std::string_view AlarmTable::CellText(size_t record, int column, std::string& scratch) const {
  const AlarmRecord& r = records_.records[record];
  switch (column) {
    case 0: return TimeCell(r.DateTime, settings_, scratch);
    case 1: return records_.Text(r.GroupName);
    case 2: return records_.Text(r.Detail1);
    case 3: return records_.Text(r.NodeName);
    case 4: return records_.Text(r.BoardPort);
    case 5: return records_.Text(r.Message);
    case 6: return records_.Text(r.Detail2);
    default: return {};
  }
}

std::string_view ActionTable::CellText(size_t record, int column, std::string& scratch) const {
  const ActLine& r = records_.records[record];
  switch (column) {
    case 0: return records_.Text(r.User);
    case 1: return TimeCell(r.DateTime, settings_, scratch);
    case 2: return records_.Text(r.Detail1);
    case 3: return records_.Text(r.Detail2);
    case 4: return records_.Text(r.Detail3);
    case 5: return records_.Text(r.Action);
    default: return {};
  }
}

std::string_view ParamTable::CellText(size_t record, int column, std::string& scratch) const {
  const ParamRecord& r = records_.records[record];
  switch (column) {
    case 0:
      if (!showDate_) return TimeCell(r.DateTime, settings_, scratch);
      scratch.clear();
      AppendDateTimeText(scratch, r.DateTime, settings_);
      return scratch;
    case 1: return records_.Text(r.GroupName);
    case 2: return records_.Text(r.Detail1);
    case 3: return records_.Text(r.NodeName);
    case 4: return records_.Text(r.BoardPort);
    case 5: return records_.Text(r.ParamName);
    case 6: return records_.Text(r.Detail2);
    case 7: return records_.Text(r.Detail3);
    default: return {};
  }
}

}  // namespace vantorel
