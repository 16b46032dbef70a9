#include "views/AlarmColour.h"

#include "uStrUtils/Literals.h"

namespace vantorel {

AlarmColour AlarmTextColour(std::string_view message) {
  const Literals& words = Cp1251Literals();
  if (message == words.toReserve || message == words.clockMismatch) return AlarmColour::Olive;
  if (message == words.normal || message == words.linkRestored || message == words.internetRestored) {
    return AlarmColour::Green;
  }
  return AlarmColour::Maroon;
}

}  // namespace vantorel
