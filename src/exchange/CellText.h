#pragma once
// The text of a workbook cell as the spreadsheet will read it back.
#include <cstddef>
#include <string>
#include <string_view>

namespace vantorel {

// A spreadsheet cell holds at most this many characters.
inline constexpr size_t kCellChars = 32767;

// Appends `cell` (Windows-1251) to `out` as the UTF-8 text of a workbook cell: a literal
// _xHHHH_, which a spreadsheet would read as the character HHHH, keeps its underscore as
// _x005F_, so that the text reads back as it was; a cell that holds more than kCellChars
// characters (as written, the _x005F_ escapes counted) is cut to its first characters and
// ends with "…", kCellChars in all. True when the cell was cut.
bool AppendCellText(std::string& out, std::string_view cell);

// The notice of a workbook `cells` of whose cells were cut (Windows-1251).
std::string CutCellsNotice(size_t cells);

}  // namespace vantorel
