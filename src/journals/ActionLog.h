#pragma once
// Action journals (".action"): what users did, one action per line.
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "datetime/DateTime.h"
#include "datetime/RegionalSettings.h"
#include "journals/FileBytes.h"
#include "journals/LoadObserver.h"
#include "journals/Records.h"

namespace vantorel {

inline constexpr int kActionColumns = 6;

// Texts of any length; the date-time is the line's second field.
struct ActLine {
  LongText User{};
  TDateTime DateTime = 0;
  LongText Detail1{};
  LongText Detail2{};
  LongText Detail3{};
  LongText Action{};
  // The filter-list items of User and Action.
  uint32_t UserItem = 0;
  uint32_t ActionItem = 0;
};

struct ActionRecords {
  FileBytes bytes;
  std::vector<ActLine> records;
  // The lengths of texts too long for a LongText, by offset.
  std::unordered_map<uint64_t, uint64_t> longLengths;

  size_t size() const { return records.size(); }
  bool empty() const { return records.empty(); }
  std::string_view Text(LongText t) const {
    const uint64_t length = t.length == kLongTextApart ? longLengths.at(t.offset) : t.length;
    return {bytes.data.get() + t.offset, length};
  }
  // The LongText of `text`, a view into this journal's bytes.
  LongText Keep(std::string_view text) {
    if (text.empty()) return LongText{0, 0};
    const auto offset = static_cast<uint64_t>(text.data() - bytes.data.get());
    if (text.size() < kLongTextApart) return LongText{offset, text.size()};
    longLengths[offset] = text.size();
    return LongText{offset, kLongTextApart};
  }
};

struct ActionLists {
  std::vector<std::string_view> users;
  std::vector<std::string_view> actions;
};

struct ActionLoad {
  ActionRecords records;
  ActionLists lists;
  // The progress bar's maximum: the file's whole-file line count.
  size_t progressMax = 0;
};

// Reads the action journal at `path`. The whole-file line count gives only the progress
// maximum; records come from the text lines after the first (LF or CR LF ends a line, other
// CRs are dropped, Ctrl-Z ends the file). Raises AppError: the file's input/output error
// or the date-time conversion error of the first bad record.
ActionLoad LoadActionLog(const std::string& path, const DateTimeRules& rules, LoadObserver& observer);

ActionLoad ParseActionLog(FileBytes bytes, const DateTimeRules& rules, LoadObserver& observer);

}  // namespace vantorel
