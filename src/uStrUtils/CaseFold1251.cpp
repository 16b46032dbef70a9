#include "uStrUtils/CaseFold1251.h"

#include <cstddef>
#include <utility>

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

constexpr std::array<unsigned char, 256> MakeOtherTable(const std::array<unsigned char, 256>& fold) {
  std::array<unsigned char, 256> table{};
  for (int b = 0; b < 256; ++b) table[static_cast<size_t>(b)] = static_cast<unsigned char>(b);
  for (int b = 0; b < 256; ++b) {
    const unsigned char lower = fold[static_cast<size_t>(b)];
    if (lower == b) continue;
    table[static_cast<size_t>(b)] = lower;
    table[lower] = static_cast<unsigned char>(b);
  }
  return table;
}

constexpr std::array<unsigned char, 256> kFold = MakeFoldTable();
constexpr std::array<unsigned char, 256> kOther = MakeOtherTable(kFold);

}  // namespace

unsigned char FoldCase1251(unsigned char byte) { return kFold[byte]; }
unsigned char OtherCase1251(unsigned char byte) { return kOther[byte]; }
const std::array<unsigned char, 256>& FoldTable1251() { return kFold; }

}  // namespace vantorel
