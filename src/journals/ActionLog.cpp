#include "journals/ActionLog.h"

#include "datetime/DateTimeParse.h"
#include "journals/HeaderRow.h"
#include "journals/LineReaders.h"
#include "uStrUtils/DistinctList.h"
#include "uStrUtils/Literals.h"
#include "uStrUtils/StrUtils.h"

namespace vantorel {

ActionLoad LoadActionLog(const std::string& path, const DateTimeRules& rules, LoadObserver& observer) {
  return ParseActionLog(ReadFileBytes(path, ReadErrorStyle::TextFile), rules, observer);
}

ActionLoad ParseActionLog(FileBytes bytes, const DateTimeRules& rules, LoadObserver& observer) {
  observer.Titles(HeaderTitles(FirstTextLine(bytes.View())));

  ActionLoad load;
  load.progressMax = WholeFileLines::Count(bytes.View());
  observer.Started(load.progressMax);
  // The line count only sizes the array's reserve: text lines may split differently.
  const size_t expected = load.progressMax > 0 ? load.progressMax - 1 : 0;

  load.records.bytes = std::move(bytes);
  char* base = load.records.bytes.data.get();
  std::vector<ActLine>& records = load.records.records;
  records.reserve(expected);

  // The lists are built while each line's bytes are at hand.
  const Literals& words = Cp1251Literals();
  DistinctList users(words.allUsers), actions(words.allActions);

  TextLines lines(base, load.records.bytes.size);
  std::string_view line;
  lines.Next(line);  // the title line
  std::string_view field;
  while (lines.Next(line)) {
    ActLine record;
    CutField(line, '\t', field);
    record.User = load.records.Keep(field);
    record.UserItem = users.Add(field);
    CutField(line, '\t', field);
    record.DateTime = StrToDateTime(field, rules);
    CutField(line, '\t', field);
    record.Detail1 = load.records.Keep(field);
    CutField(line, '\t', field);
    record.Detail2 = load.records.Keep(field);
    CutField(line, '\t', field);
    record.Detail3 = load.records.Keep(field);
    record.Action = load.records.Keep(line);
    record.ActionItem = actions.Add(line);
    records.push_back(record);
    if (IsProgressPoint(records.size(), expected)) observer.Progress(records.size(), expected);
  }
  // Text lines and whole-file lines can differ in number: the last record is reported here
  // unless the loop has just reported it.
  if (!records.empty() && !IsProgressPoint(records.size(), expected)) observer.Progress(records.size(), expected);

  load.lists = ActionLists{users.Take(), actions.Take()};
  return load;
}

}  // namespace vantorel
