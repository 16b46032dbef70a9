#include "exchange/CellText.h"

#include "uStrUtils/Cp1251.h"

namespace vantorel {
namespace {

// What a spreadsheet writes before an underscore that would start an escape.
constexpr std::string_view kUnderscore = "_x005F";

bool IsHex(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

// Whether `text` holds an escape _xHHHH_ at `at`.
bool EscapeAt(std::string_view text, size_t at) {
  return at + 7 <= text.size() && text[at] == '_' && text[at + 1] == 'x' && IsHex(text[at + 2]) &&
         IsHex(text[at + 3]) && IsHex(text[at + 4]) && IsHex(text[at + 5]) && text[at + 6] == '_';
}

}  // namespace

bool AppendCellText(std::string& out, std::string_view cell) {
  // Characters as written: one a byte, and the escape of each underscore that needs one.
  size_t written = cell.size();
  const bool anyUnderscore = cell.find('_') != std::string_view::npos;
  if (anyUnderscore) {
    for (size_t at = cell.find('_'); at != std::string_view::npos; at = cell.find('_', at + 1)) {
      if (EscapeAt(cell, at)) written += kUnderscore.size();
    }
  }
  if (written <= kCellChars && !anyUnderscore) {
    AppendCp1251AsUtf8(out, cell);
    return false;
  }
  const bool cut = written > kCellChars;
  // Room for the text; a cut one keeps one character for the "…".
  const size_t room = cut ? kCellChars - 1 : kCellChars;
  size_t used = 0;
  size_t from = 0;
  for (size_t at = 0; at < cell.size(); ++at) {
    const size_t cost = EscapeAt(cell, at) ? kUnderscore.size() + 1 : 1;
    if (used + cost > room) {
      AppendCp1251AsUtf8(out, cell.substr(from, at - from));
      out += "\xE2\x80\xA6";
      return true;
    }
    if (cost > 1) {
      AppendCp1251AsUtf8(out, cell.substr(from, at - from));
      out += kUnderscore;
      from = at;
    }
    used += cost;
  }
  AppendCp1251AsUtf8(out, cell.substr(from));
  return false;
}

std::string CutCellsNotice(size_t cells) {
  return Utf8ToCp1251("Ячеек длиннее 32 767 знаков, обрезанных с «…» в конце: " + std::to_string(cells));
}

}  // namespace vantorel
