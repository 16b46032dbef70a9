#include "datetime/DateTimeReader.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "datetime/DateTimeParse.h"

// The fast path accepts only texts whose conversion it can retrace step by step:
//   date     = number sep number sep number          (1 to 4 digits each)
//   clock    = hour : minute : second [ dec fraction ] (1 or 2 digits, fraction 1 to 3)
//   text     = date | date " " clock | date " " clock " " word | date " " word " " clock
// with exactly one blank where one is shown and nothing after the last part. Whatever it
// does not accept, or accepts but finds out of range, goes to TryStrToDateTime.

namespace vantorel {

namespace {

bool IsDigit(char c) { return static_cast<unsigned char>(c - '0') < 10; }

// A separator that the general conversion can find after a number: a digit would be read
// into the number, and a blank is skipped before the separator is looked for.
bool IsPlainSeparator(char c) { return c != ' ' && !IsDigit(c); }

// Reads 1 to `maxDigits` digits at `p` and moves past them; false when there are none or
// more follow, since the general conversion would read those into the same number.
bool ReadDigits(const char*& p, const char* end, int maxDigits, uint32_t& value, int& digits) {
  const char* start = p;
  uint32_t v = 0;
  while (p != end && IsDigit(*p)) {
    if (p - start == maxDigits) return false;
    v = v * 10 + static_cast<uint32_t>(*p - '0');
    ++p;
  }
  if (p == start) return false;
  value = v;
  digits = static_cast<int>(p - start);
  return true;
}

// Upper case of Latin and Russian letters in Windows-1251, as the general conversion
// compares marker words; other bytes unchanged.
unsigned char FoldCase(unsigned char c) {
  if (c >= 'a' && c <= 'z') return static_cast<unsigned char>(c - 32);
  if (c >= 0xE0) return static_cast<unsigned char>(c - 32);
  if (c == 0xB8) return 0xA8;
  return c;
}

size_t WordLength(const char* p, const char* end, std::string_view word) {
  if (word.empty() || static_cast<size_t>(end - p) < word.size()) return 0;
  for (size_t i = 0; i < word.size(); ++i) {
    if (FoldCase(static_cast<unsigned char>(p[i])) != FoldCase(static_cast<unsigned char>(word[i]))) {
      return 0;
    }
  }
  return word.size();
}

// The marker word at `p` chosen as the general conversion chooses it (the longest match, the
// first of equals): 0 for morning, 12 for afternoon, -1 for none; `length` is its size.
int MarkerAt(const char* p, const char* end, const RegionalSettings& settings, size_t& length) {
  const std::string_view words[4] = {settings.timeAMString, "AM", settings.timePMString, "PM"};
  length = 0;
  int baseHour = -1;
  for (int i = 0; i < 4; ++i) {
    const size_t found = WordLength(p, end, words[i]);
    if (found > length) {
      length = found;
      baseHour = i < 2 ? 0 : 12;
    }
  }
  return baseHour;
}

// Exactly `count` digits at `p`.
bool FixedDigits(const char* p, int count, int& value) {
  int v = 0;
  for (int i = 0; i < count; ++i) {
    const unsigned digit = static_cast<unsigned char>(p[i]) - unsigned{'0'};
    if (digit > 9) return false;
    v = v * 10 + static_cast<int>(digit);
  }
  value = v;
  return true;
}

bool StartsWithDigit(const std::string& word) { return !word.empty() && IsDigit(word[0]); }

template <typename Word>
Word Load(const char* p) {
  Word word;
  std::memcpy(&word, p, sizeof word);
  return word;
}

// Whether n bytes, 4 to 16 of them, are equal: two overlapping words at either end.
bool SameBytes(const char* a, const char* b, size_t n) {
  if (n >= 8) {
    return Load<uint64_t>(a) == Load<uint64_t>(b) &&
           Load<uint64_t>(a + n - 8) == Load<uint64_t>(b + n - 8);
  }
  return Load<uint32_t>(a) == Load<uint32_t>(b) && Load<uint32_t>(a + n - 4) == Load<uint32_t>(b + n - 4);
}

// Three numbers joined by the date separator, ended by the text's end or a blank: the day
// number as the general conversion finds it, and the date text's length.
bool ReadDate(std::string_view text, const DateTimeRules& rules, DateOrder order, size_t& length,
              TDateTime& day) {
  const char* const begin = text.data();
  const char* const end = begin + text.size();
  const char* p = begin;
  uint32_t n[3];
  int digits[3];
  for (int i = 0; i < 3; ++i) {
    if (i > 0) {
      if (p == end || *p != rules.regional.dateSeparator) return false;
      ++p;
    }
    if (!ReadDigits(p, end, 4, n[i], digits[i])) return false;
  }
  if (p != end && *p != ' ') return false;

  uint32_t month, dayOfMonth;
  int y = 2;
  switch (order) {
    case DateOrder::DayMonthYear: dayOfMonth = n[0]; month = n[1]; break;
    case DateOrder::YearMonthDay: y = 0; month = n[1]; dayOfMonth = n[2]; break;
    default: month = n[0]; dayOfMonth = n[1]; break;
  }
  uint32_t year = n[y];
  if (digits[y] <= 2) {
    // The century window of the general conversion, step for step.
    const int base = rules.currentYear - 50;
    int windowed = static_cast<int>(year) + base / 100 * 100;
    if (windowed < base) windowed += 100;
    if (windowed < 1) return false;
    year = static_cast<uint32_t>(windowed);
  }
  if (year > 9999 || month > 12 || dayOfMonth > 31) return false;
  if (!TryEncodeDate(static_cast<int>(year), static_cast<int>(month), static_cast<int>(dayOfMonth), day)) {
    return false;
  }
  length = static_cast<size_t>(p - begin);
  return true;
}

// Exactly "hh:mm:ss" or "hh:mm:ss.fff" from `p` to `end`, the widths of the settings' own
// texts with leading zeros, checked at their places.
bool ReadFixedClock(const char* p, const char* end, const RegionalSettings& r, bool milliseconds,
                    TimeParts& t) {
  const ptrdiff_t n = end - p;
  if (n == 12) {
    if (!milliseconds || p[8] != r.decimalSeparator || !FixedDigits(p + 9, 3, t.millisecond)) return false;
  } else if (n != 8) {
    return false;
  }
  return p[2] == r.timeSeparator && p[5] == r.timeSeparator && FixedDigits(p, 2, t.hour) &&
         FixedDigits(p + 3, 2, t.minute) && FixedDigits(p + 6, 2, t.second);
}

// Any clock of the fast shape from `p` to `end`, with a marker word before or after it; the
// hour is turned to the 24-hour clock by the marker.
bool ReadClock(const char* p, const char* end, const RegionalSettings& r, bool milliseconds, TimeParts& t) {
  if (p == end) return false;
  int baseHour = -1;
  if (!IsDigit(*p)) {
    // The general conversion would take a date separator here as the date's own last one.
    if (*p == r.dateSeparator || *p == ' ') return false;
    size_t length = 0;
    baseHour = MarkerAt(p, end, r, length);
    if (baseHour < 0) return false;
    p += length;
    if (p == end || *p != ' ') return false;
    ++p;
  }
  uint32_t hour, minute, second, ms = 0;
  int digits;
  if (!ReadDigits(p, end, 2, hour, digits) || p == end || *p != r.timeSeparator) return false;
  ++p;
  if (!ReadDigits(p, end, 2, minute, digits) || p == end || *p != r.timeSeparator) return false;
  ++p;
  if (!ReadDigits(p, end, 2, second, digits)) return false;
  if (milliseconds && p != end && *p == r.decimalSeparator) {
    ++p;
    if (!ReadDigits(p, end, 3, ms, digits)) return false;
  }
  if (p != end) {
    if (baseHour >= 0 || *p != ' ') return false;
    ++p;
    // A decimal separator here would be taken as the start of milliseconds.
    if (p == end || *p == ' ' || *p == r.decimalSeparator) return false;
    size_t length = 0;
    baseHour = MarkerAt(p, end, r, length);
    if (baseHour < 0 || length != static_cast<size_t>(end - p)) return false;
  }
  if (baseHour >= 0) {
    if (hour == 0 || hour > 12) return false;
    if (hour == 12) hour = 0;
    hour += static_cast<uint32_t>(baseHour);
  }
  t.hour = static_cast<int>(hour);
  t.minute = static_cast<int>(minute);
  t.second = static_cast<int>(second);
  t.millisecond = static_cast<int>(ms);
  return true;
}

}  // namespace

DateTimeReader::DateTimeReader(const DateTimeRules& rules)
    : rules_(rules), order_(rules.regional.Order()) {
  const RegionalSettings& r = rules_.regional;
  // A marker word that starts with a digit could match at the hour and change its reading.
  fast_ = IsPlainSeparator(r.dateSeparator) && IsPlainSeparator(r.timeSeparator) &&
          !StartsWithDigit(r.timeAMString) && !StartsWithDigit(r.timePMString);
  milliseconds_ = IsPlainSeparator(r.decimalSeparator);
}

bool DateTimeReader::TryRead(std::string_view text, TDateTime& out) {
  if (!fast_) return TryStrToDateTime(text, rules_, out);
  size_t length = lastDateLength_;
  TDateTime day = lastDay_;
  // The same date bytes, ended where a fresh read would end them, give the same day.
  const bool sameDate = length != 0 && text.size() >= length &&
                        SameBytes(text.data(), lastDate_, length) &&
                        (text.size() == length || text[length] == ' ');
  if (!sameDate) {
    if (!ReadDate(text, rules_, order_, length, day)) return TryStrToDateTime(text, rules_, out);
    std::memcpy(lastDate_, text.data(), length);
    lastDateLength_ = length;
    lastDay_ = day;
  }
  TDateTime time = 0;
  if (text.size() != length) {
    // The clock starts after the date's blank.
    const char* const p = text.data() + length + 1;
    const char* const end = text.data() + text.size();
    // Records of one second most often follow one another: the same clock bytes, the same time.
    const auto clockLength = static_cast<size_t>(end - p);
    if (clockLength == lastClockLength_ && clockLength >= 4 && SameBytes(p, lastClock_, clockLength)) {
      out = day >= 0 ? day + lastTime_ : day - lastTime_;
      return true;
    }
    TimeParts t;
    if (!ReadFixedClock(p, end, rules_.regional, milliseconds_, t) &&
        !ReadClock(p, end, rules_.regional, milliseconds_, t)) {
      return TryStrToDateTime(text, rules_, out);
    }
    if (t.hour > 23 || t.minute > 59 || t.second > 59) return TryStrToDateTime(text, rules_, out);
    time = EncodeTime(t.hour, t.minute, t.second, t.millisecond);
    if (clockLength >= 4 && clockLength <= kMaxClockLength) {
      std::memcpy(lastClock_, p, clockLength);
      lastClockLength_ = clockLength;
      lastTime_ = time;
    }
  }
  // Combined as the general conversion does: before 30 December 1899 the time is subtracted.
  out = day >= 0 ? day + time : day - time;
  return true;
}

TDateTime DateTimeReader::Read(std::string_view text) {
  TDateTime value = 0;
  if (TryRead(text, value)) return value;
  // Only to raise the error exactly as the general conversion words it.
  return StrToDateTime(text, rules_);
}

}  // namespace vantorel
