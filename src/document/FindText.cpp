#include "document/FindText.h"

namespace vantorel {
namespace {

// The row after (or before) `row` among `count`, round the ends.
size_t Step(size_t row, size_t count, bool forward) { return forward ? (row + 1) % count : (row + count - 1) % count; }

}  // namespace

TextFinder::TextFinder(std::string_view needle) : TextFinder(TextFilter{std::string(needle)}) {}

TextFinder::TextFinder(const TextFilter& text) : matcher_(text), empty_(text.text.empty()) {}

int TextFinder::MatchColumn(const JournalDocument& document, size_t record, std::string& scratch) const {
  std::array<std::string_view, kMaxColumns> cells{};
  document.Cells(record, cells, scratch);
  for (int c = 0; c < document.ColumnCount(); ++c) {
    if (Holds(cells[static_cast<size_t>(c)])) return c;
  }
  return -1;
}

FindStep StartFind(size_t count, long long current, bool forward) {
  FindStep step;
  step.left = count;
  if (count == 0) return step;
  if (current < 0 || static_cast<size_t>(current) >= count) {
    step.next = forward ? 0 : count - 1;
  } else {
    step.next = Step(static_cast<size_t>(current), count, forward);
  }
  return step;
}

void FindRows(const JournalDocument& document, const RowSet& rows, const TextFinder& finder, bool forward,
              size_t budget, FindStep& step) {
  const size_t count = rows.size();
  step.found = -1;
  step.column = -1;
  if (count == 0) {
    step.left = 0;
    return;
  }
  std::string scratch;
  for (; step.left > 0 && budget > 0; --step.left, --budget) {
    const size_t row = step.next % count;
    step.next = Step(row, count, forward);
    const int column = finder.MatchColumn(document, rows.rows[row], scratch);
    if (column >= 0) {
      step.found = static_cast<long long>(row);
      step.column = column;
      step.left = 0;
      return;
    }
  }
}

}  // namespace vantorel
