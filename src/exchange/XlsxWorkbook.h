#pragma once
// A view's rows as an Excel workbook: the title row bold and frozen under an autofilter, a
// first column "Момент" holding each record's date and time as a spreadsheet date-time
// number, then the table's cells as text (never formulas, a literal _xHHHH_ kept, a cell
// too long for a spreadsheet cut with "…"), each row in the table's text colour on the
// table's alternating background, the columns as wide as the table's. Written row by row with
// flat memory through a FileWriter: the file takes its name only once it is whole.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "datetime/DateTime.h"
#include "journals/AlarmMessages.h"
#include "journals/FileWriter.h"
#include "journals/WriteSignalsHeld.h"

namespace vantorel {

struct WorkbookLook {
  // The background of the title row and of every second data row, 0xRRGGBB: the table's
  // button face. The other data rows are white.
  uint32_t buttonFace = 0xF0F0F0;
  // The table's column widths in pixels, one per column; without them each column is as wide
  // as its widest text.
  std::vector<int> columnPixels;
};

// The first sheet holds this many records at most; the rows after them go on in further
// sheets under the same title row.
inline constexpr size_t kRowsPerSheet = 1048575;

class XlsxWorkbook {
 public:
  // Starts the workbook of `path` (see FileWriter); the workbook is written and ended on the
  // thread that starts it. `titles` in
  // Windows-1251, one per column. Raises AppError (Windows-1251) naming the file when it
  // cannot be begun.
  XlsxWorkbook(const std::string& path, const std::vector<std::string>& titles, const WorkbookLook& look);
  // A workbook not closed leaves nothing behind (a target written into directly, a device or
  // a FIFO, gets nothing).
  ~XlsxWorkbook();
  XlsxWorkbook(const XlsxWorkbook&) = delete;
  XlsxWorkbook& operator=(const XlsxWorkbook&) = delete;

  // The next row: the record's moment, its cells in Windows-1251 (one per column), its tone.
  void AppendRow(TDateTime moment, const std::string_view* cells, TextTone tone);
  // Writes the workbook and puts it in the place of `path`. Raises AppError on failure.
  void Close();
  size_t Rows() const { return rows_; }
  // The cells, titles included, cut to a cell's room so far (see AppendCellText).
  size_t CutCells() const { return cutCells_; }

 private:
  struct Book;
  void AddSheet();
  void FinishSheet();
  // Raises the error of a failed write of the sheet's rows; `flush`: what waits is written.
  void CheckSheetFile(bool flush);
  [[noreturn]] void Fail(const std::string& reason);

  // The library's own writes fail with their errors, never end the program by a signal.
  WriteSignalsHeld held_;
  std::unique_ptr<Book> book_;
  std::unique_ptr<FileWriter> file_;
  std::string path_;
  std::vector<std::string> titles_;
  WorkbookLook look_;
  size_t rows_ = 0;
  size_t cutCells_ = 0;
  uint32_t sheetRows_ = 0;
  int sheets_ = 0;
  // The widest text of each column of the current sheet, in characters.
  std::vector<size_t> widest_;
  std::string utf8_;
  std::vector<size_t> starts_;
};

}  // namespace vantorel
