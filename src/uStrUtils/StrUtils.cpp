#include "uStrUtils/StrUtils.h"

#include <cstring>

namespace vantorel {

void CutField(std::string_view& source, char delimiter, std::string_view& field) {
  if (source.empty()) {
    field = {};
    return;
  }
  const void* hit = std::memchr(source.data(), delimiter, source.size());
  if (hit == nullptr) {
    field = source;
    source = {};
    return;
  }
  const size_t at = static_cast<size_t>(static_cast<const char*>(hit) - source.data());
  field = source.substr(0, at);
  size_t next = at + 1;
  while (next < source.size() && source[next] == delimiter) ++next;
  source.remove_prefix(next);
}

bool ContainsString(const std::vector<std::string_view>& list, std::string_view sought) {
  for (std::string_view item : list) {
    if (item == sought) return true;
  }
  return false;
}

}  // namespace vantorel
