#include "query/Query.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>

#include <charconv>
#include <chrono>
#include <functional>
#include <memory>
#include <thread>
#include <cmath>
#include <exception>
#include <initializer_list>
#include <optional>

#include "document/JournalDocument.h"
#include "document/RowExport.h"
#include "document/Timeline.h"
#include "exchange/XlsxWorkbook.h"
#include "datetime/DateTimeParse.h"
#include "journals/Extension.h"
#include "journals/FileWrite.h"
#include "journals/JournalSource.h"
#include "journals/JournalStream.h"
#include "journals/RecordParser.h"
#include "uStrUtils/AppError.h"
#include "uStrUtils/Cp1251.h"

namespace vantorel {
namespace {

constexpr size_t kFlushAt = size_t{1} << 20;

constexpr std::string_view kUsage =
    "usage: vantorel-query [--from HH:MM:SS[.zzz]] [--to HH:MM:SS[.zzz]]\n"
    "                      [--from-date YYYY-MM-DD] [--to-date YYYY-MM-DD]\n"
    "                      [--group TEXT] [--node TEXT] [--port TEXT] [--param TEXT]\n"
    "                      [--user TEXT] [--action TEXT] [--show-unimportant]\n"
    "                      [--lists | --count | --histogram |\n"
    "                       --format tsv|csv|jsonl|xlsx [--moment]]\n"
    "                      [--output FILE] [--follow] FILE\n"
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

// A temporary file in TMPDIR (or /tmp) that has no name, so that nothing of it stays behind
// however the program ends; null when none can be made.
std::FILE* UnnamedTemporary() {
  const char* tmpdir = std::getenv("TMPDIR");
  const std::string folder = tmpdir != nullptr && *tmpdir != '\0' ? tmpdir : "/tmp";
  int fd = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
  if (fd < 0) {
    // A file system without unnamed files: the name goes at once.
    std::string name = folder + "/vantorel-query-XXXXXX";
    fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd >= 0) ::unlink(name.c_str());
  }
  std::FILE* file = fd < 0 ? nullptr : ::fdopen(fd, "w+");
  if (file == nullptr && fd >= 0) ::close(fd);
  return file;
}

// Collects output and hands it to the sink in large pieces, once the query has succeeded: a
// journal that fails part way through leaves no row and no count line behind. Until then
// what does not fit in memory waits in a temporary file, so memory does not grow with the
// output either.
class BufferedOut {
 public:
  explicit BufferedOut(TextSink& sink) : sink_(sink) { buffer_.reserve(kFlushAt + 64 * 1024); }
  ~BufferedOut() {
    if (committed_) Flush();
    if (spill_ != nullptr) std::fclose(spill_);
  }
  BufferedOut(const BufferedOut&) = delete;
  BufferedOut& operator=(const BufferedOut&) = delete;

  std::string& Text() { return buffer_; }
  void LineDone() {
    buffer_.push_back('\n');
    Flushed();
  }
  // Hands the text on once there is enough of it.
  void Flushed() {
    if (buffer_.size() >= kFlushAt) Flush();
  }
  void Flush() {
    if (buffer_.empty()) return;
    if (committed_) {
      sink_.Write(buffer_);
    } else {
      if (spill_ == nullptr) spill_ = UnnamedTemporary();
      if (spill_ == nullptr || std::fwrite(buffer_.data(), 1, buffer_.size(), spill_) != buffer_.size()) {
        throw AppError("Cannot keep the output: no room for a temporary file");
      }
    }
    buffer_.clear();
  }
  // The query has succeeded: what waited is handed on, and from now on everything at once.
  void Commit() {
    if (committed_) return;
    committed_ = true;
    if (spill_ != nullptr) {
      std::rewind(spill_);
      std::string piece(kFlushAt, '\0');
      size_t got = 0;
      while ((got = std::fread(piece.data(), 1, piece.size(), spill_)) > 0) sink_.Write(std::string_view(piece.data(), got));
      std::fclose(spill_);
      spill_ = nullptr;
    }
    Flush();
  }

