#pragma once
// The kind of a journal, told by its file name's extension.
#include <string_view>

#include "journals/JournalKinds.h"

namespace vantorel {

// The text from the last full stop of the last path component on, full stop included;
// empty when that component has no full stop.
std::string_view ExtensionOf(std::string_view path);

// The file name without its directory.
std::string_view FileNameOf(std::string_view path);

// The kind whose extension equals `path`'s exactly (case-sensitive); None for any other.
JournalKind KindOfPath(std::string_view path);

}  // namespace vantorel
