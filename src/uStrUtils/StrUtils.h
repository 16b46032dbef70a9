#pragma once
// Field cutting and list lookup over single-byte journal text.
#include <string_view>
#include <vector>

namespace vantorel {

// Cuts the first field off `source` at `delimiter`: `field` receives the text before the
// first delimiter (all of `source` when there is none) and `source` keeps what follows,
// with the whole run of delimiters behind the field removed. An empty source gives an
// empty field. Views point into the caller's text; nothing is copied.
void CutField(std::string_view& source, char delimiter, std::string_view& field);

// True when some item of `list` equals `sought` byte for byte.
bool ContainsString(const std::vector<std::string_view>& list, std::string_view sought);

}  // namespace vantorel
