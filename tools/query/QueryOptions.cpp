#include "query/QueryOptions.h"

#include <algorithm>
#include <charconv>
#include <iterator>
#include <initializer_list>

#include "journals/JournalKinds.h"
#include "uStrUtils/Cp1251.h"

namespace vantorel {
namespace {

constexpr std::string_view kUsage =
    "usage: vantorel-query [--from HH:MM:SS[.zzz]] [--to HH:MM:SS[.zzz]]\n"
    "                      [--from-date YYYY-MM-DD] [--to-date YYYY-MM-DD]\n"
    "                      [--group TEXT] [--node TEXT] [--port TEXT] [--param TEXT]\n"
    "                      [--user TEXT] [--action TEXT] [--show-unimportant]\n"
    "                      [--lists | --count | --histogram |\n"
    "                       --format tsv|csv|jsonl|xlsx [--moment]]\n"
    "                      [--output FILE] [--follow] FILE...\n"
    "       vantorel-query --help\n";

constexpr std::string_view kHelp =
    "Prints a journal of the Ostrevane as the viewer's table shows it.\n"
    "\n"
    "FILE is read by the exact extension of its name: .alarms, .action, .param or .stat.\n"
    "Several FILEs of one kind are shown as one journal, their records in the order of\n"
    "their date and time (equal moments by journal, then line), with one more column,\n"
    "\"Журнал\", naming each record's file; --follow and xlsx take one FILE.\n"
    "Dates and times are read and written by the system's regional settings (LC_ALL,\n"
    "LC_TIME, LANG), two-digit years by the current year, as the viewer does.\n"
    "\n"
    "Output, in UTF-8: the title row (the file's first line, cut or padded to the\n"
    "journal's column count), then one line per shown row, cells joined by tabs, then\n"
    "the count line \"Показано строк: N из M\".\n"
    "\n"
    "Filters (all optional):\n"
    "  --from HH:MM:SS[.zzz]   start of the time window, 24-hour clock (00:00:00)\n"
    "  --to HH:MM:SS[.zzz]     end of the time window (23:59:59); both ends inclusive\n"
    "  --from-date YYYY-MM-DD  first day shown, .param only (the file's first day)\n"
    "  --to-date YYYY-MM-DD    last day, .param only (the file's last day); on it the\n"
    "                          time window's end applies, on the days before it does not\n"
    "  --group TEXT            group (.alarms, .param, .stat)\n"
    "  --node TEXT             node (.alarms, .param, .stat)\n"
    "  --port TEXT             board or port (.alarms, .param, .stat)\n"
    "  --param TEXT            parameter (.param, .stat)\n"
    "  --user TEXT             user (.action)\n"
    "  --action TEXT           action (.action)\n"
    "  --show-unimportant      show the unimportant alarms too\n"
    "A value filter keeps the records whose field is TEXT exactly; TEXT equal to the\n"
    "list's first item (\"Все группы\", ...) keeps all, and a TEXT that is no item of the\n"
    "list keeps only the records whose field is empty.\n"
    "\n"
    "Instead of the rows:\n"
    "  --lists                 the filter lists, one line each: the list's name, then\n"
    "                          its items, joined by tabs\n"
    "  --count                 the count line alone\n"
    "  --histogram             one line per quarter of an hour of the day: its start\n"
    "                          (HH:MM) and how many records of it pass every filter but\n"
    "                          the time window (for .param, the days of the date range)\n"
    "  --format tsv|csv|jsonl|xlsx\n"
    "                          the title row and the shown rows for other programs, no\n"
    "                          count line: tab-separated; CSV as RFC 4180 quotes it, CR LF\n"
    "                          line ends; JSON lines, one object a row keyed by the column\n"
    "                          titles, led by \"moment\" (the record's date and time as\n"
    "                          ISO 8601, 2013-11-25T14:05:09.000, whatever the date-time\n"
    "                          column shows) and \"journal\" (the file's name); or an Excel\n"
    "                          workbook (needs --output): a first column \"Момент\" holding\n"
    "                          the date and time as a spreadsheet date, then the cells as\n"
    "                          text, alarm rows in the viewer's colours\n"
    "  --moment                with --format tsv or csv: the columns \"moment\" and\n"
    "                          \"journal\" first, as JSON lines have them\n"
    "  --output FILE           write to FILE instead of standard output; FILE is\n"
    "                          replaced only once it is whole (not with --follow)\n"
    "  --follow                after the rows of the journal as it stands, print every\n"
    "                          new row that passes the filters as the file grows, until\n"
    "                          interrupted; no count line. A journal renamed or removed\n"
    "                          (log rotation) is read to its end, then the new file at\n"
    "                          its name from its title line; one rewritten in place is\n"
    "                          read again from its start\n"
    "  --help                  this text\n"
    "Options take their value as the next argument or after '='.\n"
    "\n"
    "Exit status: 0 done; 1 the journal could not be loaded (the viewer's error message\n"
    "on standard error); 2 bad options or a file of no known kind.\n";

}  // namespace

std::string_view QueryUsage() { return kUsage; }
std::string_view QueryHelp() { return kHelp; }

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

bool ParseArgs(const std::vector<std::string>& args, QueryOptions& options, std::string& problem) {
  bool optionsEnded = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
      if (options.file.empty()) options.file = arg;
      options.files.push_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    std::string name = arg;
    std::optional<std::string> inlineValue;
    if (const size_t eq = arg.find('='); eq != std::string::npos) {
      name = arg.substr(0, eq);
      inlineValue = arg.substr(eq + 1);
    }
    auto flag = [&](bool& target) {
      if (inlineValue) {
        problem = name + " takes no value";
        return false;
      }
      target = true;
      return true;
    };
    auto value = [&](std::string& target) {
      if (inlineValue) {
        target = *inlineValue;
        return true;
      }
      if (i + 1 >= args.size()) {
        problem = name + " needs a value";
        return false;
      }
      target = args[++i];
      return true;
    };
    static constexpr std::pair<std::string_view, bool QueryOptions::*> kFlags[] = {
        {"--help", &QueryOptions::help},           {"--show-unimportant", &QueryOptions::showUnimportant},
        {"--lists", &QueryOptions::lists},         {"--count", &QueryOptions::countOnly},
        {"--follow", &QueryOptions::follow},       {"--histogram", &QueryOptions::histogram},
        {"--moment", &QueryOptions::moment},
    };
    const auto flagged = std::find_if(std::begin(kFlags), std::end(kFlags), [&name](const auto& f) { return f.first == name; });
    if (flagged != std::end(kFlags)) {
      if (!flag(options.*(flagged->second))) return false;
      continue;
    }
    std::string text;
    if (name == "--output") {
      if (!value(text)) return false;
      if (text.empty()) {
        problem = "--output needs a file name";
        return false;
      }
      options.output = text;
    } else if (name == "--format") {
      if (!value(text)) return false;
      if (text == "tsv") {
        options.format = RowFormat::Tsv;
      } else if (text == "csv") {
        options.format = RowFormat::Csv;
      } else if (text == "jsonl") {
        options.format = RowFormat::JsonLines;
      } else if (text == "xlsx") {
        options.format.reset();
        options.xlsx = true;
      } else {
        problem = "--format wants tsv, csv, jsonl or xlsx, not '" + text + "'";
        return false;
      }
    } else if (name == "--from" || name == "--to") {
      if (!value(text)) return false;
      TDateTime& bound = name == "--from" ? options.time.start : options.time.end;
      if (!ParseTimeOption(text, bound)) {
        problem = name + " wants HH:MM:SS or HH:MM:SS.zzz, not '" + text + "'";
        return false;
      }
    } else if (name == "--from-date" || name == "--to-date") {
      if (!value(text)) return false;
      TDateTime day = 0;
      if (!ParseDateOption(text, day)) {
        problem = name + " wants a date YYYY-MM-DD from 1752-09-14 to 9999-12-31, not '" + text + "'";
        return false;
      }
      (name == "--from-date" ? options.fromDate : options.toDate) = day;
    } else {
      if (KindsWithList(name).empty()) {
        problem = "unknown option " + name;
        return false;
      }
      if (!value(text)) return false;
      std::erase_if(options.values, [&name](const auto& given) { return given.first == name; });
      options.values.emplace_back(name, Utf8ToCp1251(text));
    }
  }
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
    if (given && !description.dateRange) {
      problem = std::string(dates) + " applies to .param journals only";
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

std::optional<std::string> ListOption(const QueryOptions& o, JournalKind kind, int list) {
  const std::string_view option = DescriptionOf(kind).lists[list].option;
  for (const auto& [name, text] : o.values) {
    if (name == option) return text;
  }
  return std::nullopt;
}

}  // namespace vantorel
