#pragma once
// Parameter-change (".param") and statistics (".stat") journals: one format, one record type.
#include <string>
#include <string_view>
#include <vector>

#include "datetime/DateTime.h"
#include "datetime/RegionalSettings.h"
#include "journals/FileBytes.h"
#include "journals/LoadObserver.h"
#include "journals/Records.h"

namespace vantorel {

inline constexpr int kParamColumns = 8;

struct ParamRecord {
  TDateTime DateTime = 0;
  FixedText GroupName{};
  FixedText Detail1{};
  FixedText NodeName{};
  FixedText BoardPort{};
  FixedText ParamName{};
  FixedText Detail2{};
  FixedText Detail3{};
  // The filter-list items of GroupName, NodeName, BoardPort and ParamName.
  uint32_t GroupItem = 0;
  uint32_t NodeItem = 0;
  uint32_t PortItem = 0;
  uint32_t ParamItem = 0;
};

struct ParamRecords {
  FileBytes bytes;
  std::vector<ParamRecord> records;

  size_t size() const { return records.size(); }
  bool empty() const { return records.empty(); }
  std::string_view Text(FixedText t) const { return TextAt(bytes.data.get(), t); }
};

struct ParamLists {
  std::vector<std::string_view> groups;
  std::vector<std::string_view> nodes;
  std::vector<std::string_view> ports;
  std::vector<std::string_view> params;
};

struct ParamLoad {
  ParamRecords records;
  ParamLists lists;
  // The earliest and latest record by whole days; both `startDate` when there are no records.
  TDateTime earliest = 0;
  TDateTime latest = 0;
};

// Reads a parameter-change or statistics journal. `startDate` is the date picker's current
// value, the date range of a journal without records. Raises AppError: the file's
// input/output error, "Range check error" for a file without lines, or the date-time
// conversion error of the first bad record.
ParamLoad LoadParamStatLog(const std::string& path, TDateTime startDate, const DateTimeRules& rules,
                           LoadObserver& observer);

ParamLoad ParseParamStatLog(FileBytes bytes, TDateTime startDate, const DateTimeRules& rules,
                            LoadObserver& observer);

}  // namespace vantorel
