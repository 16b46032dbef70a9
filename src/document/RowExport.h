#pragma once
// A view's rows as text for people and for other programs, in UTF-8: TSV (cells joined by
// tabs, a line feed after each row), CSV as RFC 4180 writes it (a field with a comma, a
// quote or a line break in quotes, quotes doubled, CR LF after each row), CSV for a
// spreadsheet on a desk whose list separator is ';' (a byte-order mark first, ';' between
// fields, and a field whose first character after any spaces is = + - @, a tab or a carriage
// return led by an apostrophe, so that it is read as text and never run as a formula, even by
// a spreadsheet that trims spaces), or JSON lines (one
// object a row, keyed by the column titles).
#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "document/JournalDocument.h"

namespace vantorel {

enum class RowFormat { Tsv, Csv, CsvExcel, JsonLines };

class RowExport {
 public:
  // `titles` in Windows-1251, as the title row shows them: one per column of `columns`.
  // With `journal` (a file name, UTF-8), every row is led by the record's moment (ISO 8601)
  // and that name, under the titles "moment" and "journal".
  RowExport(RowFormat format, int columns, const std::vector<std::string>& titles,
            const std::optional<std::string>& journal = std::nullopt);

  // The journal the rows that follow name, when they lead with their journal (UTF-8).
  void SetJournal(std::string_view utf8);
  // The title row, after the byte-order mark for CsvExcel; JSON lines have none, their rows
  // carry the titles.
  void AppendTitles(std::string& out) const;
  // One row of `columns` cells in Windows-1251; `moment` leads it when the rows name their
  // journal.
  void AppendRow(const std::string_view* cells, std::string& out, TDateTime moment = 0) const;
  // The record's row of `document`; `scratch` holds its date-time text meanwhile.
  void AppendRecord(const JournalDocument& document, size_t record, std::string& out, std::string& scratch) const;

 private:
  void AppendCell(std::string_view cell, std::string& out) const;
  // `utf8` as a CSV field: quoted where it must be, led by an apostrophe for a spreadsheet.
  void AppendCsvField(std::string_view utf8, std::string& out) const;
  char Separator() const;
  // The moment and the journal, each followed by the separator.
  void AppendLead(TDateTime moment, std::string& out) const;

  RowFormat format_;
  int columns_;
  // UTF-8; in JSON, each already written as a quoted key, no two alike: an empty title is
  // called "column N" by its column's number, a repeated one too, and a name taken still is
  // followed by " (2)", " (3)" and so on until it is free.
  std::vector<std::string> titles_;
  // Rows lead with the moment and the journal's name, as the format writes it.
  bool lead_ = false;
  std::string journalField_;
};

// The title row a view shows: the first `columns` titles, empty ones for those the first
// line lacks.
std::vector<std::string> ShownTitles(const std::vector<std::string>& titles, int columns);

// Appends `text`, UTF-8, as a JSON string in quotes.
void AppendJsonString(std::string_view utf8, std::string& out);

}  // namespace vantorel
