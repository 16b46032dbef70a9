#pragma once
// The alarm messages the viewer tells apart, and the text colour of a row.
#include <cstdint>
#include <string_view>

#include "uStrUtils/Literals.h"

namespace vantorel {

// The text colour class of a row: plain for journals that are not coloured; olive for the
// unimportant alarms, green for the returns to normal, maroon for every other alarm.
enum class TextTone : uint8_t { Plain, Olive, Green, Maroon };

// The colour of a tone's text as 0xRRGGBB: black, olive, green, maroon.
constexpr uint32_t ToneRgb(TextTone tone) {
  switch (tone) {
    case TextTone::Olive: return 0x808000;
    case TextTone::Green: return 0x008000;
    case TextTone::Maroon: return 0x800000;
    case TextTone::Plain: break;
  }
  return 0x000000;
}

// The tone of an alarm message, by exact bytes; the empty text is maroon too.
inline TextTone ToneOfMessage(std::string_view message) {
  const Literals& words = Cp1251Literals();
  if (message == words.toReserve || message == words.clockMismatch) return TextTone::Olive;
  if (message == words.normal || message == words.linkRestored || message == words.internetRestored) {
    return TextTone::Green;
  }
  return TextTone::Maroon;
}

}  // namespace vantorel
