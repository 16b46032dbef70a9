#pragma once
// What the core tests share: the regional settings of the journals they write, journals made
// from bytes in memory, an observer that records what a load reports, and a way to catch a
// load's error text.
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "datetime/DateTime.h"
#include "datetime/RegionalSettings.h"
#include "document/JournalDocument.h"
#include "journals/JournalLoad.h"
#include "journals/LoadObserver.h"
#include "uStrUtils/AppError.h"
#include "uStrUtils/StrUtils.h"

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

// A journal of `kind` parsed from `bytes` in memory, cut into up to `parts` parts of at least
// `minPartBytes` bytes.
inline Journal Parse(JournalKind kind, std::string_view bytes, LoadObserver* observer = nullptr,
                     TDateTime startDate = 0, int parts = 1, size_t minPartBytes = 1) {
  LoadOptions options;
  options.rules = JournalRules();
  options.startDate = startDate;
  options.observer = observer;
  options.threads = parts;
  options.minPartBytes = minPartBytes;
  return ParseJournal(JournalBytesOf(bytes, parts, minPartBytes), kind, options, "test");
}

// A document of `kind` made from `bytes` in memory.
inline JournalDocument Document(JournalKind kind, std::string_view bytes, TDateTime startDate = 0) {
  return JournalDocument(Parse(kind, bytes, nullptr, startDate), JournalRules().regional);
}

// Field `field` of every record, as stored.
inline std::vector<std::string> Column(const Journal& journal, int field) {
  std::vector<std::string> texts;
  for (size_t i = 0; i < journal.size(); ++i) texts.emplace_back(FieldOfLine(*journal.kind, journal.Line(i), field));
  return texts;
}

// The text fields of record `i`, all but the date-time, as stored.
inline std::vector<std::string> Fields(const Journal& journal, size_t i) {
  std::vector<std::string> texts;
  for (int f = 0; f < journal.kind->columns; ++f) {
    if (f != journal.kind->dateTimeField) texts.emplace_back(FieldOfLine(*journal.kind, journal.Line(i), f));
  }
  return texts;
}

// The message of the AppError that `action` raises; "<no error>" when it raises none.
template <typename Action>
std::string ErrorOf(Action&& action) {
  try {
    action();
  } catch (const AppError& error) {
    return error.Message();
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

inline std::vector<std::string> Strings(const std::vector<std::string_view>& views) {
  return {views.begin(), views.end()};
}

}  // namespace vantorel::test
