#pragma once
// Rows copied or saved with their marks: a first column "Отметка" holding "*" for a marked
// record and nothing for another, before the cells the table shows.
#include <array>
#include <string>
#include <vector>

#include "document/JournalDocument.h"
#include "document/RecordMarks.h"

namespace vantorel {

// Cells of a row with its mark: one more than a document has columns.
using MarkedCells = std::array<std::string_view, kMaxColumns + 1>;

// The titles as shown, led by the mark column's, in Windows-1251.
std::vector<std::string> TitlesWithMarks(const JournalDocument& document);

// Record `record`'s cells led by its mark's, into `out`; `scratch` holds its date-time text.
void CellsWithMark(const JournalDocument& document, const RecordMarks& marks, size_t record, MarkedCells& out,
                   std::string& scratch);

}  // namespace vantorel
