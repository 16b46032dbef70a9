#pragma once
// The kind of a journal, told by its file name: its extension, as the unit writes it or as
// log rotation leaves it (a number or a date after it, then perhaps a compression's suffix).
#include <string_view>

#include "journals/JournalKinds.h"

namespace vantorel {

// The text from the last full stop of the last path component on, full stop included;
// empty when that component has no full stop.
std::string_view ExtensionOf(std::string_view path);

// The file name without its directory.
std::string_view FileNameOf(std::string_view path);

// How a rotated journal's file is compressed, by the suffix of its name.
enum class Compression { None, Gzip, Xz, Zstd, Bzip2 };
Compression CompressionOf(std::string_view path);

// The journal extension of `path`: the name's extension, or the one before a rotation suffix
// (".N", "-YYYYMMDD", "-YYYYMMDD-HHMMSS") and a compression suffix (".gz", ".xz", ".zst",
// ".bz2"), when it is a journal kind's; otherwise the name's extension.
std::string_view JournalExtensionOf(std::string_view path);

// The kind whose extension (case-sensitive) the name has, as JournalExtensionOf finds it;
// None for any other.
JournalKind KindOfPath(std::string_view path);

}  // namespace vantorel