 private:
  TextSink& sink_;
  std::string buffer_;
  std::FILE* spill_ = nullptr;
  bool committed_ = false;
};

struct QueryOptions {
  std::string file;
  TimeWindow time;
  std::optional<TDateTime> fromDate;
  std::optional<TDateTime> toDate;
  // Windows-1251, as the lists hold them.
  // The value options given (--group, --user, ...) and their texts.
  std::vector<std::pair<std::string, std::string>> values;
  bool showUnimportant = false;
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
    } else if (name == "--follow") {
      if (!flag(options.follow)) return false;
    } else if (name == "--histogram") {
      if (!flag(options.histogram)) return false;
    } else if (name == "--moment") {
      if (!flag(options.moment)) return false;
    } else if (name == "--output") {
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
  return true;
}

// The options that the view of `kind` has no control for.
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

// The text the options give for list `list` of `kind`, if any.
std::optional<std::string> ListOption(const QueryOptions& o, JournalKind kind, int list) {
  const std::string_view option = DescriptionOf(kind).lists[list].option;
  for (const auto& [name, text] : o.values) {
    if (name == option) return text;
  }
  return std::nullopt;
}

void AppendNumber(std::string& out, size_t value) {
  char digits[24];
  const auto [end, ec] = std::to_chars(digits, digits + sizeof digits, value);
  out.append(digits, end);
}

// The query over one journal, read as a stream: each record line goes through the same
// parser and the same tests as the document's, and is printed or dropped; nothing of it is
// kept but the filter lists.
template <JournalKind K>
class StreamQuery {
 public:
  StreamQuery(const QueryOptions& options, const DateTimeRules& rules, TextSink& out, TextSink& err,
              const std::function<bool()>& followIdle)
      : o_(options), rules_(rules), out_(out), err_(err), followIdle_(followIdle), source_(options.file),
        stream_(source_, kKind) {
    for (int l = 0; l < kKind.listCount; ++l) wanted_[static_cast<size_t>(l)] = ListOption(options, K, l);
  }

  void Run() {
    source_.Open(ReadErrorStyle::TextFile);
    if (o_.follow) stream_.WaitForLineEnds();
    CatchUp(true);
    if (o_.lists) {
      PrintLists();
      return out_.Commit();
    }
    if (o_.histogram) {
      PrintHistogram();
      return out_.Commit();
    }
    if (o_.follow) return Follow();
    if (workbook_) return workbook_->Close();
    if (!o_.format) {
      std::string& text = out_.Text();
      text += "Показано строк: ";
      AppendNumber(text, shown_);
      text += " из ";
      AppendNumber(text, total_);
      out_.LineDone();
    }
    out_.Commit();
  }

 private:
  static constexpr const KindDescription& kKind = Describe<K>();
  static constexpr TDateTime kPickerStartDate = 41603;
  static constexpr TDateTime kBeforeAnyDay = -1e9;

  bool Rows() const { return !o_.countOnly && !o_.lists && !o_.histogram; }

  // The filters and lists as they stand before any record of a journal is read.
  void Reset() {
    const Literals& words = Cp1251Literals();
    arena_ = TextArena();
    for (int l = 0; l < kKind.listCount; ++l) lists_[static_cast<size_t>(l)].Reset(words.*kKind.lists[l].allValues);
    FilterState state;
    state.startTime = o_.time.start;
    state.endTime = o_.time.end;
    // Without a start day the file's first day applies, which no record lies before.
    state.startDate = o_.fromDate.value_or(kBeforeAnyDay);
    state.endDate = o_.toDate.value_or(0);
    state.showUnimportant = o_.showUnimportant;
    filter_ = MakeRecordFilter(kKind, state, lists_);
    listMask_ = 0;
    for (int l = 0; l < kKind.listCount; ++l) {
      const std::optional<std::string>& wanted = wanted_[static_cast<size_t>(l)];
      // A text that is the list's all-values item lets every value through. Another text's
      // item is known once a record brings it into the list.
      if (!wanted || *wanted == words.*kKind.lists[l].allValues) continue;
      filter_.lists[static_cast<size_t>(l)] = {false, kNoItem};
      listMask_ |= 1u << l;
    }
    if (o_.lists) listMask_ = ~0u;
    total_ = shown_ = 0;
    days_ = DaySpan();
    counted_ = false;
    bins_ = {};
    late_.clear();
    lateCount_ = 0;
  }

