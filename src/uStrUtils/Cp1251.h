#pragma once
// Windows-1251, the code page of the journals and of the literals compared with them.
#include <string>
#include <string_view>

namespace vantorel {

// Appends the UTF-8 form of Windows-1251 `bytes` to `out`. The one unassigned byte, 0x98,
// becomes U+FFFD.
void AppendCp1251AsUtf8(std::string& out, std::string_view bytes);
std::string Cp1251ToUtf8(std::string_view bytes);

// The Unicode code point of one Windows-1251 byte.
char32_t Cp1251CodePoint(unsigned char byte);

// The Windows-1251 byte of code point `cp`; false when the code page lacks it.
bool Cp1251ByteOf(char32_t cp, char& byte);

// Windows-1251 bytes of UTF-8 `text`; characters the code page lacks become '?'.
std::string Utf8ToCp1251(std::string_view text);

}  // namespace vantorel
