#include "query/Query.h"

#include <charconv>
#include <cmath>
#include <exception>
#include <initializer_list>
#include <optional>

#include "journals/Extension.h"
#include "uStrUtils/AppError.h"
#include "uStrUtils/Cp1251.h"
#include "views/ActionFilter.h"
#include "views/AlarmFilter.h"
#include "views/CellTexts.h"
#include "views/ParamFilter.h"

namespace vantorel {
namespace {

constexpr size_t kFlushAt = size_t{1} << 20;

// The date the window's date pickers start with, 25 November 2013: what a parameter or
// statistics journal without records takes as its date range.
constexpr TDateTime kPickerStartDate = 41603;

constexpr std::string_view kUsage =
    "usage: vantorel-query [--from HH:MM:SS[.zzz]] [--to HH:MM:SS[.zzz]]\n"
    "                      [--from-date YYYY-MM-DD] [--to-date YYYY-MM-DD]\n"
    "                      [--group TEXT] [--node TEXT] [--port TEXT] [--param TEXT]\n"
    "                      [--user TEXT] [--action TEXT] [--show-unimportant]\n"
    "                      [--lists | --count] FILE\n"
    "       vantorel-query --help\n";

constexpr std::string_view kHelp =
    "Prints a journal of the Ostrevane as the viewer's table shows it.\n"
    "\n"
    "FILE is read by the exact extension of its name: .alarms, .action, .param or .stat.\n"
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
    "  --help                  this text\n"
    "Options take their value as the next argument or after '='.\n"
    "\n"
    "Exit status: 0 done; 1 the journal could not be loaded (the viewer's error message\n"
    "on standard error); 2 bad options or a file of no known kind.\n";

// Collects output and hands it to the sink in large pieces.
class BufferedOut {
 public:
  explicit BufferedOut(TextSink& sink) : sink_(sink) { buffer_.reserve(kFlushAt + 64 * 1024); }
  ~BufferedOut() { Flush(); }
  BufferedOut(const BufferedOut&) = delete;
  BufferedOut& operator=(const BufferedOut&) = delete;

  std::string& Text() { return buffer_; }
  void LineDone() {
    buffer_.push_back('\n');
    if (buffer_.size() >= kFlushAt) Flush();
  }
  void Flush() {
    if (buffer_.empty()) return;
    sink_.Write(buffer_);
    buffer_.clear();
  }

 private:
  TextSink& sink_;
  std::string buffer_;
};

struct QueryOptions {
  std::string file;
  TimeWindow time;
  std::optional<TDateTime> fromDate;
  std::optional<TDateTime> toDate;
  // Windows-1251, as the lists hold them.
  std::optional<std::string> group, node, port, param, user, action;
  bool showUnimportant = false;
  bool lists = false;
  bool countOnly = false;
  bool help = false;
};

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

// The days a date picker holds: 14 September 1752 to 31 December 9999.
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

// Reads `args` into `options`; false with `problem` set when they are not understood.
bool ParseArgs(const std::vector<std::string>& args, QueryOptions& options, std::string& problem) {
  bool optionsEnded = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
      if (!options.file.empty()) {
        problem = "more than one FILE: " + arg;
        return false;
      }
      options.file = arg;
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
    std::string text;
    if (name == "--help") {
      if (!flag(options.help)) return false;
    } else if (name == "--show-unimportant") {
      if (!flag(options.showUnimportant)) return false;
    } else if (name == "--lists") {
      if (!flag(options.lists)) return false;
    } else if (name == "--count") {
      if (!flag(options.countOnly)) return false;
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
      std::optional<std::string>* target = name == "--group"    ? &options.group
                                           : name == "--node"   ? &options.node
                                           : name == "--port"   ? &options.port
                                           : name == "--param"  ? &options.param
                                           : name == "--user"   ? &options.user
                                           : name == "--action" ? &options.action
                                                                : nullptr;
      if (target == nullptr) {
        problem = "unknown option " + name;
        return false;
      }
      if (!value(text)) return false;
      *target = Utf8ToCp1251(text);
    }
  }
  if (options.help) return true;
  if (options.lists && options.countOnly) {
    problem = "--lists and --count exclude each other";
    return false;
  }
  if (options.file.empty()) {
    problem = "no FILE given";
    return false;
  }
  return true;
}

// The options that the view of `kind` has no control for.
bool FitsKind(const QueryOptions& o, JournalKind kind, std::string& problem) {
  const bool alarms = kind == JournalKind::Alarms, action = kind == JournalKind::Action;
  const bool param = kind == JournalKind::Param, paramOrStat = param || kind == JournalKind::Stat;
  const struct {
    bool given;
    bool fits;
    const char* name;
    const char* kinds;
  } checks[] = {
      {o.fromDate.has_value(), param, "--from-date", ".param"},
      {o.toDate.has_value(), param, "--to-date", ".param"},
      {o.group.has_value(), alarms || paramOrStat, "--group", ".alarms, .param and .stat"},
      {o.node.has_value(), alarms || paramOrStat, "--node", ".alarms, .param and .stat"},
      {o.port.has_value(), alarms || paramOrStat, "--port", ".alarms, .param and .stat"},
      {o.param.has_value(), paramOrStat, "--param", ".param and .stat"},
      {o.user.has_value(), action, "--user", ".action"},
      {o.action.has_value(), action, "--action", ".action"},
  };
  for (const auto& check : checks) {
    if (check.given && !check.fits) {
      problem = std::string(check.name) + " applies to " + check.kinds + " journals only";
      return false;
    }
  }
  return true;
}

// Keeps the first line's titles for the title row; progress is not shown.
class TitleCapture final : public LoadObserver {
 public:
  void Titles(const std::vector<std::string>& titles) override { titles_ = titles; }
  void Started(size_t) override {}
  void Progress(size_t, size_t) override {}
  const std::vector<std::string>& Get() const { return titles_; }

