#include "document/MarkColumn.h"

#include "uStrUtils/Cp1251.h"

namespace vantorel {

std::vector<std::string> TitlesWithMarks(const JournalDocument& document) {
  std::vector<std::string> titles = document.ShownTitles();
  titles.insert(titles.begin(), Utf8ToCp1251("Отметка"));
  return titles;
}

void CellsWithMark(const JournalDocument& document, const RecordMarks& marks, size_t record, MarkedCells& out,
                   std::string& scratch) {
  std::array<std::string_view, kMaxColumns> cells{};
  document.Cells(record, cells, scratch);
  out[0] = marks.Contains(RecordIndex{static_cast<uint32_t>(record)}) ? "*" : "";
  for (size_t c = 0; c < cells.size(); ++c) out[c + 1] = cells[c];
}

}  // namespace vantorel
