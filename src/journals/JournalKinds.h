#pragma once
// The four kinds of journal as data: what tells them apart is written here once, and the
// loader, the views and the tools read it.
#include <string>
#include <string_view>
#include <type_traits>

#include "uStrUtils/Literals.h"

namespace vantorel {

enum class JournalKind { None, Alarms, Action, Param, Stat };

// A kind's columns, and one more for the names of merged journals.
inline constexpr int kMaxColumns = 9;
inline constexpr int kMaxLists = 4;

// How a journal's bytes become record lines.
enum class LineRule {
  WholeFile,  // CR LF, LF or a lone CR ends a line; NUL ends the text
  Text,       // LF or CR LF ends a line, other CRs are dropped; Ctrl-Z ends the file
};

// What the date-time column shows.
enum class TimeColumn { TimeOfDay, DateAndTime };

// A value list of a kind: the field it lists, its all-values item, the name of the combo
// box that shows it and the query's option that picks a value of it.
struct ListDescription {
  int field = 0;
  std::string Literals::*allValues = nullptr;
  std::string_view name;
  std::string_view option;
};

// Which record array holds a kind's journal: one serves parameter changes and statistics.
enum class RecordArray { None, Alarms, Actions, Params };

struct KindDescription {
  JournalKind kind = JournalKind::None;
  std::string_view extension;
  // Table columns; line field i shows in column i, the last column takes the rest of the line.
  int columns = 0;
  int dateTimeField = 0;
  LineRule lines = LineRule::WholeFile;
  // Texts keep at most their first kFieldCap bytes.
  bool capped = true;
  // A file without any line fails with "Range check error".
  bool emptyFileFails = true;
  int listCount = 0;
  ListDescription lists[kMaxLists];
  TimeColumn timeColumn = TimeColumn::TimeOfDay;
  // The date pickers' range applies: days after the start day, and the end time on the end
  // day only.
  bool dateRange = false;
  // The date pickers' days narrow the records, the time window applying on each day of them:
  // several journals of a kind whose column shows the time alone, once they span more than
  // one day (their column then shows the date too).
  bool dayRange = false;
  // Rows take the colour of this field's alarm message; -1: every row is black.
  int messageField = -1;
  // "Показывать неважные аварии" hides the unimportant alarms when it is off.
  bool unimportantSwitch = false;
  // The load writes "Записей: i/N" as it goes; the action load writes "Считано строк: N" at
  // its end instead.
  bool countsRecords = true;
  // The load finds the first and last day of the records.
  bool findsDays = false;
  // The group box that holds the kind's lists, and the array that holds its records.
  std::string_view filterBox = "EmptyBox";
  RecordArray array = RecordArray::None;
};

// The longest text a capped field keeps; longer text keeps its first bytes.
inline constexpr size_t kFieldCap = 200;

inline constexpr ListDescription kGroupList{.field = 1, .allValues = &Literals::allGroups, .name = "GroupCB", .option = "--group"};
inline constexpr ListDescription kNodeList{.field = 3, .allValues = &Literals::allNodes, .name = "NameCB", .option = "--node"};
inline constexpr ListDescription kPortList{.field = 4, .allValues = &Literals::allPorts, .name = "PortCB", .option = "--port"};

inline constexpr KindDescription kAlarmKind{
    .kind = JournalKind::Alarms,
    .extension = ".alarms",
    .columns = 7,
    .dateTimeField = 0,
    .listCount = 3,
    .lists = {kGroupList, kNodeList, kPortList, {}},
    .messageField = 5,
    .unimportantSwitch = true,
    .filterBox = "FilterBoxAlert",
    .array = RecordArray::Alarms,
};

inline constexpr KindDescription kActionKind{
    .kind = JournalKind::Action,
    .extension = ".action",
    .columns = 6,
    .dateTimeField = 1,
    .lines = LineRule::Text,
    .capped = false,
    .emptyFileFails = false,
    .listCount = 2,
    .lists = {{.field = 0, .allValues = &Literals::allUsers, .name = "UserCB", .option = "--user"},
              {.field = 5, .allValues = &Literals::allActions, .name = "ActCB", .option = "--action"},
              {},
              {}},
    .countsRecords = false,
    .filterBox = "FilterBoxAct",
    .array = RecordArray::Actions,
};

// The parameter box's lists: the alarm box's, named apart, and the parameter.
inline constexpr ListDescription kParamLists[kMaxLists] = {
    {.field = 1, .allValues = &Literals::allGroups, .name = "GroupCB2", .option = "--group"},
    {.field = 3, .allValues = &Literals::allNodes, .name = "NameCb2", .option = "--node"},
    {.field = 4, .allValues = &Literals::allPorts, .name = "PortCB2", .option = "--port"},
    {.field = 5, .allValues = &Literals::allParams, .name = "ParamCB", .option = "--param"},
};

inline constexpr KindDescription kParamKind{
    .kind = JournalKind::Param,
    .extension = ".param",
    .columns = 8,
    .dateTimeField = 0,
    .listCount = 4,
    .lists = {kParamLists[0], kParamLists[1], kParamLists[2], kParamLists[3]},
    .timeColumn = TimeColumn::DateAndTime,
    .dateRange = true,
    .findsDays = true,
    .filterBox = "FilterBoxParam",
    .array = RecordArray::Params,
};

// Statistics journals share the parameter-change format; they show and filter times of day.
inline constexpr KindDescription kStatKind{
    .kind = JournalKind::Stat,
    .extension = ".stat",
    .columns = 8,
    .dateTimeField = 0,
    .listCount = 4,
    .lists = {kParamLists[0], kParamLists[1], kParamLists[2], kParamLists[3]},
    .findsDays = true,
    .filterBox = "FilterBoxParam",
    .array = RecordArray::Params,
};

inline constexpr KindDescription kNoKind{};

template <JournalKind K>
constexpr const KindDescription& Describe() {
  if constexpr (K == JournalKind::Alarms) return kAlarmKind;
  if constexpr (K == JournalKind::Action) return kActionKind;
  if constexpr (K == JournalKind::Param) return kParamKind;
  if constexpr (K == JournalKind::Stat) return kStatKind;
  if constexpr (K == JournalKind::None) return kNoKind;
}

inline const KindDescription& DescriptionOf(JournalKind kind) {
  switch (kind) {
    case JournalKind::Alarms: return kAlarmKind;
    case JournalKind::Action: return kActionKind;
    case JournalKind::Param: return kParamKind;
    case JournalKind::Stat: return kStatKind;
    case JournalKind::None: break;
  }
  return kNoKind;
}

// Runs `action` with the kind as a compile-time value.
template <typename Action>
decltype(auto) WithKind(JournalKind kind, Action&& action) {
  switch (kind) {
    case JournalKind::Alarms: return action(std::integral_constant<JournalKind, JournalKind::Alarms>{});
    case JournalKind::Action: return action(std::integral_constant<JournalKind, JournalKind::Action>{});
    case JournalKind::Param: return action(std::integral_constant<JournalKind, JournalKind::Param>{});
    case JournalKind::Stat:
    case JournalKind::None: break;
  }
  return action(std::integral_constant<JournalKind, JournalKind::Stat>{});
}

// The list of `kind` that lists `field`; -1 when the field is not listed.
constexpr int ListOfField(const KindDescription& kind, int field) {
  for (int l = 0; l < kind.listCount; ++l) {
    if (kind.lists[l].field == field) return l;
  }
  return -1;
}

}  // namespace vantorel
