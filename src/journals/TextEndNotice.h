#pragma once
// The notice that a NUL byte ended a journal's text before its end, for the window's status
// bar and the query's standard error.
#include <cstddef>
#include <string>
#include <string_view>

#include "journals/Journal.h"

namespace vantorel {

// The notice of a journal whose text a NUL byte ended at line `line` (Windows-1251).
std::string NulNotice(size_t line);

// The notice for `journal` (Windows-1251): for one file as NulNotice; for a set, the first of
// its journals that a NUL ended, by name, and how many more; empty when a NUL ended none.
std::string NulNotice(const Journal& journal);

}  // namespace vantorel
