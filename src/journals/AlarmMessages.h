#pragma once
// The alarm messages the viewer tells apart.
#include <string_view>

#include "uStrUtils/Literals.h"

namespace vantorel {

// True for the two messages counted as unimportant (exact bytes).
inline bool IsUnimportantAlarm(std::string_view message) {
  const Literals& words = Cp1251Literals();
  return message == words.toReserve || message == words.clockMismatch;
}

}  // namespace vantorel
