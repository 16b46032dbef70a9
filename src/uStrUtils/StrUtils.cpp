#include "uStrUtils/StrUtils.h"

namespace vantorel {

bool ContainsString(const std::vector<std::string_view>& list, std::string_view sought) {
  for (std::string_view item : list) {
    if (item == sought) return true;
  }
  return false;
}

}  // namespace vantorel
