#include "document/FindText.h"

namespace vantorel {
namespace {

constexpr std::array<unsigned char, 256> MakeFoldTable() {
  std::array<unsigned char, 256> table{};
  for (int b = 0; b < 256; ++b) table[static_cast<size_t>(b)] = static_cast<unsigned char>(b);
  for (int b = 'A'; b <= 'Z'; ++b) table[static_cast<size_t>(b)] = static_cast<unsigned char>(b + 32);
  // А..Я are 0xC0..0xDF, а..я 0xE0..0xFF.
  for (int b = 0xC0; b <= 0xDF; ++b) table[static_cast<size_t>(b)] = static_cast<unsigned char>(b + 32);
  // Upper and lower case pairs of the code page's other letters: Ђ ђ, Ѓ ѓ, Љ љ, Њ њ, Ќ ќ, Ћ ћ,
  // Џ џ, Ў ў, Ј ј, Ґ ґ, Ё ё, Є є, Ї ї, І і, Ѕ ѕ.
  constexpr std::pair<int, int> kPairs[] = {{0x80, 0x90}, {0x81, 0x83}, {0x8A, 0x9A}, {0x8C, 0x9C}, {0x8D, 0x9D},
                                            {0x8E, 0x9E}, {0x8F, 0x9F}, {0xA1, 0xA2}, {0xA3, 0xBC}, {0xA5, 0xB4},
                                            {0xA8, 0xB8}, {0xAA, 0xBA}, {0xAF, 0xBF}, {0xB2, 0xB3}, {0xBD, 0xBE}};
  for (const auto& [upper, lower] : kPairs) table[static_cast<size_t>(upper)] = static_cast<unsigned char>(lower);
  return table;
}

constexpr std::array<unsigned char, 256> kFold = MakeFoldTable();

// The row after (or before) `row` among `count`, round the ends.
size_t Step(size_t row, size_t count, bool forward) { return forward ? (row + 1) % count : (row + count - 1) % count; }

}  // namespace

unsigned char FoldCase1251(unsigned char byte) { return kFold[byte]; }

TextFinder::TextFinder(std::string_view needle) {
  for (char c : needle) folded_.push_back(static_cast<char>(kFold[static_cast<unsigned char>(c)]));
}

bool TextFinder::Holds(std::string_view text) const {
  const size_t n = folded_.size();
  if (n == 0 || text.size() < n) return false;
  const auto first = static_cast<unsigned char>(folded_[0]);
  for (size_t at = 0; at + n <= text.size(); ++at) {
    if (kFold[static_cast<unsigned char>(text[at])] != first) continue;
    size_t i = 1;
    while (i < n && kFold[static_cast<unsigned char>(text[at + i])] == static_cast<unsigned char>(folded_[i])) ++i;
    if (i == n) return true;
  }
  return false;
}

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