  // The journal as it stands, from its start, as a run without --follow shows it; `first`:
  // the run's first journal, whose title row is printed. False while a followed journal's
  // title line has not ended.
  bool CatchUp(bool first) {
    Reset();
    if (!stream_.ReadTitles()) return false;
    // The end day's rule needs the last day of the file: known only after a first reading.
    const bool lastDayFirst = kKind.dateRange && !o_.toDate && !o_.lists;
    if (kKind.emptyFileFails && !stream_.HasLines()) throw AppError("Range check error");
    titles_ = stream_.Titles();
    if (!lastDayFirst && Rows()) PrintTitles(first);
    Pass(!lastDayFirst && !o_.lists);
    if constexpr (kKind.findsDays) {
      if (!days_.any) days_.earliest = days_.latest = kPickerStartDate;
      // The window puts the file's first and last day into its date pickers, which refuse
      // days outside their range.
      if (kKind.dateRange && (!InPickerRange(std::trunc(days_.earliest)) || !InPickerRange(std::trunc(days_.latest)))) {
        throw AppError("Failed to set calendar date or time");
      }
    }
    if (o_.lists) return true;
    bool again = lastDayFirst;
    if (lastDayFirst) {
      filter_.endDate = std::trunc(days_.latest);
      for (int l = 0; l < kKind.listCount; ++l) {
        if (listMask_ & (1u << l)) filter_.lists[static_cast<size_t>(l)] = ValueFilter::Select(Wanted(l), List(l));
      }
      if (Rows()) PrintTitles(first);
    } else {
      // A wanted value no record holds selects no item: then only the records whose field is
      // empty pass, which a second reading finds.
      for (int l = 0; l < kKind.listCount; ++l) {
        ValueFilter& f = filter_.lists[static_cast<size_t>(l)];
        if (f.passAll || f.item != kNoItem) continue;
        if (Wanted(l) >= 0) {
          f.item = static_cast<uint32_t>(Wanted(l));
          continue;
        }
        f = ValueFilter::Select(-1, List(l));
        again = again || f.item != kNoItem;
      }
      if (again) {
        for (const ValueFilter& f : filter_.lists) again = again && (f.passAll || f.item != kNoItem);
      }
    }
    if (again) {
      shown_ = 0;
      bins_ = {};
      late_.clear();
      lateCount_ = 0;
      source_.Rewind();
      stream_.Restart(untitled_);
      stream_.ReadTitles();
      Pass(true);
    }
    return true;
  }

  // The new rows as the journal grows, until the idle hook says to stop. A journal rotated
  // away is read to its end first; one rewritten, or the new file at its name, is read from
  // its start once its title line has ended. A journal that cannot be read is reported and
  // waited for.
  void Follow() {
    out_.Commit();
    following_ = true;
    std::string added;
    for (;;) {
      out_.Flush();
      if (!followIdle_()) return;
      try {
        switch (source_.Look(JournalSource::Clock::now(), added)) {
          case SourceChange::Same:
          case SourceChange::Gone:
            break;
          case SourceChange::Grew:
            if (waiting_) {
              StartOver();
            } else if (!broken_ && stream_.Resume(added)) {
              Pass(true);
            }
            break;
          case SourceChange::Rotated:
            if (!waiting_ && !broken_ && stream_.Resume(added)) {
              stream_.EndOfFile();
              Pass(true);
            }
            StartOver();
            break;
          case SourceChange::Rewritten:
            StartOver(!waiting_ && FirstLineIsRecord());
            break;
        }
      } catch (const AppError& error) {
        broken_ = true;
        out_.Flush();
        err_.Write(Cp1251ToUtf8(ReportText(error.Message())) + "\n");
      }
    }
  }

  // Reads the file at the name from its start; `untitled`: its first line is a record.
  void StartOver(bool untitled = false) {
    broken_ = false;
    untitled_ = untitled;
    source_.Rewind();
    stream_.Restart(untitled_);
    waiting_ = !CatchUp(false);
  }

