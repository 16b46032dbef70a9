#include "journals/HeaderRow.h"

#include "uStrUtils/StrUtils.h"

namespace vantorel {

std::vector<std::string> HeaderTitles(std::string_view firstLine) {
  std::vector<std::string> titles;
  std::string_view rest = firstLine;
  std::string_view field;
  while (!rest.empty()) {
    CutField(rest, '\t', field);
    titles.emplace_back(field);
    if (rest.find('\t') == std::string_view::npos) {
      titles.emplace_back(rest);
      break;
    }
  }
  return titles;
}

}  // namespace vantorel
