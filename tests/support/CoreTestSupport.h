#pragma once
// What the loader and filter tests share: the regional settings of the journals they write,
// an observer that records what a load reports, and a way to catch a load's error text.
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "datetime/DateTime.h"
#include "datetime/RegionalSettings.h"
#include "journals/LoadObserver.h"
#include "uStrUtils/AppError.h"
#include "uStrUtils/StrUtils.h"
#include "views/ValueFilter.h"

namespace vantorel::test {

// Journals written like "25.11.2013 10:15:30.250".
inline DateTimeRules JournalRules() {
  DateTimeRules rules;
  rules.regional.shortDateFormat = "dd/mm/yyyy";
  rules.regional.dateSeparator = '.';
  rules.regional.timeSeparator = ':';
  rules.regional.clock24 = true;
  rules.regional.hourLeadingZero = true;
  rules.currentYear = 2026;
  return rules;
}

// The date-time value of a calendar moment.
inline TDateTime At(int year, int month, int day, int hour = 0, int minute = 0, int second = 0,
                    int millisecond = 0) {
  TDateTime date = 0;
  TryEncodeDate(year, month, day, date);
  return date + EncodeTime(hour, minute, second, millisecond);
}

class RecordingObserver : public LoadObserver {
 public:
  void Titles(const std::vector<std::string>& t) override { titles = t; }
  void Started(size_t progressMax) override { started.push_back(progressMax); }
  void Progress(size_t done, size_t total) override { progress.emplace_back(done, total); }

  std::vector<std::string> titles;
  std::vector<size_t> started;
  std::vector<std::pair<size_t, size_t>> progress;
};

using ProgressList = std::vector<std::pair<size_t, size_t>>;

// The message of the AppError that `action` raises; "<no error>" when it raises none.
template <typename Action>
std::string ErrorOf(Action&& action) {
  try {
    action();
  } catch (const AppError& error) {
    return error.what();
  }
  return "<no error>";
}

// Tab-joined fields: one journal line without its line end.
inline std::string Tabbed(const std::vector<std::string>& fields) {
  std::string line;
  for (size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) line += '\t';
    line += fields[i];
  }
  return line;
}

// A filter list as the window's first build would make it: item 0, then each value unless
// ContainsString already finds it.
template <typename Values>
std::vector<std::string> ListByContainsString(std::string_view allValues, const Values& values) {
  std::vector<std::string_view> list{allValues};
  for (std::string_view value : values) {
    if (!ContainsString(list, value)) list.push_back(value);
  }
  return {list.begin(), list.end()};
}

// The index of `text` in a filter list; -1 when the list lacks it.
inline int IndexOf(const std::vector<std::string_view>& items, std::string_view text) {
  for (size_t i = 0; i < items.size(); ++i) {
    if (items[i] == text) return static_cast<int>(i);
  }
  return -1;
}

// The filter of the list item `text`, which must be a value item, not item 0.
inline ValueFilter Pick(const std::vector<std::string_view>& items, std::string_view text) {
  const int index = IndexOf(items, text);
  EXPECT_GT(index, 0) << "no value item " << text;
  return ValueFilter::Select(index, items);
}

inline std::vector<std::string> Strings(const std::vector<std::string_view>& views) {
  return {views.begin(), views.end()};
}

}  // namespace vantorel::test
