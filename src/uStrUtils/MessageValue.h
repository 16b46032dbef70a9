#pragma once
// A value of a journal quoted in a message, cut short enough for a message box or a terminal.
#include <cstddef>
#include <string>
#include <string_view>

namespace vantorel {

// How many characters of a quoted value a message shows.
inline constexpr size_t kMessageValueChars = 200;

// Appends `value` (Windows-1251) to `out`: whole up to kMessageValueChars characters; a longer
// one as its first kMessageValueChars characters followed by "…" (0x85).
void AppendMessageValue(std::string& out, std::string_view value);

}  // namespace vantorel
