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
inline constexpr int kSettingsCount = 6;

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

#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "journals/FileBytes.h"
#include "uStrUtils/AppError.h"

namespace vantorel::fuzz {

// A journal's bytes as the loaders receive them from the file.
inline FileBytes BytesOf(const uint8_t* data, size_t size) {
  FileBytes bytes;
  bytes.data = std::make_unique<char[]>(size + 1);
  if (size != 0) std::memcpy(bytes.data.get(), data, size);
  bytes.size = size;
  return bytes;
}

// The two errors a loader may raise over bytes already read: the record count of a file
// without lines, and the date-time conversion error quoting a field.
inline bool IsLoaderError(const AppError& error) {
  const std::string_view message = error.what();
  if (message == "Range check error") return true;
  constexpr std::string_view kTail = "' is not a valid date and time";
  return message.size() >= kTail.size() + 1 && message.front() == '\'' &&
         message.substr(message.size() - kTail.size()) == kTail;
}

// A filter list: its all-values item first, then distinct values.
inline void CheckList(const std::vector<std::string_view>& list, std::string_view allItem) {
  FUZZ_CHECK(!list.empty() && list.front() == allItem);
  std::set<std::string_view> seen(list.begin(), list.end());
  FUZZ_CHECK(seen.size() == list.size());
}

// A record text lies inside the journal's buffer.
inline void CheckInside(std::string_view text, const FileBytes& bytes) {
  if (text.empty()) return;
  FUZZ_CHECK(text.data() >= bytes.data.get());
  FUZZ_CHECK(text.data() + text.size() <= bytes.data.get() + bytes.size);
}

}  // namespace vantorel::fuzz

#include "datetime/DateTimeParse.h"

namespace vantorel::fuzz {

// Journals are read with the Russian settings of the sample journals.
inline const DateTimeRules& JournalRules() {
  static const DateTimeRules rules = SettingsNumber(1, 2026);
  return rules;
}

// What never stands inside a whole-file line, and inside a text line.
inline constexpr std::string_view kWholeFileBreaks("\r\n\0", 3);
inline constexpr std::string_view kTextBreaks("\r\n\x1A", 3);

// A loader error is one of the two it may raise; a conversion error quotes a text that is
// one field of one line, and that truly does not convert. A text line may hold a NUL byte,
// where the error's C-string message ends: for input with a NUL (`mayBeCut`) only the
// quote's start can be checked, since the cut message may even look whole.
inline void CheckLoaderError(const AppError& error, std::string_view breaks, bool mayBeCut = false) {
  const std::string_view message = error.what();
  if (mayBeCut) {
    FUZZ_CHECK(!message.empty() && message.front() == '\'');
    FUZZ_CHECK(message.find_first_of(breaks) == std::string_view::npos);
    return;
  }
  FUZZ_CHECK(IsLoaderError(error));
  if (message == "Range check error") return;
  const std::string_view quoted = message.substr(1, message.size() - 1 - std::strlen("' is not a valid date and time"));
  FUZZ_CHECK(quoted.find('\t') == std::string_view::npos);
  FUZZ_CHECK(quoted.find_first_of(breaks) == std::string_view::npos);
  TDateTime value = 0;
  FUZZ_CHECK(!TryStrToDateTime(quoted, JournalRules(), value));
}

// A text cut from a record line: inside the buffer, no line end in it, and when it is a
// field rather than a line's rest, no tab either.
inline void CheckField(std::string_view text, const FileBytes& bytes, std::string_view breaks, bool rest) {
  CheckInside(text, bytes);
  FUZZ_CHECK(text.find_first_of(breaks) == std::string_view::npos);
  if (!rest) FUZZ_CHECK(text.find('\t') == std::string_view::npos);
  if (rest && !text.empty()) FUZZ_CHECK(text.front() != '\t');
}

// The list holds exactly the all-values item and the values of `field` over the records.
template <typename Records, typename Field>
void CheckListValues(const std::vector<std::string_view>& list, std::string_view allItem, const Records& loaded,
                     Field field) {
  CheckList(list, allItem);
  std::set<std::string_view> values{allItem};
  for (const auto& record : loaded.records) values.insert(loaded.Text(field(record)));
  FUZZ_CHECK(values == std::set<std::string_view>(list.begin(), list.end()));
}

}  // namespace vantorel::fuzz
