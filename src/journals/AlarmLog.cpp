#include "journals/AlarmLog.h"

#include "journals/AlarmMessages.h"
#include "datetime/DateTimeParse.h"
#include "journals/HeaderRow.h"
#include "journals/LineReaders.h"
#include "uStrUtils/AppError.h"
#include "uStrUtils/DistinctList.h"
#include "uStrUtils/Literals.h"
#include "uStrUtils/StrUtils.h"

namespace vantorel {

AlarmLoad LoadAlarmLog(const std::string& path, const DateTimeRules& rules, LoadObserver& observer) {
  return ParseAlarmLog(ReadFileBytes(path, ReadErrorStyle::TextFile), rules, observer);
}

AlarmLoad ParseAlarmLog(FileBytes bytes, const DateTimeRules& rules, LoadObserver& observer) {
  observer.Titles(HeaderTitles(FirstTextLine(bytes.View())));

  WholeFileLines lines(bytes.View());
  const size_t lineCount = lines.LineCount();
  observer.Started(lineCount);
  if (lineCount == 0) throw AppError("Range check error");
  const size_t total = lineCount - 1;

  AlarmLoad load;
  load.records.bytes = std::move(bytes);
  const char* base = load.records.bytes.data.get();
  std::vector<AlarmRecord>& records = load.records.records;
  records.reserve(total);

  // The lists are built while each line's bytes are at hand.
  const Literals& words = Cp1251Literals();
  DistinctList groups(words.allGroups), nodes(words.allNodes), ports(words.allPorts);

  std::string_view line;
  lines.Next(line);  // the title line
  std::string_view field;
  while (lines.Next(line)) {
    AlarmRecord record;
    CutField(line, '\t', field);
    record.DateTime = StrToDateTime(field, rules);
    CutField(line, '\t', field);
    record.GroupName = MakeFixedText(base, field);
    record.GroupItem = groups.Add(TextAt(base, record.GroupName));
    CutField(line, '\t', field);
    record.Detail1 = MakeFixedText(base, field);
    CutField(line, '\t', field);
    record.NodeName = MakeFixedText(base, field);
    record.NodeItem = nodes.Add(TextAt(base, record.NodeName));
    CutField(line, '\t', field);
    record.BoardPort = MakeFixedText(base, field);
    record.PortItem = ports.Add(TextAt(base, record.BoardPort));
    CutField(line, '\t', field);
    record.Message = MakeFixedText(base, field);
    record.Unimportant = IsUnimportantAlarm(TextAt(base, record.Message));
    record.Detail2 = MakeFixedText(base, line);
    records.push_back(record);
    if (IsProgressPoint(records.size(), total)) observer.Progress(records.size(), total);
  }

  load.lists = AlarmLists{groups.Take(), nodes.Take(), ports.Take()};
  return load;
}

}  // namespace vantorel
