#include "journals/ParamStatLog.h"

#include "datetime/DateTimeParse.h"
#include "journals/HeaderRow.h"
#include "journals/LineReaders.h"
#include "uStrUtils/AppError.h"
#include "uStrUtils/DistinctList.h"
#include "uStrUtils/Literals.h"
#include "uStrUtils/StrUtils.h"

namespace vantorel {

ParamLoad LoadParamStatLog(const std::string& path, TDateTime startDate, const DateTimeRules& rules,
                           LoadObserver& observer) {
  return ParseParamStatLog(ReadFileBytes(path, ReadErrorStyle::TextFile), startDate, rules, observer);
}

ParamLoad ParseParamStatLog(FileBytes bytes, TDateTime startDate, const DateTimeRules& rules,
                            LoadObserver& observer) {
  ParamLoad load;
  load.earliest = load.latest = startDate;
  observer.Titles(HeaderTitles(FirstTextLine(bytes.View())));

  WholeFileLines lines(bytes.View());
  const size_t lineCount = lines.LineCount();
  observer.Started(lineCount);
  if (lineCount == 0) throw AppError("Range check error");
  const size_t total = lineCount - 1;

  load.records.bytes = std::move(bytes);
  const char* base = load.records.bytes.data.get();
  std::vector<ParamRecord>& records = load.records.records;
  records.reserve(total);

  // The lists are built while each line's bytes are at hand.
  const Literals& words = Cp1251Literals();
  DistinctList groups(words.allGroups), nodes(words.allNodes), ports(words.allPorts),
      params(words.allParams);

  std::string_view line;
  lines.Next(line);  // the title line
  std::string_view field;
  while (lines.Next(line)) {
    ParamRecord record;
    CutField(line, '\t', field);
    record.DateTime = StrToDateTime(field, rules);
    if (records.empty()) load.earliest = load.latest = record.DateTime;
    if (CompareDatePart(record.DateTime, load.earliest) < 0) load.earliest = record.DateTime;
    if (CompareDatePart(record.DateTime, load.latest) > 0) load.latest = record.DateTime;
    FixedText* texts[] = {&record.GroupName, &record.Detail1, &record.NodeName,
                          &record.BoardPort, &record.ParamName, &record.Detail2};
    for (FixedText* text : texts) {
      CutField(line, '\t', field);
      *text = MakeFixedText(base, field);
    }
    record.Detail3 = MakeFixedText(base, line);
    record.GroupItem = groups.Add(TextAt(base, record.GroupName));
    record.NodeItem = nodes.Add(TextAt(base, record.NodeName));
    record.PortItem = ports.Add(TextAt(base, record.BoardPort));
    record.ParamItem = params.Add(TextAt(base, record.ParamName));
    records.push_back(record);
    if (IsProgressPoint(records.size(), total)) observer.Progress(records.size(), total);
  }

  load.lists = ParamLists{groups.Take(), nodes.Take(), ports.Take(), params.Take()};
  return load;
}

}  // namespace vantorel