  // A journal cut short in place (log rotation's copytruncate) goes on with records, not a
  // title line: its first line's date and time field reads as a date and time.
  bool FirstLineIsRecord() const {
    const std::string head = source_.Peek(size_t{1} << 16);
    const size_t end = head.find('\n');
    if (end == std::string::npos) return false;
    std::string_view line(head.data(), end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    TDateTime moment = 0;
    return TryStrToDateTime(FieldOfLine(kKind, line, kKind.dateTimeField), rules_, moment);
  }

  const std::vector<std::string_view>& List(int l) const { return lists_[static_cast<size_t>(l)].Items(); }

  // The item of the wanted text of list `l`; -1 when the list does not hold it.
  int Wanted(int l) const {
    const std::optional<std::string>& wanted = wanted_[static_cast<size_t>(l)];
    return wanted ? lists_[static_cast<size_t>(l)].Find(*wanted) : 0;
  }

  // One reading of the journal; with `select`, the records that pass are counted and printed.
  void Pass(bool select) {
    RecordParser<K> parser(rules_, lists_, &arena_, listMask_);
    ParsedRecord values;
    std::string_view line;
    const bool firstPass = !counted_;
    while (stream_.Next(line)) {
      parser.Parse(line, values);
      if (firstPass) {
        ++total_;
        if constexpr (kKind.findsDays) days_.Note(values.time);
      }
      // A followed journal that reaches a new day: its end day, when it was the file's last
      // day, moves to it, as a fresh run would have it.
      if (following_ && kKind.dateRange && !o_.toDate && WholeDay(values.time) > WholeDay(filter_.endDate)) {
        filter_.endDate = WholeDay(values.time);
        out_.Text() += late_;
        shown_ += lateCount_;
        late_.clear();
        lateCount_ = 0;
        out_.Flushed();
      }
      if (!select) continue;
      if (!ListsKnown()) continue;
      if (o_.histogram) {
        if (filter_.PassesDays(values.time) && filter_.PassesListsAndTone(values.items.data(), values.tone)) {
          ++bins_[static_cast<size_t>(BinOf(values.time))];
        }
        continue;
      }
      if (!filter_.PassesMoment(values.time)) {
        // Followed, the end day's late rows wait for the next day, which lets them through.
        if (o_.follow && kKind.dateRange && !o_.toDate && Rows() && Late(values.time) &&
            filter_.PassesListsAndTone(values.items.data(), values.tone)) {
          RenderRow(line, values.time, values.tone, late_);
          ++lateCount_;
        }
        continue;
      }
      if (!filter_.PassesListsAndTone(values.items.data(), values.tone)) continue;
      ++shown_;
      if (Rows()) PrintRow(line, values.time, values.tone);
    }
    counted_ = true;
  }

  // The wanted values' items, as far as records have brought them into the lists; false
  // while one is not known, when no record passes.
  bool ListsKnown() {
    for (int l = 0; l < kKind.listCount; ++l) {
      ValueFilter& f = filter_.lists[static_cast<size_t>(l)];
      if (f.passAll || f.item != kNoItem) continue;
      const int item = Wanted(l);
      if (item < 0) return false;
      f.item = static_cast<uint32_t>(item);
    }
    return true;
  }

  // The title row; a later journal of a followed name only gives the rows their new keys.
  void PrintTitles(bool first) {
    if (o_.xlsx) {
      if (first) workbook_.emplace(*o_.output, ShownTitles(titles_, kKind.columns), WorkbookLook{});
      return;
    }
    if (o_.format) {
      std::optional<std::string> journal;
      if (o_.moment || *o_.format == RowFormat::JsonLines) journal = o_.file.substr(o_.file.find_last_of('/') + 1);
      export_.emplace(*o_.format, kKind.columns, ShownTitles(titles_, kKind.columns), journal);
      if (!first) return;
      export_->AppendTitles(out_.Text());
      out_.Flushed();
      return;
    }
    if (!first) return;
    std::string& text = out_.Text();
    for (int c = 0; c < kKind.columns; ++c) {
      if (c > 0) text.push_back('\t');
      if (static_cast<size_t>(c) < titles_.size()) AppendCp1251AsUtf8(text, titles_[static_cast<size_t>(c)]);
    }
    out_.LineDone();
  }

  void PrintRow(std::string_view line, TDateTime time, TextTone tone) {
    RenderRow(line, time, tone, out_.Text());
    out_.Flushed();
  }

  void RenderRow(std::string_view line, TDateTime time, TextTone tone, std::string& text) {
    if (export_ || workbook_) {
      std::array<std::string_view, kMaxColumns> cells{};
      for (int c = 0; c < kKind.columns; ++c) cells[static_cast<size_t>(c)] = CellOfLine(kKind, rules_.regional, line, time, c, scratch_);
      if (workbook_) return workbook_->AppendRow(time, cells.data(), tone);
      export_->AppendRow(cells.data(), text, time);
      return;
    }
    for (int c = 0; c < kKind.columns; ++c) {
      if (c > 0) text.push_back('\t');
      AppendCp1251AsUtf8(text, CellOfLine(kKind, rules_.regional, line, time, c, scratch_));
    }
    text.push_back('\n');
  }

  // A record of the end day past the time window's end: it passes once a later day comes.
  bool Late(TDateTime t) const {
    return WholeDay(t) == WholeDay(filter_.endDate) && filter_.PassesDays(t) && filter_.time.AtOrAfterStart(t);
  }

  void PrintHistogram() {
    std::string& text = out_.Text();
    char start[8];
    for (int bin = 0; bin < kTimelineBins; ++bin) {
      const int minute = bin * 15;
      std::snprintf(start, sizeof start, "%02d:%02d", minute / 60, minute % 60);
      text += start;
      text.push_back('\t');
      AppendNumber(text, bins_[static_cast<size_t>(bin)]);
      out_.LineDone();
    }
  }

  void PrintLists() {
    std::string& text = out_.Text();
    for (int l = 0; l < kKind.listCount; ++l) {
      text += kKind.lists[l].name;
      for (std::string_view item : List(l)) {
        text.push_back('\t');
        AppendCp1251AsUtf8(text, item);
      }
      out_.LineDone();
    }
  }

  const QueryOptions& o_;
  const DateTimeRules& rules_;
  BufferedOut out_;
  TextSink& err_;
  const std::function<bool()>& followIdle_;
  JournalSource source_;
  JournalStream stream_;
  // Following: the file at the name has not shown its title line yet; or it failed, and
  // waits to be rewritten or replaced.
  bool following_ = false;
  bool waiting_ = false;
  bool untitled_ = false;
  // The end day's rows past the time window's end, as printed once a later day comes.
  std::string late_;
  size_t lateCount_ = 0;
  bool broken_ = false;
  std::array<DistinctList, kMaxLists> lists_;
  // The text each list's option asks for, Windows-1251.
  std::array<std::optional<std::string>, kMaxLists> wanted_;
  TextArena arena_;
  unsigned listMask_ = 0;
  RecordFilter filter_;
  std::vector<std::string> titles_;
  std::optional<RowExport> export_;
  std::optional<XlsxWorkbook> workbook_;
  std::string scratch_;
  size_t total_ = 0;
  size_t shown_ = 0;
  std::array<size_t, kTimelineBins> bins_{};
  bool counted_ = false;
  DaySpan days_;
};

// Hands the output to a file being written.
class WriteSink final : public TextSink {
 public:
  explicit WriteSink(const std::function<void(std::string_view)>& write) : write_(write) {}
  void Write(std::string_view bytes) override { write_(bytes); }

 private:
  const std::function<void(std::string_view)>& write_;
};

int BadUsage(TextSink& err, const std::string& problem) {
  err.Write("vantorel-query: " + problem + "\n");
  err.Write(kUsage);
  return kQueryBadUsage;
}

}  // namespace

std::string_view QueryHelpText() { return kHelp; }

int RunQuery(const std::vector<std::string>& args, const DateTimeRules& rules, TextSink& out, TextSink& err,
             const std::function<bool()>& followIdle) {
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
  if (options.output && SameFile(*options.output, options.file)) {
    return BadUsage(err, "--output names the journal itself");
  }

  try {
    const std::function<bool()> idle = followIdle ? followIdle : [] {
      std::this_thread::sleep_for(std::chrono::milliseconds(250));
      return true;
    };
    const auto run = [&](TextSink& to) {
      WithKind(kind, [&](auto k) { StreamQuery<decltype(k)::value>(options, rules, to, err, idle).Run(); });
    };
    if (options.output && !options.xlsx) {
      WriteFileReplacing(*options.output, [&](const std::function<void(std::string_view)>& write) {
        WriteSink file(write);
        run(file);
      });
    } else {
      run(out);
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
