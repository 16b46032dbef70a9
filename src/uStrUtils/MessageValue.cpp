#include "uStrUtils/MessageValue.h"

namespace vantorel {

void AppendMessageValue(std::string& out, std::string_view value) {
  if (value.size() <= kMessageValueChars) {
    out += value;
    return;
  }
  out += value.substr(0, kMessageValueChars);
  out.push_back('\x85');
}

}  // namespace vantorel
