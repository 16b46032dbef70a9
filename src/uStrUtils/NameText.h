#pragma once
// A file's name as the file system holds it, made into Windows-1251 text that shows every
// byte of it: what the programs print and put in messages wherever they name a file.
#include <string>
#include <string_view>

namespace vantorel {

// `bytes` (a path or a file name, UTF-8 as the file system usually holds it) as Windows-1251
// text: characters of the code page as themselves; a byte that is no part of UTF-8 as
// \xc6; a control character as \x09 and the like; a character the code page lacks as
// \u65e5 (\U0001f600 beyond the first plane); a backslash as \\. No two names give one text,
// and the text holds no tab, line end or other control byte.
std::string NameText(std::string_view bytes);

}  // namespace vantorel
