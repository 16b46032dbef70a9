#pragma once
// The four kinds of journal as data: what tells them apart is written here once, and the
// loader, the views and the tools read it.
#include <string>
#include <string_view>
#include <type_traits>

#include "uStrUtils/Literals.h"

namespace vantorel {

enum class JournalKind { None, Alarms, Action, Param, Stat };

inline constexpr int kMaxColumns = 8;
inline constexpr int kMaxLists = 4;

// How a journal's bytes become record lines.
enum class LineRule {
  WholeFile,  // CR LF, LF or a lone CR ends a line; NUL ends the text
  Text,       // LF or CR LF ends a line, other CRs are dropped; Ctrl-Z ends the file
};

// What the date-time column shows.
enum class TimeColumn { TimeOfDay, DateAndTime };

// A value list of a kind: the field it lists, its all-values item and the name of the combo
// box that shows it.
struct ListDescription {
  int field = 0;
  std::string Literals::*allValues = nullptr;
  std::string_view name;
};

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
  // Rows take the colour of this field's alarm message; -1: every row is black.
  int messageField = -1;
  // "Показывать неважные аварии" hides the unimportant alarms when it is off.
  bool unimportantSwitch = false;
  // The load writes "Записей: i/N" as it goes; the action load writes "Считано строк: N" at
  // its end instead.
  bool countsRecords = true;
  // The load finds the first and last day of the records.
  bool findsDays = false;
};

// The longest text a capped field keeps; longer text keeps its first bytes.
inline constexpr size_t kFieldCap = 200;

inline constexpr KindDescription kAlarmKind{
    JournalKind::Alarms, ".alarms", 7, 0, LineRule::WholeFile, true, true, 3,
    {{1, &Literals::allGroups, "GroupCB"}, {3, &Literals::allNodes, "NameCB"}, {4, &Literals::allPorts, "PortCB"}, {}},
    TimeColumn::TimeOfDay, false, 5, true, true, false};

inline constexpr KindDescription kActionKind{
    JournalKind::Action, ".action", 6, 1, LineRule::Text, false, false, 2,
    {{0, &Literals::allUsers, "UserCB"}, {5, &Literals::allActions, "ActCB"}, {}, {}},
    TimeColumn::TimeOfDay, false, -1, false, false, false};

inline constexpr KindDescription kParamKind{
    JournalKind::Param, ".param", 8, 0, LineRule::WholeFile, true, true, 4,
    {{1, &Literals::allGroups, "GroupCB2"}, {3, &Literals::allNodes, "NameCb2"}, {4, &Literals::allPorts, "PortCB2"},
     {5, &Literals::allParams, "ParamCB"}},
    TimeColumn::DateAndTime, true, -1, false, true, true};

// Statistics journals share the parameter-change format; they show and filter times of day.
inline constexpr KindDescription kStatKind{
    JournalKind::Stat, ".stat", 8, 0, LineRule::WholeFile, true, true, 4,
    {{1, &Literals::allGroups, "GroupCB2"}, {3, &Literals::allNodes, "NameCb2"}, {4, &Literals::allPorts, "PortCB2"},
     {5, &Literals::allParams, "ParamCB"}},
    TimeColumn::TimeOfDay, false, -1, false, true, true};

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
