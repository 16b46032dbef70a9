#include "uStrUtils/NameText.h"

#include "uStrUtils/Cp1251.h"

namespace vantorel {
namespace {

constexpr char kHex[] = "0123456789abcdef";

void AppendHex(std::string& out, const char* prefix, char32_t value, int digits) {
  out += prefix;
  for (int d = digits - 1; d >= 0; --d) out.push_back(kHex[(value >> (4 * d)) & 15]);
}

bool Continuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// The code point of the UTF-8 sequence at `at` and its length; 0 when the bytes there are no
// well-formed sequence (overlong forms and surrogates included).
size_t DecodeOne(std::string_view bytes, size_t at, char32_t& cp) {
  const auto b0 = static_cast<unsigned char>(bytes[at]);
  const size_t left = bytes.size() - at;
  auto byte = [&](size_t k) { return static_cast<unsigned char>(bytes[at + k]); };
  if (b0 < 0x80) {
    cp = b0;
    return 1;
  }
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    if (left < 2 || !Continuation(byte(1))) return 0;
    cp = (char32_t{b0} & 0x1F) << 6 | (byte(1) & 0x3F);
    return 2;
  }
  if (b0 >= 0xE0 && b0 <= 0xEF) {
    if (left < 3 || !Continuation(byte(1)) || !Continuation(byte(2))) return 0;
    if ((b0 == 0xE0 && byte(1) < 0xA0) || (b0 == 0xED && byte(1) > 0x9F)) return 0;
    cp = (char32_t{b0} & 0x0F) << 12 | char32_t{byte(1) & 0x3Fu} << 6 | (byte(2) & 0x3F);
    return 3;
  }
  if (b0 >= 0xF0 && b0 <= 0xF4) {
    if (left < 4 || !Continuation(byte(1)) || !Continuation(byte(2)) || !Continuation(byte(3))) return 0;
    if ((b0 == 0xF0 && byte(1) < 0x90) || (b0 == 0xF4 && byte(1) > 0x8F)) return 0;
    cp = (char32_t{b0} & 0x07) << 18 | char32_t{byte(1) & 0x3Fu} << 12 | char32_t{byte(2) & 0x3Fu} << 6 | (byte(3) & 0x3F);
    return 4;
  }
  return 0;
}

}  // namespace

std::string NameText(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (size_t at = 0; at < bytes.size();) {
    char32_t cp = 0;
    const size_t length = DecodeOne(bytes, at, cp);
    if (length == 0) {
      AppendHex(out, "\\x", static_cast<unsigned char>(bytes[at]), 2);
      ++at;
      continue;
    }
    at += length;
    char byte = 0;
    if (cp < 0x20 || cp == 0x7F) {
      AppendHex(out, "\\x", cp, 2);
    } else if (cp == '\\') {
      out += "\\\\";
    } else if (Cp1251ByteOf(cp, byte)) {
      out.push_back(byte);
    } else if (cp <= 0xFFFF) {
      AppendHex(out, "\\u", cp, 4);
    } else {
      AppendHex(out, "\\U", cp, 8);
    }
  }
  return out;
}

}  // namespace vantorel
