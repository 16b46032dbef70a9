#pragma once
// How a record line's fields are cut: off the line's front at tabs (a run of tabs is one
// separator), the last column taking the rest of the line; a capped kind's text keeps its
// first kFieldCap bytes, the date-time field whole.
#include <string_view>

#include "journals/JournalKinds.h"
#include "uStrUtils/StrUtils.h"

namespace vantorel {

// Field `field` of a line whose fields before it were cut off `rest`; `rest` loses it.
constexpr std::string_view CutFieldOf(const KindDescription& kind, std::string_view& rest, int field) {
  std::string_view text;
  if (field == kind.columns - 1) {
    text = rest;
    rest = {};
  } else {
    CutField(rest, '\t', text);
  }
  return kind.capped && field != kind.dateTimeField ? text.substr(0, kFieldCap) : text;
}

}  // namespace vantorel
