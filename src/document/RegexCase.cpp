#include "document/RegexCase.h"

#include <algorithm>

#include "uStrUtils/CaseFold1251.h"

namespace vantorel {
namespace {

void AppendEscaped(std::string& out, unsigned char byte) {
  constexpr char kHex[] = "0123456789abcdef";
  out += "\\x";
  out += kHex[byte >> 4];
  out += kHex[byte & 15];
}

// A literal byte outside a class: a letter as the class of both its cases.
void AppendLiteral(std::string& out, unsigned char byte) {
  const unsigned char other = OtherCase1251(byte);
  if (other == byte) {
    out += static_cast<char>(byte);
    return;
  }
  out += '[';
  AppendEscaped(out, byte);
  AppendEscaped(out, other);
  out += ']';
}

// The length of the escape at `p[at]` ('\\'): two bytes, or through a closing brace for
// \x{...}, \p{...}, \P{...}.
size_t EscapeLength(std::string_view p, size_t at) {
  if (at + 1 >= p.size()) return p.size() - at;
  const char kind = p[at + 1];
  if ((kind == 'x' || kind == 'p' || kind == 'P') && at + 2 < p.size() && p[at + 2] == '{') {
    const size_t close = p.find('}', at + 3);
    return close == std::string_view::npos ? p.size() - at : close + 1 - at;
  }
  if (kind == 'x') return std::min(p.size() - at, size_t{4});
  // \pL names a class by one letter.
  if (kind == 'p' || kind == 'P') return std::min(p.size() - at, size_t{3});
  return 2;
}

// The class at `p[at]` ('['), copied with the other case of its literal letters added; the
// place after it.
size_t AppendClass(std::string_view p, size_t at, std::string& out) {
  std::string extra;
  size_t i = at + 1;
  out += '[';
  if (i < p.size() && p[i] == '^') out += p[i++];
  // A ']' first in a class is a member.
  bool first = true;
  while (i < p.size() && (p[i] != ']' || first)) {
    first = false;
    if (p[i] == '[' && i + 1 < p.size() && p[i + 1] == ':') {
      const size_t close = p.find(":]", i + 2);
      const size_t end = close == std::string_view::npos ? p.size() : close + 2;
      out.append(p.substr(i, end - i));
      i = end;
      continue;
    }
    if (p[i] == '\\') {
      const size_t length = EscapeLength(p, i);
      out.append(p.substr(i, length));
      i += length;
      continue;
    }
    const auto low = static_cast<unsigned char>(p[i]);
    out += p[i++];
    if (i + 1 < p.size() && p[i] == '-' && p[i + 1] != ']' && p[i + 1] != '\\') {
      // A range: every letter in it brings its other case.
      const auto high = static_cast<unsigned char>(p[i + 1]);
      out += p[i];
      out += p[i + 1];
      i += 2;
      for (unsigned b = low; b <= high; ++b) {
        const unsigned char other = OtherCase1251(static_cast<unsigned char>(b));
        if (other != b) AppendEscaped(extra, other);
      }
      continue;
    }
    if (OtherCase1251(low) != low) AppendEscaped(extra, OtherCase1251(low));
  }
  out += extra;
  if (i < p.size()) out += p[i++];
  return i;
}

}  // namespace

std::string CaseBlindPattern(std::string_view p) {
  std::string out;
  for (size_t i = 0; i < p.size();) {
    const char c = p[i];
    if (c == '\\') {
      if (i + 1 < p.size() && p[i + 1] == 'Q') {
        // Literal text up to \E: each byte as itself, a letter as both its cases.
        const size_t end = p.find("\\E", i + 2);
        const std::string_view literal = p.substr(i + 2, end == std::string_view::npos ? std::string_view::npos : end - i - 2);
        for (const char b : literal) {
          const auto byte = static_cast<unsigned char>(b);
          if (OtherCase1251(byte) != byte) {
            AppendLiteral(out, byte);
          } else {
            AppendEscaped(out, byte);
          }
        }
        i = end == std::string_view::npos ? p.size() : end + 2;
        continue;
      }
      const size_t length = EscapeLength(p, i);
      out.append(p.substr(i, length));
      i += length;
      continue;
    }
    if (c == '[') {
      i = AppendClass(p, i, out);
      continue;
    }
    if (c == '(' && i + 1 < p.size() && p[i + 1] == '?') {
      // A group's header: flags and names stay as written.
      size_t end = i + 2;
      while (end < p.size() && p[end] != ')' && p[end] != ':' && p[end] != '>') ++end;
      if (end < p.size()) ++end;
      out.append(p.substr(i, end - i));
      i = end;
      continue;
    }
    AppendLiteral(out, static_cast<unsigned char>(c));
    ++i;
  }
  return out;
}

}  // namespace vantorel
