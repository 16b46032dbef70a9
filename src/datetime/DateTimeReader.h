#pragma once
// The date-time fields of a journal, read fast when they have the shape the settings write.
#include <cstddef>
#include <string_view>

#include "datetime/DateTime.h"
#include "datetime/RegionalSettings.h"

namespace vantorel {

// Reads the date-time fields of one journal, one reader per thread. Texts of the shape the
// regional settings write take a fast path that keeps the day number while the date repeats;
// any other text goes through TryStrToDateTime. Values and failures equal TryStrToDateTime's
// for every text.
class DateTimeReader {
 public:
  // Keeps a copy of the rules.
  explicit DateTimeReader(const DateTimeRules& rules);

  // As TryStrToDateTime: false when the text is no date-time, `out` then unchanged.
  bool TryRead(std::string_view text, TDateTime& out);

  // As StrToDateTime: raises the same AppError when the text is no date-time.
  TDateTime Read(std::string_view text);

 private:
  // The longest date text of the fast path: three numbers of up to four digits.
  static constexpr size_t kMaxDateLength = 14;

  DateTimeRules rules_;
  DateOrder order_;
  // Whether the settings let the fast path run at all, and read a fraction of a second.
  bool fast_;
  bool milliseconds_;
  // The date text of the last fast read that had a valid date, and its day number.
  char lastDate_[kMaxDateLength] = {};
  size_t lastDateLength_ = 0;
  TDateTime lastDay_ = 0;
  // The clock text of the last fast read that had a valid time, and that time.
  static constexpr size_t kMaxClockLength = 16;
  char lastClock_[kMaxClockLength] = {};
  size_t lastClockLength_ = 0;
  TDateTime lastTime_ = 0;
};

}  // namespace vantorel
