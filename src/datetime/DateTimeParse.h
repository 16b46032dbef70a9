#pragma once
// Text to date-time by the regional settings.
#include <string_view>

#include "datetime/DateTime.h"
#include "datetime/RegionalSettings.h"

namespace vantorel {

// Reads a date with an optional time, or else a time alone (on day 0). False when the text
// is neither; `out` is then unchanged.
bool TryStrToDateTime(std::string_view text, const DateTimeRules& rules, TDateTime& out);

// As TryStrToDateTime, raising AppError "'%s' is not a valid date and time" with the text
// (its first 200 characters and "…" when it is longer) when it fails.
TDateTime StrToDateTime(std::string_view text, const DateTimeRules& rules);

}  // namespace vantorel
