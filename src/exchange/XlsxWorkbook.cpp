#include "exchange/XlsxWorkbook.h"

#include <stdio_ext.h>
#include <xlsxwriter.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <cmath>
#include <cstdio>

#include "datetime/DateTimeText.h"
#include "exchange/CellText.h"
#include "journals/FileWriter.h"
#include "uStrUtils/AppError.h"
#include "uStrUtils/Cp1251.h"
#include "uStrUtils/NameText.h"

namespace vantorel {
namespace {

constexpr uint32_t kWhite = 0xFFFFFF;
// Windows' default font is about this many pixels a character.
constexpr double kPixelsPerChar = 7.0;
// The day of 1 March 1900: from it on a date-time value is the spreadsheet's day number (the
// spreadsheet counts a 29 February 1900 that never was).
constexpr TDateTime kFirstSerialDay = 61;

lxw_color_t ToneColour(TextTone tone) { return ToneRgb(tone); }

// What a cell of the first column holds: a date and time, a time of day alone (a record of
// day 0), or text for the days the spreadsheet cannot count.
enum Stamp { kDateTime, kTimeOnly, kText, kStampKinds };

// The library's text of `error`, and the system's reason when a system call failed under it.
std::string LibraryReason(lxw_error error) {
  std::string reason = lxw_strerror(error);
  if (errno != 0) reason += std::string(" (") + std::strerror(errno) + ")";
  return reason;
}

}  // namespace

struct XlsxWorkbook::Book {
  lxw_workbook* workbook = nullptr;
  lxw_worksheet* sheet = nullptr;
  lxw_format* title = nullptr;
  // [stamp][tone][background: 0 white, 1 button face]
  lxw_format* formats[kStampKinds][4][2]{};
  std::vector<lxw_worksheet*> sheets;
};

XlsxWorkbook::XlsxWorkbook(const std::string& path, const std::vector<std::string>& titles, const WorkbookLook& look)
    : book_(std::make_unique<Book>()), file_(std::make_unique<FileWriter>(path)), path_(path), titles_(titles), look_(look) {
  lxw_workbook_options options{};
  options.constant_memory = LXW_TRUE;
  // The library writes the file by name: the name of the file being written, which takes the
  // target's place only once it is whole.
  book_->workbook = workbook_new_opt(file_->SeekableName().c_str(), &options);
  if (book_->workbook == nullptr) Fail("cannot start the workbook");
  book_->title = workbook_add_format(book_->workbook);
  format_set_bold(book_->title);
  format_set_font_color(book_->title, LXW_COLOR_BLACK);
  format_set_bg_color(book_->title, look_.buttonFace);
  format_set_pattern(book_->title, LXW_PATTERN_SOLID);
  static constexpr const char* kNumberFormats[] = {"dd.mm.yyyy hh:mm:ss", "hh:mm:ss", nullptr};
  for (int stamp = 0; stamp < kStampKinds; ++stamp) {
    for (int tone = 0; tone < 4; ++tone) {
      for (int back = 0; back < 2; ++back) {
        lxw_format* format = workbook_add_format(book_->workbook);
        format_set_font_color(format, ToneColour(static_cast<TextTone>(tone)));
        format_set_bg_color(format, back == 0 ? kWhite : look_.buttonFace);
        format_set_pattern(format, LXW_PATTERN_SOLID);
        if (kNumberFormats[stamp] != nullptr) format_set_num_format(format, kNumberFormats[stamp]);
        book_->formats[stamp][tone][back] = format;
      }
    }
  }
  AddSheet();
}

XlsxWorkbook::~XlsxWorkbook() {
  if (book_ == nullptr || book_->workbook == nullptr) return;
  // A workbook not closed: the library frees its sheets but not their temporary files of
  // rows, which would be written out, to no use, when the program ends.
  for (lxw_worksheet* sheet : book_->sheets) {
    if (sheet->optimize_tmpfile == nullptr) continue;
    __fpurge(sheet->optimize_tmpfile);
    std::fclose(sheet->optimize_tmpfile);
    sheet->optimize_tmpfile = nullptr;
    sheet->file = nullptr;
  }
  lxw_workbook_free(book_->workbook);
}

void XlsxWorkbook::Fail(const std::string& reason) {
  throw AppError(Utf8ToCp1251("Не удалось сохранить файл \"") + NameText(path_) + "\": " + Utf8ToCp1251(reason));
}

void XlsxWorkbook::AddSheet() {
  ++sheets_;
  const std::string name = sheets_ == 1 ? "Журнал" : "Журнал (" + std::to_string(sheets_) + ")";
  book_->sheet = workbook_add_worksheet(book_->workbook, name.c_str());
  if (book_->sheet == nullptr) Fail("cannot add a sheet");
  book_->sheets.push_back(book_->sheet);
  lxw_worksheet* sheet = book_->sheet;
  worksheet_write_string(sheet, 0, 0, "Момент", book_->title);
  widest_.assign(titles_.size(), 0);
  for (size_t c = 0; c < titles_.size(); ++c) {
    std::string title;
    if (AppendCellText(title, titles_[c]) && sheets_ == 1) ++cutCells_;
    worksheet_write_string(sheet, 0, static_cast<lxw_col_t>(c + 1), title.c_str(), book_->title);
    widest_[c] = titles_[c].size();
  }
  worksheet_freeze_panes(sheet, 1, 0);
  worksheet_set_column(sheet, 0, 0, 20, nullptr);
  sheetRows_ = 0;
}

void XlsxWorkbook::CheckSheetFile(bool flush) {
  // The library keeps a sheet's rows in a temporary file whose write errors it does not
  // report: they are looked for here.
  std::FILE* rows = book_->sheet->optimize_tmpfile;
  if (rows == nullptr) return;
  // A row a call: the error flag alone; a whole sheet: flushed, and the size limit too.
  const bool overLimit = flush && (std::fflush(rows), held_.SizeLimitMet());
  if (std::ferror(rows) || overLimit) {
    Fail(std::string("the sheet's temporary file: ") + std::strerror(overLimit ? EFBIG : errno != 0 ? errno : EIO));
  }
}

void XlsxWorkbook::FinishSheet() {
  errno = 0;
  CheckSheetFile(true);
  lxw_worksheet* sheet = book_->sheet;
  const auto last = static_cast<lxw_col_t>(titles_.size());
  worksheet_autofilter(sheet, 0, 0, sheetRows_, last);
  for (size_t c = 0; c < titles_.size(); ++c) {
    const double chars = c < look_.columnPixels.size() ? look_.columnPixels[c] / kPixelsPerChar
                                                       : static_cast<double>(std::min<size_t>(widest_[c], 100)) + 2;
    worksheet_set_column(sheet, static_cast<lxw_col_t>(c + 1), static_cast<lxw_col_t>(c + 1), std::max(chars, 1.0), nullptr);
  }
}

void XlsxWorkbook::AppendRow(TDateTime moment, const std::string_view* cells, TextTone tone) {
  if (sheetRows_ == kRowsPerSheet) {
    FinishSheet();
    AddSheet();
  }
  lxw_worksheet* sheet = book_->sheet;
  const lxw_row_t row = ++sheetRows_;
  // The table's first data row is white, the next one button face, and so on.
  const int back = static_cast<int>(rows_ % 2);
  ++rows_;
  const int t = static_cast<int>(tone);
  // The moment as the table's time text rounds it: to the millisecond, on its own day.
  const TDateTime day = std::trunc(moment);
  const TDateTime rounded = day + TimeOfDayMs(moment) / kMsPerDay;
  errno = 0;
  lxw_error error = LXW_NO_ERROR;
  if (moment >= kFirstSerialDay) {
    error = worksheet_write_number(sheet, row, 0, rounded, book_->formats[kDateTime][t][back]);
  } else if (moment >= 0 && moment < 1) {
    error = worksheet_write_number(sheet, row, 0, rounded, book_->formats[kTimeOnly][t][back]);
  } else {
    std::string iso;
    AppendIsoMoment(iso, moment);
    error = worksheet_write_string(sheet, row, 0, iso.c_str(), book_->formats[kText][t][back]);
  }
  // All cells of the row in one buffer, each ending with a NUL for the library.
  utf8_.clear();
  starts_.clear();
  for (size_t c = 0; c < titles_.size(); ++c) {
    widest_[c] = std::max(widest_[c], std::min(cells[c].size(), kCellChars));
    starts_.push_back(utf8_.size());
    if (AppendCellText(utf8_, cells[c])) ++cutCells_;
    utf8_.push_back('\0');
  }
  lxw_format* format = book_->formats[kText][t][back];
  for (size_t c = 0; c < titles_.size() && error == LXW_NO_ERROR; ++c) {
    // A cell that begins with '=' stays text: strings are never formulas.
    error = worksheet_write_string(sheet, row, static_cast<lxw_col_t>(c + 1), utf8_.data() + starts_[c], format);
  }
  if (error != LXW_NO_ERROR) Fail(LibraryReason(error));
  CheckSheetFile(false);
}

void XlsxWorkbook::Close() {
  FinishSheet();
  lxw_workbook* workbook = book_->workbook;
  book_->workbook = nullptr;
  errno = 0;
  const lxw_error error = workbook_close(workbook);
  if (error != LXW_NO_ERROR) Fail(LibraryReason(error));
  if (held_.SizeLimitMet()) Fail(std::strerror(EFBIG));
  file_->Commit();
}

}  // namespace vantorel
