#include "journals/Extension.h"

#include <algorithm>

namespace vantorel {
namespace {

bool Digits(std::string_view text, size_t count) {
  return text.size() == count && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool EndsWith(std::string_view text, std::string_view end) {
  return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

JournalKind KindOfExtension(std::string_view extension) {
  for (JournalKind kind : {JournalKind::Alarms, JournalKind::Action, JournalKind::Param, JournalKind::Stat}) {
    if (extension == DescriptionOf(kind).extension) return kind;
  }
  return JournalKind::None;
}

// The name without its rotation suffix: ".N" (a number), "-YYYYMMDD" or "-YYYYMMDD-HHMMSS".
std::string_view WithoutRotation(std::string_view name) {
  const size_t dot = name.find_last_of('.');
  if (dot != std::string_view::npos && dot + 1 < name.size()) {
    const std::string_view number = name.substr(dot + 1);
    if (Digits(number, number.size())) return name.substr(0, dot);
  }
  const size_t dash = name.find_last_of('-');
  if (dash == std::string_view::npos) return name;
  const std::string_view after = name.substr(dash + 1);
  if (Digits(after, 8)) return name.substr(0, dash);
  if (Digits(after, 6) && dash >= 9 && name[dash - 9] == '-' && Digits(name.substr(dash - 8, 8), 8)) {
    return name.substr(0, dash - 9);
  }
  return name;
}

}  // namespace

std::string_view FileNameOf(std::string_view path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string_view ExtensionOf(std::string_view path) {
  const std::string_view name = FileNameOf(path);
  const size_t dot = name.find_last_of('.');
  return dot == std::string_view::npos ? std::string_view() : name.substr(dot);
}

Compression CompressionOf(std::string_view path) {
  const std::string_view name = FileNameOf(path);
  if (EndsWith(name, ".gz")) return Compression::Gzip;
  if (EndsWith(name, ".xz")) return Compression::Xz;
  if (EndsWith(name, ".zst")) return Compression::Zstd;
  if (EndsWith(name, ".bz2")) return Compression::Bzip2;
  return Compression::None;
}

std::string_view JournalExtensionOf(std::string_view path) {
  const std::string_view name = FileNameOf(path);
  if (KindOfExtension(ExtensionOf(name)) != JournalKind::None) return ExtensionOf(name);
  std::string_view rest = name;
  if (CompressionOf(rest) != Compression::None) rest = rest.substr(0, rest.find_last_of('.'));
  const std::string_view extension = ExtensionOf(WithoutRotation(rest));
  if (KindOfExtension(extension) != JournalKind::None) return extension;
  return ExtensionOf(name);
}

JournalKind KindOfPath(std::string_view path) { return KindOfExtension(JournalExtensionOf(path)); }

}  // namespace vantorel
