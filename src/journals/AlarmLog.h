#pragma once
// Alarm journals (".alarms"): one alarm or state change per line.
#include <string>
#include <string_view>
#include <vector>

#include "datetime/DateTime.h"
#include "datetime/RegionalSettings.h"
#include "journals/FileBytes.h"
#include "journals/LoadObserver.h"
#include "journals/Records.h"

namespace vantorel {

inline constexpr int kAlarmColumns = 7;

struct AlarmRecord {
  TDateTime DateTime = 0;
  FixedText GroupName{};
  FixedText Detail1{};
  FixedText NodeName{};
  FixedText BoardPort{};
  FixedText Message{};
  FixedText Detail2{};
  // The filter-list items of GroupName, NodeName and BoardPort.
  uint32_t GroupItem = 0;
  uint32_t NodeItem = 0;
  uint32_t PortItem = 0;
  // The message is one of the unimportant ones.
  bool Unimportant = false;
};

// A loaded alarm journal: its bytes and the records that point into them.
struct AlarmRecords {
  FileBytes bytes;
  std::vector<AlarmRecord> records;

  size_t size() const { return records.size(); }
  bool empty() const { return records.empty(); }
  std::string_view Text(FixedText t) const { return TextAt(bytes.data.get(), t); }
};

// The distinct values of the filter lists, item 0 being the all-values text.
struct AlarmLists {
  std::vector<std::string_view> groups;
  std::vector<std::string_view> nodes;
  std::vector<std::string_view> ports;
};

struct AlarmLoad {
  AlarmRecords records;
  AlarmLists lists;
};

// Reads the alarm journal at `path`: titles, then one record per further whole-file line
// (date-time, group, detail, node, board or port, message, and the rest of the line), then
// the filter lists. Raises AppError: the file's input/output error, "Range check error" for
// a file without lines, or the date-time conversion error of the first bad record.
AlarmLoad LoadAlarmLog(const std::string& path, const DateTimeRules& rules, LoadObserver& observer);

// The same over bytes already read; `bytes` becomes the journal's buffer.
AlarmLoad ParseAlarmLog(FileBytes bytes, const DateTimeRules& rules, LoadObserver& observer);

}  // namespace vantorel
