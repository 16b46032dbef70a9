#include "journals/TextEndNotice.h"

#include "uStrUtils/Cp1251.h"

namespace vantorel {

std::string NulNotice(size_t line) {
  return Utf8ToCp1251("Журнал прочитан только до нулевого байта в строке " + std::to_string(line));
}

std::string NulNotice(const Journal& journal) {
  if (!journal.Merged()) return journal.nulLine == 0 ? std::string() : NulNotice(journal.nulLine);
  std::string notice;
  size_t more = 0;
  for (size_t j = 0; j < journal.journalEnds.size(); ++j) {
    const size_t line = journal.journalEnds[j].nulLine;
    if (line == 0) continue;
    if (!notice.empty()) {
      ++more;
      continue;
    }
    notice = Utf8ToCp1251("Журнал ") + journal.journalNames[j] +
             Utf8ToCp1251(" прочитан только до нулевого байта в строке " + std::to_string(line));
  }
  if (more > 0) notice += Utf8ToCp1251("; ещё журналов, прочитанных так же не до конца: " + std::to_string(more));
  return notice;
}

}  // namespace vantorel
