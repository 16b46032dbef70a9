#pragma once
// Finding typed text in the display texts of a view's rows, letter case aside.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "document/JournalDocument.h"
#include "document/TextMatcher.h"

namespace vantorel {

class TextFinder {
 public:
  // `needle` in Windows-1251, letter case aside; an empty needle finds nothing.
  explicit TextFinder(std::string_view needle);
  // The text of `text`, as a text filter would look for it (its `hide` aside). Raises
  // AppError for a regular expression RE2 refuses.
  explicit TextFinder(const TextFilter& text);

  // True when some display text of the record holds the needle, letter case aside.
  bool Matches(const JournalDocument& document, size_t record, std::string& scratch) const {
    return MatchColumn(document, record, scratch) >= 0;
  }
  // The first column whose display text holds the needle; -1 for none.
  int MatchColumn(const JournalDocument& document, size_t record, std::string& scratch) const;
  bool Holds(std::string_view text) const { return !empty_ && matcher_.Holds(text); }

 private:
  TextMatcher matcher_;
  bool empty_;
};

// Where a search through the shown rows stands.
struct FindStep {
  // The shown row found (0-based among the view's rows), or -1.
  long long found = -1;
  // The first column of the found row that holds the text, or -1.
  int column = -1;
  // Rows still to look at; 0 when the search is over.
  size_t left = 0;
  // The row to look at next.
  size_t next = 0;
};

// A search of `count` shown rows from the row after `current` (or before it), wrapping round
// the ends; with no current row (-1), from the first row (or the last).
FindStep StartFind(size_t count, long long current, bool forward);

// Looks at up to `budget` rows of `rows`, starting at `step.next` and going forward (or
// backward), wrapping around the ends, until `step.left` rows were looked at or one matches.
void FindRows(const JournalDocument& document, const RowSet& rows, const TextFinder& finder, bool forward,
              size_t budget, FindStep& step);

}  // namespace vantorel
