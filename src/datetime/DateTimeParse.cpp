#include "datetime/DateTimeParse.h"

#include <cstddef>
#include <cstdint>
#include <string>

#include "uStrUtils/AppError.h"
#include "uStrUtils/MessageValue.h"

namespace vantorel {

namespace {

// Numbers stop growing here; every field that reaches it is out of range anyway.
constexpr uint32_t kNumberCap = 100000000;

struct Number {
  uint32_t value = 0;
  size_t digits = 0;
};

// Upper case of Latin and Russian letters in Windows-1251; other bytes unchanged.
unsigned char FoldCase(unsigned char c) {
  if (c >= 'a' && c <= 'z') return static_cast<unsigned char>(c - 32);
  if (c >= 0xE0) return static_cast<unsigned char>(c - 32);
  if (c == 0xB8) return 0xA8;
  return c;
}

class Scanner {
 public:
  explicit Scanner(std::string_view text) : p_(text.data()), end_(text.data() + text.size()) {}

  bool AtEnd() const { return p_ == end_; }

  void SkipSpaces() {
    while (p_ != end_ && *p_ == ' ') ++p_;
  }

  bool ReadNumber(Number& out) {
    SkipSpaces();
    const char* start = p_;
    uint32_t value = 0;
    while (p_ != end_ && static_cast<unsigned char>(*p_ - '0') < 10) {
      if (value < kNumberCap) value = value * 10 + static_cast<uint32_t>(*p_ - '0');
      ++p_;
    }
    if (p_ == start) return false;
    out.value = value;
    out.digits = static_cast<size_t>(p_ - start);
    return true;
  }

  bool ReadChar(char c) {
    SkipSpaces();
    if (p_ == end_ || *p_ != c) return false;
    ++p_;
    return true;
  }

  // Length of `word` when the text at the current place starts with it in either case;
  // 0 when it does not, or when the word is empty.
  size_t WordLength(std::string_view word) const {
    if (word.empty() || static_cast<size_t>(end_ - p_) < word.size()) return 0;
    for (size_t i = 0; i < word.size(); ++i) {
      if (FoldCase(static_cast<unsigned char>(p_[i])) !=
          FoldCase(static_cast<unsigned char>(word[i]))) {
        return 0;
      }
    }
    return word.size();
  }

  // A morning or afternoon marker: 0 for morning, 12 for afternoon, -1 when none stands
  // here (nothing is consumed then). The longest matching word wins.
  int ReadMarker(const RegionalSettings& settings) {
    SkipSpaces();
    const std::string_view words[4] = {settings.timeAMString, "AM", settings.timePMString, "PM"};
    size_t best = 0;
    int baseHour = -1;
    for (int i = 0; i < 4; ++i) {
      const size_t length = WordLength(words[i]);
      if (length > best) {
        best = length;
        baseHour = i < 2 ? 0 : 12;
      }
    }
    p_ += best;
    return baseHour;
  }

  const char* Position() const { return p_; }
  void Restore(const char* position) { p_ = position; }

 private:
  const char* p_;
  const char* end_;
};

bool ScanDate(Scanner& in, const DateTimeRules& rules, TDateTime& date) {
  const char sep = rules.regional.dateSeparator;
  Number n1, n2, n3;
  if (!(in.ReadNumber(n1) && in.ReadChar(sep) && in.ReadNumber(n2))) return false;
  // A separator without a number after it is left for the trailing-separator rule below.
  const char* afterTwo = in.Position();
  const bool three = in.ReadChar(sep) && in.ReadNumber(n3);
  if (!three) in.Restore(afterTwo);

  const DateOrder order = rules.regional.Order();
  uint32_t year, month, day;
  if (three) {
    Number y;
    switch (order) {
      case DateOrder::DayMonthYear: day = n1.value; month = n2.value; y = n3; break;
      case DateOrder::YearMonthDay: y = n1; month = n2.value; day = n3.value; break;
      default: month = n1.value; day = n2.value; y = n3; break;
    }
    year = y.value;
    if (y.digits <= 2) {
      const int base = rules.currentYear - 50;
      int windowed = static_cast<int>(year) + base / 100 * 100;
      if (windowed < base) windowed += 100;
      if (windowed < 1) return false;
      year = static_cast<uint32_t>(windowed);
    }
  } else {
    if (rules.currentYear < 1) return false;
    year = static_cast<uint32_t>(rules.currentYear);
    if (order == DateOrder::DayMonthYear) {
      day = n1.value;
      month = n2.value;
    } else {
      month = n1.value;
      day = n2.value;
    }
  }
  in.ReadChar(sep);
  if (year > 9999 || month > 12 || day > 31) return false;
  return TryEncodeDate(static_cast<int>(year), static_cast<int>(month), static_cast<int>(day),
                       date);
}

bool ScanTime(Scanner& in, const RegionalSettings& settings, TDateTime& time) {
  int baseHour = in.ReadMarker(settings);
  Number hour, minute, second, ms;
  if (!in.ReadNumber(hour)) return false;
  if (in.ReadChar(settings.timeSeparator)) {
    if (!in.ReadNumber(minute)) return false;
    if (in.ReadChar(settings.timeSeparator)) {
      if (!in.ReadNumber(second)) return false;
      if (in.ReadChar(settings.decimalSeparator) && !in.ReadNumber(ms)) return false;
    }
  }
  if (baseHour < 0) baseHour = in.ReadMarker(settings);
  uint32_t h = hour.value;
  if (baseHour >= 0) {
    if (h == 0 || h > 12) return false;
    if (h == 12) h = 0;
    h += static_cast<uint32_t>(baseHour);
  }
  in.SkipSpaces();
  if (h > 23 || minute.value > 59 || second.value > 59 || ms.value > 999) return false;
  time = EncodeTime(static_cast<int>(h), static_cast<int>(minute.value),
                    static_cast<int>(second.value), static_cast<int>(ms.value));
  return true;
}

}  // namespace

bool TryStrToDateTime(std::string_view text, const DateTimeRules& rules, TDateTime& out) {
  {
    Scanner in(text);
    TDateTime date = 0;
    TDateTime time = 0;
    if (ScanDate(in, rules, date)) {
      in.SkipSpaces();
      if (in.AtEnd() || ScanTime(in, rules.regional, time)) {
        // Before 30 December 1899 the time is subtracted, so that the day stays the
        // whole part of the value.
        out = date >= 0 ? date + time : date - time;
        return true;
      }
    }
  }
  Scanner in(text);
  TDateTime time = 0;
  if (!ScanTime(in, rules.regional, time) || !in.AtEnd()) return false;
  out = time;
  return true;
}

TDateTime StrToDateTime(std::string_view text, const DateTimeRules& rules) {
  TDateTime value = 0;
  if (!TryStrToDateTime(text, rules, value)) {
    std::string message = "'";
    AppendMessageValue(message, text);
    message += "' is not a valid date and time";
    throw AppError(message);
  }
  return value;
}

}  // namespace vantorel
