#pragma once
// vantorel-query's command line: what it asks for, read and checked against the journal's kind.
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "document/RowExport.h"
#include "document/TextFilter.h"
#include "document/ValueFilter.h"

namespace vantorel {

struct QueryOptions {
  // The journals named, all of one kind; `file` is the first.
  std::string file;
  std::vector<std::string> files;
  TimeWindow time;
  std::optional<TDateTime> fromDate;
  std::optional<TDateTime> toDate;
  // Windows-1251, as the lists hold them.
  // The value options given (--group, --user, ...) and their texts.
  std::vector<std::pair<std::string, std::string>> values;
  bool showUnimportant = false;
  // --match and --exclude, UTF-8 as given, and how they are read.
  std::vector<std::string> match;
  std::vector<std::string> exclude;
  bool regex = false;
  bool matchCase = false;
  bool lists = false;
  bool countOnly = false;
  bool help = false;
  // The rows for other programs instead of the table as the window shows it.
  std::optional<RowFormat> format;
  // The rows as an Excel workbook, written to `output`.
  bool xlsx = false;
  // CSV and TSV rows led by the record's moment and the journal's name, as JSON lines are.
  bool moment = false;
  // Where the output goes instead of standard output.
  std::optional<std::string> output;
  // Goes on printing the new rows as the journal grows.
  bool follow = false;
  // The records of each quarter of an hour instead of the rows.
  bool histogram = false;
};

// One option as the table of options (QueryOptions.cpp) gives it to --help, the usage and
// the shell's completion, which reads --help.
struct QueryOptionInfo {
  std::string_view name;   // without the leading "--"
  std::string_view value;  // the value's placeholder ("TEXT", "FILE", "tsv|csv"), empty for a flag
  std::string_view help;   // the text of --help, one paragraph, wrapped when printed
};

// Every option, in the order of --help.
std::vector<QueryOptionInfo> QueryOptionTable();

// The usage lines and the text of --help, both made from the table.
std::string_view QueryUsage();
std::string_view QueryHelp();

// Reads `args` into `options` with getopt_long; false with `problem` set when they are not
// understood.
bool ParseArgs(const std::vector<std::string>& args, QueryOptions& options, std::string& problem);

// False, with `problem` set, when an option asks for a control the view of `kind` lacks.
bool FitsKind(const QueryOptions& o, JournalKind kind, std::string& problem);

// The text the options give for list `list` of `kind`, if any.
std::optional<std::string> ListOption(const QueryOptions& o, JournalKind kind, int list);

// The text filters of --match and --exclude, in Windows-1251, the texts to show first.
std::vector<TextFilter> TextFiltersOf(const QueryOptions& o);

// The days a date picker holds: 14 September 1752 to 31 December 9999.
bool InPickerRange(TDateTime day);

}  // namespace vantorel