 private:
  std::vector<std::string> titles_;
};

// The list item whose text is `text`; item 0 when no text is given; -1 when none is.
int ItemIndex(const std::vector<std::string_view>& items, const std::optional<std::string>& text) {
  if (!text) return 0;
  for (size_t i = 0; i < items.size(); ++i) {
    if (items[i] == *text) return static_cast<int>(i);
  }
  return -1;
}

ValueFilter FilterOf(const std::vector<std::string_view>& items, const std::optional<std::string>& text) {
  return ValueFilter::Select(ItemIndex(items, text), items);
}

void AppendNumber(std::string& out, size_t value) {
  char digits[24];
  const auto [end, ec] = std::to_chars(digits, digits + sizeof digits, value);
  out.append(digits, end);
}

struct ListOut {
  const char* name;
  const std::vector<std::string_view>* items;
};

// Writes a view: the title row, the rows and the count; or the filter lists; or the count alone.
class QueryPrinter {
 public:
  QueryPrinter(const QueryOptions& options, TextSink& out) : options_(options), out_(out) {}

  void Print(const std::vector<std::string>& titles, const JournalTable& table, const std::vector<uint32_t>& rows,
             std::initializer_list<ListOut> lists) {
    std::string& text = out_.Text();
    if (options_.lists) {
      for (const ListOut& list : lists) {
        text += list.name;
        for (std::string_view item : *list.items) {
          text.push_back('\t');
          AppendCp1251AsUtf8(text, item);
        }
        out_.LineDone();
      }
      return;
    }
    if (!options_.countOnly) {
      const int columns = table.ColumnCount();
      for (int c = 0; c < columns; ++c) {
        if (c > 0) text.push_back('\t');
        if (static_cast<size_t>(c) < titles.size()) AppendCp1251AsUtf8(text, titles[static_cast<size_t>(c)]);
      }
      out_.LineDone();
      std::string scratch;
      for (uint32_t row : rows) {
        for (int c = 0; c < columns; ++c) {
          if (c > 0) text.push_back('\t');
          AppendCp1251AsUtf8(text, table.CellText(row, c, scratch));
        }
        out_.LineDone();
      }
    }
    text += "Показано строк: ";
    AppendNumber(text, rows.size());
    text += " из ";
    AppendNumber(text, table.RecordCount());
    out_.LineDone();
  }

