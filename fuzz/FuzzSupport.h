#pragma once
// What the fuzz targets share: the regional settings they read dates with, and a check that
// stops the run with a message libFuzzer keeps beside the crashing input.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "datetime/RegionalSettings.h"

namespace vantorel::fuzz {

[[noreturn]] inline void Fail(const char* what, const char* file, int line) {
  std::fprintf(stderr, "%s:%d: check failed: %s\n", file, line, what);
  std::abort();
}

#define FUZZ_CHECK(condition) \
  ((condition) ? (void)0 : ::vantorel::fuzz::Fail(#condition, __FILE__, __LINE__))

// Settings the viewer meets in the field, chosen so that their separators and words clash in
// as many ways as possible.
inline constexpr int kSettingsCount = 8;

inline DateTimeRules SettingsNumber(int which, int currentYear) {
  DateTimeRules rules;
  rules.currentYear = currentYear;
  RegionalSettings& r = rules.regional;
  switch (which % kSettingsCount) {
    case 0:  // The stand-in values: m/d/yy, 12-hour clock, am/pm after the time.
      break;
    case 1:  // Russian: dd.mm.yyyy, 24-hour clock, decimal comma.
      r.shortDateFormat = "dd/mm/yyyy";
      r.dateSeparator = '.';
      r.decimalSeparator = ',';
      r.clock24 = true;
      r.hourLeadingZero = true;
      break;
    case 2:  // Year first with dashes, Ukrainian morning and afternoon words (Windows-1251).
      r.shortDateFormat = "yyyy/mm/dd";
      r.dateSeparator = '-';
      r.timeAMString = "\xC4\xCF";  // ДП
      r.timePMString = "\xCF\xCF";  // ПП
      r.markerBeforeTime = true;
      break;
    case 3:  // Finnish-like: the same full stop between date parts and time parts.
      r.shortDateFormat = "d/m/yyyy";
      r.dateSeparator = '.';
      r.timeSeparator = '.';
      r.decimalSeparator = ',';
      r.clock24 = true;
      break;
    case 4:  // The decimal separator equals the time separator; words that are prefixes of
             // one another and of "AM".
      r.shortDateFormat = "mm/dd/yyyy";
      r.timeSeparator = ':';
      r.decimalSeparator = ':';
      r.timeAMString = "A";
      r.timePMString = "AMPM";
      r.hourLeadingZero = true;
      break;
    case 6:  // Russian with the full stop also as the decimal separator.
      r.shortDateFormat = "dd/mm/yyyy";
      r.dateSeparator = '.';
      r.clock24 = true;
      r.hourLeadingZero = true;
      break;
    case 7:  // Words that start with the date separator and with the decimal separator.
      r.shortDateFormat = "d/m/yy";
      r.dateSeparator = '-';
      r.timeSeparator = '.';
      r.decimalSeparator = ',';
      r.timeAMString = "-a";
      r.timePMString = ",p";
      r.markerBeforeTime = true;
      break;
    default:  // No order letter at all, empty words on a 24-hour clock, space-like separator.
      r.shortDateFormat = "";
      r.dateSeparator = ' ';
      r.timeAMString = "";
      r.timePMString = "";
      r.clock24 = true;
      break;
  }
  return rules;
}

}  // namespace vantorel::fuzz

#include <array>
#include <cmath>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "datetime/DateTimeParse.h"
#include "journals/LineReaders.h"
#include "journals/JournalLoad.h"
#include "uStrUtils/AppError.h"
#include "uStrUtils/Literals.h"
#include "uStrUtils/MessageValue.h"

namespace vantorel::fuzz {

// Journals are read with the Russian settings of the sample journals.
inline const DateTimeRules& JournalRules() {
  static const DateTimeRules rules = SettingsNumber(1, 2026);
  return rules;
}

// The bytes parsed as a journal of `kind` in up to `parts` parts of at least `minPartBytes`.
inline Journal ParseBytes(std::string_view bytes, JournalKind kind, int parts, size_t minPartBytes,
                          TDateTime startDate = 0) {
  LoadOptions options;
  options.rules = JournalRules();
  options.startDate = startDate;
  options.threads = parts;
  options.minPartBytes = minPartBytes;
  return ParseJournal(JournalBytesOf(bytes, parts, minPartBytes), kind, options, "fuzz");
}

// How many parts the second parse of an input cuts it into: two to seven, chosen by its size
// so that every count is tried.
inline int SecondParseParts(std::string_view bytes) { return 2 + static_cast<int>(bytes.size() % 6); }
// Parts this small put split places at nearly every line of a short input.
inline constexpr size_t kMinPartBytes = 8;

// What never stands inside a whole-file line, and inside a text line.
inline constexpr std::string_view kWholeFileBreaks("\r\n\0", 3);
inline constexpr std::string_view kTextBreaks("\r\n\x1A", 3);

// A loader error is one of the two it may raise over bytes already read: "Range check error"
// for a file without lines (when `rangeCheck` allows it), or the conversion error quoting a
// text that is one field of one line and truly does not convert.
inline void CheckLoaderError(const AppError& error, std::string_view breaks, bool rangeCheck) {
  const std::string& message = error.Message();
  if (message == "Range check error") {
    FUZZ_CHECK(rangeCheck);
    return;
  }
  constexpr std::string_view kTail = "' is not a valid date and time";
  FUZZ_CHECK(message.size() >= kTail.size() + 1 && message.front() == '\'');
  FUZZ_CHECK(std::string_view(message).substr(message.size() - kTail.size()) == kTail);
  std::string_view quoted = std::string_view(message).substr(1, message.size() - 1 - kTail.size());
  // A text of more than 200 characters is quoted by its first 200 and "…".
  const bool cut = quoted.size() == kMessageValueChars + 1 && quoted.back() == '\x85';
  if (cut) quoted.remove_suffix(1);
  FUZZ_CHECK(quoted.size() <= kMessageValueChars);
  FUZZ_CHECK(quoted.find('\t') == std::string_view::npos);
  FUZZ_CHECK(quoted.find_first_of(breaks) == std::string_view::npos);
  TDateTime value = 0;
  if (!cut) FUZZ_CHECK(!TryStrToDateTime(quoted, JournalRules(), value));
}

// The whole-file line, counted from 1, that holds the first NUL of `bytes`; 0 without one.
inline size_t NulLineOf(std::string_view bytes) {
  const size_t nul = bytes.find('\0');
  if (nul == std::string_view::npos) return 0;
  size_t ends = 0;
  for (size_t i = 0; i < nul; ++i) ends += bytes[i] == '\n' || (bytes[i] == '\r' && (i + 1 == bytes.size() || bytes[i + 1] != '\n'));
  return ends + 1;
}

// Every record of a loaded journal: its line inside the journal's buffer with no line end in
// it, each field cut from it free of tabs (the last column free of a leading one), a finite
// date-time, and a capped kind's texts no longer than the cap.
inline void CheckRecords(const Journal& journal, std::string_view breaks) {
  const KindDescription& kind = *journal.kind;
  const char* begin = journal.bytes.data();
  const char* end = begin + journal.bytes.size;
  std::array<std::string_view, kMaxColumns> fields;
  for (size_t i = 0; i < journal.size(); ++i) {
    FUZZ_CHECK(std::isfinite(journal.records.times[i]));
    const std::string_view line = journal.Line(i);
    FUZZ_CHECK(line.empty() || (line.data() >= begin && line.data() + line.size() <= end));
    FUZZ_CHECK(line.find_first_of(breaks) == std::string_view::npos);
    FieldsOfLine(kind, line, fields);
    for (int f = 0; f < kind.columns; ++f) {
      const std::string_view text = fields[static_cast<size_t>(f)];
      FUZZ_CHECK(text.empty() || (text.data() >= line.data() && text.data() + text.size() <= line.data() + line.size()));
      FUZZ_CHECK(text == FieldOfLine(kind, line, f));
      if (kind.capped && f != kind.dateTimeField) FUZZ_CHECK(text.size() <= kFieldCap);
      if (f < kind.columns - 1) FUZZ_CHECK(text.find('\t') == std::string_view::npos);
      if (f == kind.columns - 1 && !text.empty()) FUZZ_CHECK(text.front() != '\t');
    }
  }
}

// Each list: its all-values item first, each value once, exactly the values of its field over
// the records, and each record's item the entry of its own value.
inline void CheckLists(const Journal& journal) {
  const KindDescription& kind = *journal.kind;
  const Literals& words = Cp1251Literals();
  for (int l = 0; l < kind.listCount; ++l) {
    const std::vector<std::string_view>& list = journal.List(l);
    const std::string& allItem = words.*kind.lists[l].allValues;
    FUZZ_CHECK(!list.empty() && list.front() == allItem);
    const std::set<std::string_view> listed(list.begin(), list.end());
    FUZZ_CHECK(listed.size() == list.size());
    std::set<std::string_view> values{allItem};
    const auto& items = journal.records.items[static_cast<size_t>(l)];
    for (size_t i = 0; i < journal.size(); ++i) {
      const std::string_view value = FieldOfLine(kind, journal.Line(i), kind.lists[l].field);
      values.insert(value);
      FUZZ_CHECK(items[i] < list.size());
      FUZZ_CHECK(list[items[i]] == value);
    }
    FUZZ_CHECK(values == listed);
  }
}

// A journal parsed in several parts equals the one parsed in one part.
inline void CheckSameJournal(const Journal& one, const Journal& many) {
  const KindDescription& kind = *one.kind;
  FUZZ_CHECK(many.kind == one.kind);
  FUZZ_CHECK(many.size() == one.size());
  FUZZ_CHECK(many.titles == one.titles);
  FUZZ_CHECK(many.progressMax == one.progressMax);
  FUZZ_CHECK(std::memcmp(&many.days.earliest, &one.days.earliest, sizeof(TDateTime)) == 0);
  FUZZ_CHECK(std::memcmp(&many.days.latest, &one.days.latest, sizeof(TDateTime)) == 0);
  for (int l = 0; l < kind.listCount; ++l) FUZZ_CHECK(many.List(l) == one.List(l));
  for (size_t i = 0; i < one.size(); ++i) {
    FUZZ_CHECK(std::memcmp(&many.records.times[i], &one.records.times[i], sizeof(TDateTime)) == 0);
    FUZZ_CHECK(many.Line(i) == one.Line(i));
    FUZZ_CHECK(many.Line(i).data() - many.bytes.data() == one.Line(i).data() - one.bytes.data());
    for (int l = 0; l < kind.listCount; ++l) {
      FUZZ_CHECK(many.records.items[static_cast<size_t>(l)][i] == one.records.items[static_cast<size_t>(l)][i]);
    }
    if (kind.messageField >= 0) FUZZ_CHECK(many.records.tones[i] == one.records.tones[i]);
  }
}

// Parses `bytes` in one part into `one` and again in several parts; both must fail with the
// same message or load the same journal. False when the load failed, after `checkError` has
// looked at the error.
// The whole-file lines of `bytes`, read one by one (not counted by the counter under test).
inline size_t WholeLinesRead(std::string_view bytes) {
  size_t lines = 0;
  WholeFileLines reader(bytes);
  std::string_view line;
  while (reader.Next(line)) ++lines;
  return lines;
}

template <typename CheckError>
bool ParseBothWays(std::string_view bytes, JournalKind kind, TDateTime startDate, Journal& one, CheckError checkError) {
  std::string oneError, manyError;
  try {
    one = ParseBytes(bytes, kind, 1, 0, startDate);
  } catch (const AppError& error) {
    checkError(error);
    oneError = error.Message();
  }
  Journal many;
  try {
    many = ParseBytes(bytes, kind, SecondParseParts(bytes), kMinPartBytes, startDate);
  } catch (const AppError& error) {
    manyError = error.Message();
  }
  FUZZ_CHECK(manyError == oneError);
  if (!oneError.empty()) return false;
  CheckSameJournal(one, many);
  return true;
}

}  // namespace vantorel::fuzz

namespace vantorel::fuzz {

// A whole-file kind's bytes parsed in one part and in several: the error may be only the
// loader's own, "Range check error" only for a file without any line; false after an error.
inline bool ParseWholeFileKind(std::string_view bytes, JournalKind kind, TDateTime startDate, size_t lines, Journal& journal) {
  return ParseBothWays(bytes, kind, startDate, journal, [lines](const AppError& error) {
    CheckLoaderError(error, kWholeFileBreaks, lines == 0);
  });
}

}  // namespace vantorel::fuzz
