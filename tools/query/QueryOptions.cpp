#include "query/QueryOptions.h"

#include <algorithm>
#include <charconv>
#include <iterator>
#include <utility>
#include <initializer_list>

#include <getopt.h>

#include "journals/JournalKinds.h"
#include "uStrUtils/Cp1251.h"

namespace vantorel {

bool TwoDigits(std::string_view text, size_t at, int limit, int& out) {
  const char a = text[at], b = text[at + 1];
  if (a < '0' || a > '9' || b < '0' || b > '9') return false;
  out = (a - '0') * 10 + (b - '0');
  return out <= limit;
}

// "HH:MM:SS" or "HH:MM:SS.zzz", 24-hour clock.
bool ParseTimeOption(std::string_view text, TDateTime& out) {
  if (text.size() != 8 && text.size() != 12) return false;
  int h = 0, m = 0, s = 0, ms = 0;
  if (!TwoDigits(text, 0, 23, h) || text[2] != ':' || !TwoDigits(text, 3, 59, m) || text[5] != ':' ||
      !TwoDigits(text, 6, 59, s)) {
    return false;
  }
  if (text.size() == 12) {
    if (text[8] != '.') return false;
    const auto [end, ec] = std::from_chars(text.data() + 9, text.data() + 12, ms);
    if (ec != std::errc() || end != text.data() + 12 || text[9] == '-' || text[9] == '+') return false;
  }
  out = EncodeTime(h, m, s, ms);
  return true;
}

bool InPickerRange(TDateTime day) {
  TDateTime first = 0, last = 0;
  TryEncodeDate(1752, 9, 14, first);
  TryEncodeDate(9999, 12, 31, last);
  return day >= first && day <= last;
}

// "YYYY-MM-DD", a day a date picker can hold.
bool ParseDateOption(std::string_view text, TDateTime& out) {
  if (text.size() != 10 || text[4] != '-' || text[7] != '-') return false;
  int y = 0, m = 0, d = 0;
  auto number = [&text](size_t at, size_t len, int& value) {
    const char* first = text.data() + at;
    const auto [end, ec] = std::from_chars(first, first + len, value);
    return ec == std::errc() && end == first + len && *first >= '0' && *first <= '9';
  };
  TDateTime day = 0;
  if (!number(0, 4, y) || !number(5, 2, m) || !number(8, 2, d) || !TryEncodeDate(y, m, d, day)) return false;
  if (!InPickerRange(day)) return false;
  out = day;
  return true;
}

// The extensions of the kinds whose view the value option `name` filters, as "a, b and c";
// empty for an option no kind has.
std::string KindsWithList(std::string_view name) {
  std::vector<std::string_view> kinds;
  for (const KindDescription* kind : {&kAlarmKind, &kActionKind, &kParamKind, &kStatKind}) {
    for (int l = 0; l < kind->listCount; ++l) {
      if (kind->lists[l].option == name) kinds.push_back(kind->extension);
    }
  }
  std::string text;
  for (size_t i = 0; i < kinds.size(); ++i) {
    if (i > 0) text += i + 1 == kinds.size() ? " and " : ", ";
    text += kinds[i];
  }
  return text;
}

namespace {

// ---- What each option does with its value ----
// Each takes the option's name as given ("--from") and its value (empty for a flag) into
// `o`; false, with `problem` set, when the value is refused.
using Take = bool (*)(QueryOptions& o, const std::string& name, const std::string& value, std::string& problem);

template <bool QueryOptions::*flag>
bool TakeFlag(QueryOptions& o, const std::string&, const std::string&, std::string&) {
  o.*flag = true;
  return true;
}

bool TakeTime(QueryOptions& o, const std::string& name, const std::string& value, std::string& problem) {
  TDateTime& bound = name == "--from" ? o.time.start : o.time.end;
  if (ParseTimeOption(value, bound)) return true;
  problem = name + " wants HH:MM:SS or HH:MM:SS.zzz, not '" + value + "'";
  return false;
}

bool TakeDate(QueryOptions& o, const std::string& name, const std::string& value, std::string& problem) {
  TDateTime day = 0;
  if (!ParseDateOption(value, day)) {
    problem = name + " wants a date YYYY-MM-DD from 1752-09-14 to 9999-12-31, not '" + value + "'";
    return false;
  }
  (name == "--from-date" ? o.fromDate : o.toDate) = day;
  return true;
}

// A value list's text; the last one given holds. Whether the journal's kind has the list is
// asked once the kind is known (FitsKind).
bool TakeListText(QueryOptions& o, const std::string& name, const std::string& value, std::string&) {
  std::erase_if(o.values, [&name](const auto& given) { return given.first == name; });
  o.values.emplace_back(name, Utf8ToCp1251(value));
  return true;
}

bool TakeText(QueryOptions& o, const std::string& name, const std::string& value, std::string& problem) {
  if (value.empty()) {
    problem = name + " needs a text";
    return false;
  }
  (name == "--match" ? o.match : o.exclude).push_back(value);
  return true;
}

bool TakeFormat(QueryOptions& o, const std::string&, const std::string& value, std::string& problem) {
  if (value == "tsv") {
    o.format = RowFormat::Tsv;
  } else if (value == "csv") {
    o.format = RowFormat::Csv;
  } else if (value == "jsonl") {
    o.format = RowFormat::JsonLines;
  } else if (value == "xlsx") {
    o.format.reset();
    o.xlsx = true;
  } else {
    problem = "--format wants tsv, csv, jsonl or xlsx, not '" + value + "'";
    return false;
  }
  return true;
}

bool TakeOutput(QueryOptions& o, const std::string&, const std::string& value, std::string& problem) {
  if (value.empty()) {
    problem = "--output needs a file name";
    return false;
  }
  o.output = value;
  return true;
}

// ---- The table of options ----
// One row an option: getopt_long's table, --help, the usage lines and (through --help) the
// shell's completion are made from it. A placeholder with '|' lists the values the completion
// offers; FILE completes file names. Where an option stands in the usage and in --help:
enum class Part { Filter, Instead, Output, Help };

struct OptionRow {
  const char* name;
  std::string_view value;
  Part part;
  std::string_view help;
  Take take;
};

constexpr OptionRow kOptions[] = {
    {"from", "HH:MM:SS[.zzz]", Part::Filter, "start of the time window, 24-hour clock (00:00:00)", TakeTime},
    {"to", "HH:MM:SS[.zzz]", Part::Filter, "end of the time window (23:59:59); both ends inclusive", TakeTime},
    {"from-date", "YYYY-MM-DD", Part::Filter,
     "first day shown (the journals' first day): .param, or several journals that span more "
     "than one day",
     TakeDate},
    {"to-date", "YYYY-MM-DD", Part::Filter,
     "last day (the journals' last day); for .param the time window's end applies on it and "
     "not on the days before it, for several journals of other kinds the time window applies "
     "on every day",
     TakeDate},
    {"group", "TEXT", Part::Filter, "group (.alarms, .param, .stat)", TakeListText},
    {"node", "TEXT", Part::Filter, "node (.alarms, .param, .stat)", TakeListText},
    {"port", "TEXT", Part::Filter, "board or port (.alarms, .param, .stat)", TakeListText},
    {"param", "TEXT", Part::Filter, "parameter (.param, .stat)", TakeListText},
    {"user", "TEXT", Part::Filter, "user (.action)", TakeListText},
    {"action", "TEXT", Part::Filter, "action (.action)", TakeListText},
    {"show-unimportant", "", Part::Filter, "show the unimportant alarms too", TakeFlag<&QueryOptions::showUnimportant>},
    {"match", "TEXT", Part::Filter,
     "show only the rows that hold TEXT in a cell as the table shows it (the date-time column "
     "as the regional settings write it, \"Журнал\" too), letter case aside for Russian and "
     "Latin letters; given more than once, a row must hold every TEXT",
     TakeText},
    {"exclude", "TEXT", Part::Filter, "hide the rows that hold TEXT; given more than once, the rows that hold any of them",
     TakeText},
    {"regex", "", Part::Filter, "the TEXTs of --match and --exclude are regular expressions (RE2's syntax), each matched within a cell",
     TakeFlag<&QueryOptions::regex>},
    {"match-case", "", Part::Filter, "letter case counts in --match and --exclude", TakeFlag<&QueryOptions::matchCase>},
    {"lists", "", Part::Instead,
          "the filter lists, one line each: the list's name, then its items, joined by tabs",
     TakeFlag<&QueryOptions::lists>},
    {"count", "", Part::Instead, "the count line alone", TakeFlag<&QueryOptions::countOnly>},
    {"histogram", "", Part::Instead,
     "one line per quarter of an hour of the day: its start (HH:MM) and how many records of "
     "it pass every filter but the time window (for .param, the days of the date range)",
     TakeFlag<&QueryOptions::histogram>},
    {"format", "tsv|csv|jsonl|xlsx", Part::Instead,
     "the title row and the shown rows for other programs, no count line: tab-separated; CSV "
     "as RFC 4180 quotes it, CR LF line ends; JSON lines, one object a row keyed by the "
     "column titles, led by \"moment\" (the record's date and time as ISO 8601, "
     "2013-11-25T14:05:09.000, whatever the date-time column shows) and \"journal\" (the "
     "file's name); or an Excel workbook (needs --output): a first column \"Момент\" holding "
     "the date and time as a spreadsheet date, then the cells as text, alarm rows in the "
     "viewer's colours",
     TakeFormat},
    {"moment", "", Part::Output,
     "with --format tsv or csv: the columns \"moment\" and \"journal\" first, as JSON lines "
     "have them",
     TakeFlag<&QueryOptions::moment>},
    {"output", "FILE", Part::Output,
     "write to FILE instead of standard output; FILE is replaced only once it is whole (not "
     "with --follow)",
     TakeOutput},
    {"follow", "", Part::Output,
     "after the rows of the journal as it stands, print every new row that passes the "
     "filters as the file grows, until interrupted; no count line. A journal renamed or "
     "removed (log rotation) is read to its end, then the new file at its name from its "
     "title line; one rewritten in place is read again from its start",
     TakeFlag<&QueryOptions::follow>},
    {"help", "", Part::Help, "this text", TakeFlag<&QueryOptions::help>},
};

// getopt_long's value for row i.
constexpr int kFirstRow = 256;

// Each part's heading in --help, and the text after its options.
struct PartText {
  Part part;
  std::string_view heading;
  std::string_view after;
};

constexpr PartText kParts[] = {
    {Part::Filter, "Filters (all optional):",
     "A value filter keeps the records whose field is TEXT exactly; TEXT equal to the\n"
     "list's first item (\"Все группы\", ...) keeps all, and a TEXT that is no item of\n"
     "the list keeps only the records whose field is empty.\n"},
    {Part::Instead, "Instead of the rows (one of them):", ""},
    {Part::Output, "With the rows:", ""},
    {Part::Help, "", ""},
};

constexpr std::string_view kHelpIntro =
    "Prints a journal of the Ostrevane as the viewer's table shows it.\n"
    "\n"
    "FILE is read by the exact extension of its name: .alarms, .action, .param or\n"
    ".stat. Several FILEs of one kind are shown as one journal, their records in the\n"
    "order of their date and time (equal moments by journal, then line), with one\n"
    "more column, \"Журнал\", naming each record's file; --follow and xlsx take one\n"
    "FILE.\n"
    "Dates and times are read and written by the system's regional settings (LC_ALL,\n"
    "LC_TIME, LANG), two-digit years by the current year, as the viewer does.\n"
    "\n"
    "Output, in UTF-8: the title row (the file's first line, cut or padded to the\n"
    "journal's column count), then one line per shown row, cells joined by tabs, then\n"
    "the count line \"Показано строк: N из M\".\n";

constexpr std::string_view kHelpEnd =
    "Options take their value as the next argument or after '='; \"--\" ends the\n"
    "options.\n"
    "\n"
    "Exit status: 0 done; 1 the journal could not be loaded (the viewer's error\n"
    "message on standard error); 2 bad options or a file of no known kind.\n";

// "--name VALUE".
std::string Spelled(const OptionRow& row) {
  std::string text = "--";
  text += row.name;
  if (!row.value.empty()) {
    text += ' ';
    text += row.value;
  }
  return text;
}

// The usage: the options as words wrapped at 80 columns under the program's name, the rows
// that stand instead of one another in one bracket, then the line of --help.
std::string MakeUsage() {
  constexpr std::string_view kLead = "usage: vantorel-query ";
  std::vector<std::string> words;
  auto add = [&words](Part part) {
    std::vector<const OptionRow*> rows;
    for (const OptionRow& row : kOptions) {
      if (row.part == part) rows.push_back(&row);
    }
    for (size_t i = 0; i < rows.size(); ++i) {
      const bool group = part == Part::Instead;
      std::string word;
      if (!group || i == 0) word += '[';
      word += Spelled(*rows[i]);
      word += group && i + 1 < rows.size() ? " |" : "]";
      words.push_back(std::move(word));
    }
  };
  add(Part::Filter);
  add(Part::Instead);
  add(Part::Output);
  words.push_back("FILE...");
  std::string usage(kLead);
  size_t column = kLead.size();
  bool first = true;
  for (const std::string& word : words) {
    if (!first && column + 1 + word.size() > 80) {
      usage += '\n';
      usage.append(kLead.size(), ' ');
      column = kLead.size();
      first = true;
    }
    if (!first) {
      usage += ' ';
      ++column;
    }
    usage += word;
    column += word.size();
    first = false;
  }
  usage += "\n";
  for (const OptionRow& row : kOptions) {
    if (row.part != Part::Help) continue;
    usage += "       vantorel-query ";
    usage += Spelled(row);
    usage += '\n';
  }
  return usage;
}

// Columns on a terminal: UTF-8 bytes that start a character.
size_t Columns(std::string_view text) {
  size_t columns = 0;
  for (const unsigned char c : text) columns += (c & 0xC0) != 0x80;
  return columns;
}

// --help: each part's options, "  --name VALUE" with its text wrapped from column 27 to 80
// (on a line of its own when the name is too long for that).
std::string MakeHelp() {
  constexpr size_t kTextColumn = 26, kWidth = 80;
  std::string help(kHelpIntro);
  for (const PartText& part : kParts) {
    help += '\n';
    if (!part.heading.empty()) {
      help += part.heading;
      help += '\n';
    }
    for (const OptionRow& row : kOptions) {
      if (row.part != part.part) continue;
      std::string line = "  ";
      line += Spelled(row);
      if (line.size() + 2 > kTextColumn) {
        help += line;
        help += '\n';
        line.clear();
      }
      line.resize(kTextColumn, ' ');
      bool empty = true;
      std::string_view text = row.help;
      while (!text.empty()) {
        const size_t space = text.find(' ');
        const std::string_view word = text.substr(0, space);
        text.remove_prefix(space == std::string_view::npos ? text.size() : space + 1);
        if (!empty && Columns(line) + 1 + Columns(word) > kWidth) {
          help += line;
          help += '\n';
          line.assign(kTextColumn, ' ');
          empty = true;
        }
        if (!empty) line += ' ';
        line += word;
        empty = false;
      }
      help += line;
      help += '\n';
    }
    help += part.after;
  }
  help += kHelpEnd;
  return help;
}

// The row of "--name" exactly, if any.
const OptionRow* RowNamed(std::string_view name) {
  for (const OptionRow& row : kOptions) {
    if (name.size() > 2 && name.substr(0, 2) == "--" && name.substr(2) == row.name) return &row;
  }
  return nullptr;
}

void AddFile(QueryOptions& options, const std::string& file) {
  if (options.file.empty()) options.file = file;
  options.files.push_back(file);
}

}  // namespace

std::vector<QueryOptionInfo> QueryOptionTable() {
  std::vector<QueryOptionInfo> table;
  for (const OptionRow& row : kOptions) table.push_back({row.name, row.value, row.help});
  return table;
}

std::string_view QueryUsage() {
  static const std::string usage = MakeUsage();
  return usage;
}

std::string_view QueryHelp() {
  static const std::string help = MakeHelp();
  return help;
}

bool ParseArgs(const std::vector<std::string>& args, QueryOptions& options, std::string& problem) {
  std::vector<option> longOptions;
  for (size_t i = 0; i < std::size(kOptions); ++i) {
    longOptions.push_back(option{kOptions[i].name, kOptions[i].value.empty() ? no_argument : required_argument, nullptr,
                                 kFirstRow + static_cast<int>(i)});
  }
  longOptions.push_back(option{nullptr, 0, nullptr, 0});
  std::vector<std::string> copies(args);
  std::vector<char*> argv;
  std::string program = "vantorel-query";
  argv.push_back(program.data());
  for (std::string& arg : copies) argv.push_back(arg.data());
  argv.push_back(nullptr);
  const int argc = static_cast<int>(argv.size()) - 1;

  // "-": the arguments in their order, no permutation (POSIXLY_CORRECT aside), a FILE
  // returned as 1, so the argument getopt reads is always argv[optind]; ":": a missing value
  // returned as ':'. No messages of getopt's own; optind 0 starts afresh.
  opterr = 0;
  optind = 0;
  for (;;) {
    const int at = optind == 0 ? 1 : optind;
    const int c = getopt_long(argc, argv.data(), "-:", longOptions.data(), nullptr);
    if (c == -1) break;
    if (c == 1) {
      AddFile(options, optarg);
      continue;
    }
    // The option as given, up to '='. getopt takes an unambiguous abbreviation for the whole
    // name; vantorel-query never did, so a name is taken only whole.
    const std::string given = argv[at];
    const std::string name = given.substr(0, given.find('='));
    const OptionRow* row = RowNamed(name);
    if (c == '?' || c == ':' || row != &kOptions[c - kFirstRow]) {
      if (row == nullptr || (c != '?' && c != ':')) {
        problem = "unknown option " + name;
      } else {
        problem = name + (c == ':' ? " needs a value" : " takes no value");
      }
      return false;
    }
    if (!row->take(options, name, row->value.empty() ? std::string() : std::string(optarg), problem)) return false;
  }
  // After "--", the rest are FILEs.
  for (int i = optind; i < argc; ++i) AddFile(options, argv[i]);

  if (options.help) return true;
  if (static_cast<int>(options.lists) + static_cast<int>(options.countOnly) + static_cast<int>(options.format.has_value() || options.xlsx) +
          static_cast<int>(options.histogram) > 1) {
    problem = "--lists, --count, --format and --histogram exclude each other";
    return false;
  }
  if (options.follow && (options.lists || options.countOnly || options.histogram)) {
    problem = "--follow shows rows: not with --lists, --count or --histogram";
    return false;
  }
  if (options.xlsx && options.format) {
    problem = "--format is given twice";
    return false;
  }
  if (options.xlsx && !options.output) {
    problem = "--format xlsx writes a file: give it with --output FILE";
    return false;
  }
  if (options.output && options.follow) {
    problem = "--output writes a whole file: not with --follow";
    return false;
  }
  if (options.moment && options.format != RowFormat::Tsv && options.format != RowFormat::Csv &&
      options.format != RowFormat::JsonLines) {
    problem = "--moment goes with --format tsv or csv";
    return false;
  }
  if (options.file.empty()) {
    problem = "no FILE given";
    return false;
  }
  if (options.files.size() > 1 && (options.follow || options.xlsx)) {
    problem = std::string(options.follow ? "--follow" : "--format xlsx") + " takes one FILE";
    return false;
  }
  return true;
}

bool FitsKind(const QueryOptions& o, JournalKind kind, std::string& problem) {
  const KindDescription& description = DescriptionOf(kind);
  for (const char* dates : {"--from-date", "--to-date"}) {
    const bool given = dates[2] == 'f' ? o.fromDate.has_value() : o.toDate.has_value();
    if (given && !description.dateRange && o.files.size() < 2) {
      problem = std::string(dates) + " applies to .param journals, or to several journals of more than one day";
      return false;
    }
  }
  for (const auto& [name, text] : o.values) {
    bool fits = false;
    for (int l = 0; l < description.listCount; ++l) fits = fits || description.lists[l].option == name;
    if (!fits) {
      problem = name + " applies to " + KindsWithList(name) + " journals only";
      return false;
    }
  }
  return true;
}

std::vector<TextFilter> TextFiltersOf(const QueryOptions& o) {
  std::vector<TextFilter> filters;
  for (const bool hide : {false, true}) {
    for (const std::string& text : hide ? o.exclude : o.match) {
      TextFilter filter;
      filter.text = Utf8ToCp1251(text);
      filter.hide = hide;
      filter.regex = o.regex;
      filter.matchCase = o.matchCase;
      // A character the code page lacks: no row holds the text.
      filter.unwritable = Cp1251ToUtf8(filter.text) != text;
      filters.push_back(std::move(filter));
    }
  }
  return filters;
}

std::optional<std::string> ListOption(const QueryOptions& o, JournalKind kind, int list) {
  const std::string_view option = DescriptionOf(kind).lists[list].option;
  for (const auto& [name, text] : o.values) {
    if (name == option) return text;
  }
  return std::nullopt;
}

}  // namespace vantorel