 private:
  const QueryOptions& options_;
  BufferedOut out_;
};

void RunAlarms(const QueryOptions& o, const DateTimeRules& rules, TextSink& out) {
  TitleCapture titles;
  const AlarmLoad load = LoadAlarmLog(o.file, rules, titles);
  AlarmFilters filters;
  filters.time = o.time;
  filters.group = FilterOf(load.lists.groups, o.group);
  filters.node = FilterOf(load.lists.nodes, o.node);
  filters.port = FilterOf(load.lists.ports, o.port);
  filters.showUnimportant = o.showUnimportant;
  std::vector<uint32_t> rows;
  if (!o.lists) SelectAlarmRows(load.records, filters, rows);
  QueryPrinter(o, out).Print(titles.Get(), AlarmTable(load.records, rules.regional), rows,
                             {{"GroupCB", &load.lists.groups}, {"NameCB", &load.lists.nodes},
                              {"PortCB", &load.lists.ports}});
}

void RunActions(const QueryOptions& o, const DateTimeRules& rules, TextSink& out) {
  TitleCapture titles;
  const ActionLoad load = LoadActionLog(o.file, rules, titles);
  ActionFilters filters;
  filters.time = o.time;
  filters.user = FilterOf(load.lists.users, o.user);
  filters.action = FilterOf(load.lists.actions, o.action);
  std::vector<uint32_t> rows;
  if (!o.lists) SelectActionRows(load.records, filters, rows);
  QueryPrinter(o, out).Print(titles.Get(), ActionTable(load.records, rules.regional), rows,
                             {{"UserCB", &load.lists.users}, {"ActCB", &load.lists.actions}});
}

void RunParamStat(const QueryOptions& o, bool isParam, const DateTimeRules& rules, TextSink& out) {
  TitleCapture titles;
  const ParamLoad load = LoadParamStatLog(o.file, kPickerStartDate, rules, titles);
  ParamFilters filters;
  if (isParam) {
    // The window puts the file's first and last day into its date pickers, which refuse
    // days outside their range.
    filters.startDate = std::trunc(load.earliest);
    filters.endDate = std::trunc(load.latest);
    if (!InPickerRange(filters.startDate) || !InPickerRange(filters.endDate)) {
      throw AppError("Failed to set calendar date or time");
    }
    if (o.fromDate) filters.startDate = *o.fromDate;
    if (o.toDate) filters.endDate = *o.toDate;
  }
  filters.time = o.time;
  filters.group = FilterOf(load.lists.groups, o.group);
  filters.node = FilterOf(load.lists.nodes, o.node);
  filters.port = FilterOf(load.lists.ports, o.port);
  filters.param = FilterOf(load.lists.params, o.param);
  std::vector<uint32_t> rows;
  if (!o.lists) (isParam ? SelectParamRows : SelectStatRows)(load.records, filters, rows);
  QueryPrinter(o, out).Print(titles.Get(), ParamTable(load.records, rules.regional, isParam), rows,
                             {{"GroupCB2", &load.lists.groups}, {"NameCb2", &load.lists.nodes},
                              {"PortCB2", &load.lists.ports}, {"ParamCB", &load.lists.params}});
}

int BadUsage(TextSink& err, const std::string& problem) {
  err.Write("vantorel-query: " + problem + "\n");
  err.Write(kUsage);
  return kQueryBadUsage;
}

}  // namespace

std::string_view QueryHelpText() { return kHelp; }

int RunQuery(const std::vector<std::string>& args, const DateTimeRules& rules, TextSink& out, TextSink& err) {
  QueryOptions options;
  std::string problem;
  if (!ParseArgs(args, options, problem)) return BadUsage(err, problem);
  if (options.help) {
    out.Write(kUsage);
    out.Write("\n");
    out.Write(kHelp);
    return kQueryOk;
  }
  const JournalKind kind = KindOfPath(options.file);
  if (kind == JournalKind::None) {
    err.Write("vantorel-query: " + options.file +
              ": not a journal: the name must end in .alarms, .action, .param or .stat\n");
    return kQueryBadUsage;
  }
  if (!FitsKind(options, kind, problem)) return BadUsage(err, problem);

  try {
    switch (kind) {
      case JournalKind::Alarms: RunAlarms(options, rules, out); break;
      case JournalKind::Action: RunActions(options, rules, out); break;
      case JournalKind::Param: RunParamStat(options, true, rules, out); break;
      case JournalKind::Stat: RunParamStat(options, false, rules, out); break;
      case JournalKind::None: break;
    }
  } catch (const std::exception& error) {
    // The window's error report: the message with its full stop, read as Windows-1251.
    err.Write(Cp1251ToUtf8(ReportText(MessageOf(error))) + "\n");
    return kQueryLoadFailed;
  } catch (...) {
    err.Write(ReportText("Unknown error") + "\n");
    return kQueryLoadFailed;
  }
  return kQueryOk;
}

}  // namespace vantorel
