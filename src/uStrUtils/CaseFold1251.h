#pragma once
// Letter case in Windows-1251: Latin and Cyrillic letters, Ё and the other letters of the
// code page, each paired with its other case. The one case fold of the find bar, the text
// filters and their regular expressions.
#include <array>

namespace vantorel {

// The lower case of a byte: a letter's small form; any other byte is itself.
unsigned char FoldCase1251(unsigned char byte);

// The other case of a letter (А for а, а for А); any other byte is itself.
unsigned char OtherCase1251(unsigned char byte);

// The fold of every byte, for loops that fold many.
const std::array<unsigned char, 256>& FoldTable1251();

}  // namespace vantorel
