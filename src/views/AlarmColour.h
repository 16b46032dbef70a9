#pragma once
// The text colour of an alarm row, told by its message.
#include <string_view>

namespace vantorel {

enum class AlarmColour { Olive, Green, Maroon };

// Olive for the unimportant messages, green for the returns to normal, maroon for any other
// text (the empty one too); exact, case-sensitive byte comparison.
AlarmColour AlarmTextColour(std::string_view message);

}  // namespace vantorel
