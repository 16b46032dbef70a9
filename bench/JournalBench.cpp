// bench_journals: the figures of record for journals of each kind.
//
//   bench_journals --query PATH/vantorel-query [--awk PATH] [--runs N] FILE...
//
// For each FILE (its kind told by its extension, its dates written as Russian regional
// settings read them): `wc -l` as the floor; the core load; the window's "Открыть журнал",
// its event-loop gap, two filter changes and its memory (each window run in a fresh process
// of this program, so that its memory is the window's alone); vantorel-query with a time
// window and a value filter, and awk doing the same selection. Times are medians of the runs;
// the targets of record are judged for alarm journals.
//
//   bench_journals [--runs N] --set FILE...
//
// The FILEs, journals of one kind, opened together as one: the window's open, its event-loop
// gap, its memory and two filter changes over the merged rows.
#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLocale>
#include <QSignalBlocker>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <functional>
#include <map>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <vector>

#include "journals/Extension.h"
#include "journals/JournalLoad.h"
#include "platform/SystemRegional.h"
#include "uStrUtils/Cp1251.h"
#include "uStrUtils/Literals.h"
#include "window/CorvanelForm.h"

extern char** environ;

namespace vantorel {
namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* kFrom = "08:00:00";
constexpr const char* kTo = "18:00:00";

double MsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double CpuMs() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

// Wall-clock and CPU time of one run, in ms, and the peak memory of a process run, in bytes.
// Negative when the run failed.
struct Timing {
  double wall = -1;
  double cpu = -1;
  double peak = -1;
};

double Median(std::vector<double> values) {
  if (values.empty()) return -1;
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// The medians of `runs` runs.
Timing MedianOf(int runs, const std::function<Timing()>& run) {
  std::vector<double> wall, cpu, peak;
  for (int i = 0; i < runs; ++i) {
    const Timing t = run();
    if (t.wall < 0) return t;
    wall.push_back(t.wall);
    cpu.push_back(t.cpu);
    peak.push_back(t.peak);
  }
  return {Median(wall), Median(cpu), Median(peak)};
}

const char* KindName(JournalKind kind) {
  switch (kind) {
    case JournalKind::Alarms: return "alarms";
    case JournalKind::Action: return "action";
    case JournalKind::Param: return "param";
    case JournalKind::Stat: return "stat";
    case JournalKind::None: break;
  }
  return "none";
}

void Line(JournalKind kind, const std::string& what, const std::string& value, const std::string& note = {}) {
  std::printf("%-7s %-44s %24s%s%s\n", KindName(kind), what.c_str(), value.c_str(), note.empty() ? "" : "  ",
              note.c_str());
  std::fflush(stdout);
}

std::string Fixed(const char* format, double value) {
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

std::string Ms(Timing t) {
  char text[64];
  std::snprintf(text, sizeof text, "%.1f ms (cpu %.1f)", t.wall, t.cpu);
  return text;
}

std::string Mb(double bytes) { return Fixed("%.1f MB", bytes / 1e6); }

// "met" or "MISSED by N x" against a bound that the figure must not exceed.
std::string Verdict(const std::string& target, double value, double bound) {
  char text[200];
  if (value <= bound) {
    std::snprintf(text, sizeof text, "target %s: met", target.c_str());
  } else {
    std::snprintf(text, sizeof text, "target %s: MISSED by %.2f x", target.c_str(), value / bound);
  }
  return text;
}

// Runs `argv` with standard output to /dev/null (or kept in a pipe when `output` is given);
// its times and peak memory, negative when it cannot run or fails.
Timing TimeProcess(const std::vector<std::string>& argv, char** env = environ, std::string* output = nullptr) {
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  int pipeFds[2] = {-1, -1};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (output != nullptr) {
    if (pipe(pipeFds) != 0) return {};
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
  } else {
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  }
  std::fflush(stdout);
  const Clock::time_point start = Clock::now();
  pid_t pid = 0;
  const int spawned = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), env);
  posix_spawn_file_actions_destroy(&actions);
  if (output != nullptr) {
    close(pipeFds[1]);
    char buffer[4096];
    ssize_t got = 0;
    while ((got = read(pipeFds[0], buffer, sizeof buffer)) > 0) output->append(buffer, static_cast<size_t>(got));
    close(pipeFds[0]);
  }
  if (spawned != 0) return {};
  int status = 0;
  rusage usage{};
  // The child's own peak, read while it runs: the kernel's figure after its end would count
  // the memory of this process, which it shared until it started its program.
  double peak = 0;
  const std::string statusFile = "/proc/" + std::to_string(pid) + "/status";
  for (;;) {
    if (std::FILE* file = std::fopen(statusFile.c_str(), "r")) {
      char line[256];
      while (std::fgets(line, sizeof line, file) != nullptr) {
        if (std::strncmp(line, "VmHWM:", 6) == 0) peak = std::max(peak, std::strtod(line + 6, nullptr) * 1024);
      }
      std::fclose(file);
    }
    if (wait4(pid, &status, WNOHANG, &usage) == pid) break;
    usleep(1000);
  }
  const double ms = MsSince(start);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return {};
  auto toMs = [](const timeval& t) { return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_usec) / 1e3; };
  return {ms, toMs(usage.ru_utime) + toMs(usage.ru_stime), peak};
}

// A field of /proc/self/status, in bytes.
double ProcStatusBytes(const char* field) {
  std::FILE* file = std::fopen("/proc/self/status", "r");
  if (file == nullptr) return -1;
  char line[256];
  long kb = -1;
  const size_t len = std::strlen(field);
  while (std::fgets(line, sizeof line, file) != nullptr) {
    if (std::strncmp(line, field, len) == 0 && line[len] == ':') kb = std::strtol(line + len + 1, nullptr, 10);
  }
  std::fclose(file);
  return static_cast<double>(kb) * 1024.0;
}

DateTimeRules RussianRules() {
  return DateTimeRules{RegionalSettingsFromLocale(QLocale(QLocale::Russian, QLocale::Russia)),
                       QDate::currentDate().year()};
}

// The second item of the kind's first value list (item 0 lets everything through), and the
// file's last day as its date text, for the parameter journal's end-day rule.
struct Selection {
  std::string value;  // Windows-1251
  std::string lastDay;
  size_t records = 0;
  // The journal's text, however it is stored.
  size_t bytes = 0;
};

// The core load alone: the file read and parsed on every core, the lists built, nothing shown.
Timing CoreLoad(JournalKind kind, const std::string& path, const DateTimeRules& rules, Selection& selection) {
  LoadOptions options;
  options.rules = rules;
  options.startDate = 41603;
  const double cpuStart = CpuMs();
  const Clock::time_point start = Clock::now();
  const Journal journal = LoadJournal(path, kind, options);
  const Timing t{MsSince(start), CpuMs() - cpuStart};
  selection.value = std::string(journal.List(0).at(1));
  selection.records = journal.size();
  selection.bytes = journal.bytes.size;
  const DateParts d = DecodeDate(journal.days.latest);
  char text[16];
  std::snprintf(text, sizeof text, "%02d.%02d.%04d", d.day, d.month, d.year);
  selection.lastDay = text;
  return t;
}

std::vector<std::string> QueryArgs(JournalKind kind, const std::string& query, const std::string& path,
                                   const Selection& s) {
  const std::string value = Cp1251ToUtf8(s.value);
  return {query, "--from", kFrom, "--to", kTo, kind == JournalKind::Action ? "--user" : "--group", value, path};
}

// The same selection in awk: the whole-second time text against the window, the value field,
// and what the kind's view adds (the unimportant alarms hidden; the parameter journal's end
// time only on its last day).
std::vector<std::string> AwkArgs(JournalKind kind, const std::string& awk, const std::string& path,
                                 const Selection& s) {
  const Literals& words = Cp1251Literals();
  std::string program;
  switch (kind) {
    case JournalKind::Alarms:
      program = "NR>1 { t = substr($1, 12, 8); if (t >= f && t <= e && $2 == v && $6 != r1 && $6 != r2) print }";
      break;
    case JournalKind::Action:
      program = "NR>1 { t = substr($2, 12, 8); if (t >= f && t <= e && $1 == v) print }";
      break;
    case JournalKind::Param:
      program = "NR>1 { t = substr($1, 12, 8); if (t >= f && (substr($1, 1, 10) != last || t <= e) && $2 == v) print }";
      break;
    case JournalKind::Stat:
      program = "NR>1 { t = substr($1, 12, 8); if (t >= f && t <= e && $2 == v) print }";
      break;
    case JournalKind::None: break;
  }
  return {awk, "-F\t", "-v", std::string("f=") + kFrom, "-v", std::string("e=") + kTo, "-v", "v=" + s.value,
          "-v", "r1=" + words.toReserve, "-v", "r2=" + words.clockMismatch, "-v", "last=" + s.lastDay, program, path};
}

void Figure(const char* name, double value) { std::printf("figure %s %.6f\n", name, value); }

// The longest stretch the window's event loop went without running a 5 ms timer, over the
// times it was watched.
class GapWatch {
 public:
  GapWatch() {
    ticker_.setInterval(5);
    QObject::connect(&ticker_, &QTimer::timeout, [this] { Note(); });
  }
  void Start() {
    since_.start();
    ticker_.start();
  }
  // The stretch since the last tick ends now: after a call that ran without the event loop.
  void Note() { longest_ = std::max(longest_, since_.restart()); }
  void Stop() {
    longest_ = std::max(longest_, since_.elapsed());
    ticker_.stop();
  }
  qint64 Longest() const { return longest_; }

 private:
  QTimer ticker_;
  QElapsedTimer since_;
  qint64 longest_ = 0;
};

// Runs the window's events until the view being selected beside it is shown.
void WaitForView(TCorvanelForm& form) {
  while (form.Views->Busy()) QApplication::processEvents(QEventLoop::AllEvents, 5);
}

// The child: one window, one "Открыть журнал", the filter changes, the memory. Prints its
// figures as "figure NAME VALUE" lines and the status texts as "status ...".
// Several paths open together as one journal; its run ends after the filter changes.
int WindowRun(int argc, char** argv, const std::vector<std::string>& paths) {
  QApplication app(argc, argv);
  const std::string& path = paths.front();
  const JournalKind kind = KindOfPath(path);
  bool failed = false;
  // The application and nothing of the window yet.
  Figure("app", ProcStatusBytes("VmRSS"));
  TCorvanelForm form(RussianRules());
  form.runOpenDialog = [&paths](QFileDialog&) {
    QStringList chosen;
    for (const std::string& one : paths) chosen.append(QString::fromLocal8Bit(one.c_str()));
    return OpenChoice(chosen);
  };
  form.showErrorReport = [&failed](const QString& text) {
    std::fprintf(stderr, "error report: %s\n", qPrintable(text));
    failed = true;
  };
  form.show();
  for (int i = 0; i < 10; ++i) QApplication::processEvents();
  // The window as the operator sees it before the first journal.
  Figure("start", ProcStatusBytes("VmRSS"));

  // The longest stretch the window's event loop went without running a 5 ms timer, from the
  // dialog's answer to the final count.
  QElapsedTimer sinceTick;
  qint64 longestGap = 0;
  QTimer ticker;
  ticker.setInterval(5);
  QObject::connect(&ticker, &QTimer::timeout, [&] {
    longestGap = std::max(longestGap, sinceTick.restart());
  });
  QEventLoop ended;
  QObject::connect(&form, &TCorvanelForm::LoadEnded, &ended, &QEventLoop::quit);

  const double cpu = CpuMs();
  const Clock::time_point start = Clock::now();
  sinceTick.start();
  ticker.start();
  form.OpenClick();
  if (form.IsLoading()) ended.exec();
  // A big journal's first view is selected beside the window after the load.
  WaitForView(form);
  const double openMs = MsSince(start), openCpu = CpuMs() - cpu;
  longestGap = std::max(longestGap, sinceTick.elapsed());
  ticker.stop();
  if (failed) return 1;
  Figure("open", openMs);
  Figure("open_cpu", openCpu);
  Figure("gap", static_cast<double>(longestGap));
  const Clock::time_point paintStart = Clock::now();
  QApplication::processEvents();
  Figure("paint", MsSince(paintStart));
  Figure("rss", ProcStatusBytes("VmRSS"));
  Figure("hwm", ProcStatusBytes("VmHWM"));
  std::printf("status %s\n", form.StatusText(1).toStdString().c_str());

  FilterComboBox* combo = form.ListsOf(kind)[0];
  // Programmatic changes raise no change event of their own: the handler runs once, timed,
  // with the longest stretch the event loop waited.
  GapWatch changeGap;
  auto change = [&](const std::function<void()>& set) {
    {
      const QSignalBlocker blockTime(form.StartTime);
      set();
    }
    const Clock::time_point at = Clock::now();
    changeGap.Start();
    form.StartTimeChange();
    changeGap.Note();
    WaitForView(form);
    changeGap.Stop();
    return MsSince(at);
  };
  std::vector<double> timeChanges, valueChanges;
  for (int round = 0; round < 5; ++round) {
    change([&] {
      form.StartTime->setTime(QTime(0, 0, 0));
      combo->setCurrentIndex(0);
    });
    timeChanges.push_back(change([&] { form.StartTime->setTime(QTime(8, 0, 0)); }));
    valueChanges.push_back(change([&] { combo->setCurrentIndex(1); }));
  }
  Figure("time_change", Median(timeChanges));
  Figure("value_change", Median(valueChanges));
  Figure("change_gap", static_cast<double>(changeGap.Longest()));
  std::printf("status_after %s\n", form.StatusText(1).toStdString().c_str());

  // The same time-window change with the timeline strip shown.
  form.ShowTimeline->trigger();
  QApplication::processEvents();
  std::vector<double> stripChanges;
  for (int round = 0; round < 5; ++round) {
    change([&] { form.StartTime->setTime(QTime(0, 0, 0)); });
    stripChanges.push_back(change([&] { form.StartTime->setTime(QTime(8, 0, 0)); }));
  }
  Figure("strip_change", Median(stripChanges));
  form.ShowTimeline->trigger();
  if (paths.size() > 1) return 0;

  // Every row of the unfiltered view saved, and looked through for a text none holds.
  change([&] {
    form.StartTime->setTime(QTime(0, 0, 0));
    combo->setCurrentIndex(0);
  });
  const std::string saved = path + ".saved.tsv";
  form.runSaveDialog = [&saved](QFileDialog&) { return QString::fromLocal8Bit(saved.c_str()); };
  const Clock::time_point saveStart = Clock::now();
  form.Guarded([&form] { form.SaveRowsClick(); });
  while (form.Saver->Busy()) QApplication::processEvents(QEventLoop::AllEvents, 5);
  Figure("save", MsSince(saveStart));
  Figure("save_rows", static_cast<double>(form.StringGrid->RowCount() - 1));
  std::remove(saved.c_str());
  // The same rows as a workbook, written beside the window: until it is whole, and the
  // longest stretch the event loop waited meanwhile.
  const std::string book = path + ".saved.xlsx";
  form.runSaveDialog = [&book](QFileDialog&) { return QString::fromLocal8Bit(book.c_str()); };
  QEventLoop booked;
  QObject::connect(form.Saver, &RowSaver::Finished, &booked, &QEventLoop::quit, Qt::QueuedConnection);
  QObject::connect(form.Saver, &RowSaver::Failed, &booked, &QEventLoop::quit, Qt::QueuedConnection);
  qint64 bookGap = 0;
  QElapsedTimer sinceBookTick;
  QTimer bookTicker;
  bookTicker.setInterval(5);
  QObject::connect(&bookTicker, &QTimer::timeout, [&] { bookGap = std::max(bookGap, sinceBookTick.restart()); });
  const Clock::time_point bookStart = Clock::now();
  sinceBookTick.start();
  bookTicker.start();
  form.Guarded([&form] { form.SaveRowsClick(); });
  bookGap = std::max(bookGap, sinceBookTick.restart());
  if (form.Saver->Busy()) booked.exec();
  bookGap = std::max(bookGap, sinceBookTick.elapsed());
  bookTicker.stop();
  Figure("xlsx", MsSince(bookStart));
  Figure("xlsx_gap", static_cast<double>(bookGap));
  std::remove(book.c_str());
  form.ShowFindBar();
  form.FindEdit->setText("не найдётся нигде");
  QEventLoop found;
  QObject::connect(&form, &TCorvanelForm::FindEnded, &found, &QEventLoop::quit);
  // The window's event loop keeps running between the search's slices: its longest gap.
  qint64 findGap = 0;
  QElapsedTimer sinceFindTick;
  QTimer findTicker;
  findTicker.setInterval(5);
  QObject::connect(&findTicker, &QTimer::timeout, [&] { findGap = std::max(findGap, sinceFindTick.restart()); });
  const Clock::time_point findStart = Clock::now();
  sinceFindTick.start();
  findTicker.start();
  form.FindNext(true);
  if (form.FindStatus->text() != "Не найдено") found.exec();
  Figure("find", MsSince(findStart));
  Figure("find_gap", static_cast<double>(findGap));
  findTicker.stop();

  // Text filters from the find bar: from the command to the rows shown (selected beside the
  // window for a big journal), and the longest stretch the event loop waited meanwhile.
  GapWatch textGap;
  auto textChange = [&](const std::function<void()>& act) {
    bool shown = false;
    QEventLoop view;
    const QMetaObject::Connection seen = QObject::connect(&form, &TCorvanelForm::ViewShown, [&] {
      shown = true;
      view.quit();
    });
    const Clock::time_point at = Clock::now();
    textGap.Start();
    act();
    textGap.Note();
    if (!shown) view.exec();
    textGap.Stop();
    QObject::disconnect(seen);
    return MsSince(at);
  };
  auto add = [&form](const char* text, bool hide) {
    return [&form, text, hide] {
      form.FindEdit->setText(QString::fromUtf8(text));
      form.AddTextFilter(hide);
    };
  };
  auto clear = [&form] {
    return [&form] {
      while (form.TextFilters().size() > 1) form.RemoveTextFilter(static_cast<int>(form.TextFilters().size()) - 1);
      form.RemoveTextFilter(0);
    };
  };
  std::vector<double> rare, common, hides;
  // The records that pass a text are kept for the texts asked for lately: each round asks
  // for texts of its own, alike but for their letters' case, so none of them is known yet.
  const char* rareTexts[] = {"вологда-0034", "Вологда-0034", "ВОЛОГДА-0034"};
  const char* commonTexts[] = {"авария", "Авария", "АВАРИЯ"};
  const char* hiddenTexts[][3] = {{"норма", "рассхождение", "переход на резерв"},
                                  {"Норма", "Рассхождение", "Переход на резерв"},
                                  {"НОРМА", "РАССХОЖДЕНИЕ", "ПЕРЕХОД НА РЕЗЕРВ"}};
  for (int round = 0; round < 3; ++round) {
    rare.push_back(textChange(add(rareTexts[round], false)));
    textChange(clear());
    common.push_back(textChange(add(commonTexts[round], false)));
    textChange(clear());
    textChange(add(hiddenTexts[round][0], true));
    textChange(add(hiddenTexts[round][1], true));
    hides.push_back(textChange(add(hiddenTexts[round][2], true)));
    std::printf("status_hides %s\n", form.StatusText(1).toStdString().c_str());
    textChange(clear());
  }
  Figure("text_rare", Median(rare));
  Figure("text_common", Median(common));
  Figure("text_hides", Median(hides));
  Figure("text_gap", static_cast<double>(textGap.Longest()));

  // Ctrl+A and Ctrl+C on every shown row: from the selection to the clipboard set, and the
  // longest stretch the event loop waited meanwhile.
  QEventLoop copied;
  QObject::connect(form.Copier, &RowCopier::Finished, &copied, &QEventLoop::quit, Qt::QueuedConnection);
  qint64 copyGap = 0;
  QElapsedTimer sinceCopyTick;
  QTimer copyTicker;
  copyTicker.setInterval(5);
  QObject::connect(&copyTicker, &QTimer::timeout, [&] { copyGap = std::max(copyGap, sinceCopyTick.restart()); });
  const Clock::time_point copyStart = Clock::now();
  sinceCopyTick.start();
  copyTicker.start();
  form.StringGrid->selectAll();
  form.CopyRows->trigger();
  copied.exec();
  copyGap = std::max(copyGap, sinceCopyTick.elapsed());
  Figure("copy", MsSince(copyStart));
  Figure("copy_gap", static_cast<double>(copyGap));
  Figure("copy_chars", static_cast<double>(QApplication::clipboard()->text().size()));
  return 0;
}

double ThreadCpuMs() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

long long EpochMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::system_clock::now().time_since_epoch()).count();
}

// How the writer of a followed journal writes its 1,000 records a second.
enum class Writes {
  Batched,  // 100 records every 100 ms
  Lines,    // each record with a write of its own
  Split,    // each record with a write of its own, its CR and LF written apart
  // Each record with a write of its own; after two seconds log rotation renames the journal
  // and makes an empty one at its name (logrotate's create) while the unit goes on writing
  // the renamed one for 300 ms, then starts the new one with a title line.
  Rotated,
  // The same, but log rotation copies the journal and empties it in place (copytruncate).
  CopyTruncated,
};

// The window following copies of alarm journals, opened together when there are several,
// while a writer appends 1,000 records a second to the last one for five seconds: the window
// thread's share of a core, and the longest time from a record's writing to its row in the
// table (each record carries its writing time).
int FollowRun(int argc, char** argv, const std::vector<std::string>& originals, Writes writes) {
  QApplication app(argc, argv);
  QStringList paths;
  for (const std::string& original : originals) {
    const std::string copy = original + ".followed.alarms";
    if (std::system(("cp '" + original + "' '" + copy + "'").c_str()) != 0) return 1;
    paths.append(QString::fromLocal8Bit(copy.c_str()));
  }
  const std::string path = paths.back().toStdString();
  TCorvanelForm form(RussianRules());
  form.runOpenDialog = [&paths](QFileDialog&) { return OpenChoice(paths); };
  form.showErrorReport = [](const QString& text) { std::fprintf(stderr, "error report: %s\n", qPrintable(text)); };
  form.show();
  QEventLoop ended;
  QObject::connect(&form, &TCorvanelForm::LoadEnded, &ended, &QEventLoop::quit);
  form.OpenClick();
  if (form.IsLoading()) ended.exec();
  form.FollowFile->trigger();
  // Every record written is seen: each new count, the last record's writing time.
  long long latest = 0;
  const JournalDocument& journal = form.Alarms();
  QObject::connect(&form, &TCorvanelForm::StatusTextChanged, [&](int panel, const QString&) {
    if (panel != 1 || journal.RecordCount() == 0) return;
    std::string scratch;
    const std::string_view stamp = journal.Cell(journal.RecordCount() - 1, 6, scratch);
    if (stamp.size() > 1 && stamp[0] == 'w') latest = std::max(latest, EpochMs() - std::atoll(std::string(stamp.substr(1)).c_str()));
  });
  std::FILE* out = std::fopen(path.c_str(), "ab");
  if (out == nullptr) return 1;
  const size_t before = journal.RecordCount();
  std::string title;
  if (std::FILE* in = std::fopen(path.c_str(), "rb")) {
    char line[4096];
    if (std::fgets(line, sizeof line, in) != nullptr) title = line;
    std::fclose(in);
  }
  // The writer is a thread of its own: the window thread's time is the window's alone.
  const double cpuStart = ThreadCpuMs();
  const Clock::time_point start = Clock::now();
  std::thread writer([&out, &path, &title, start, writes] {
    const int perTick = writes == Writes::Batched ? 100 : 1;
    const int tickMs = writes == Writes::Batched ? 100 : 1;
    int written = 0;
    for (int tick = 1; tick <= 5000 / perTick; ++tick) {
      if ((writes == Writes::Rotated || writes == Writes::CopyTruncated) && tick == 2000) {
        if (writes == Writes::Rotated) {
          std::rename(path.c_str(), (path + ".1").c_str());
          std::fclose(std::fopen(path.c_str(), "wb"));
        } else {
          if (std::system(("cp '" + path + "' '" + path + ".1'").c_str()) != 0) std::perror("cp");
          if (::truncate(path.c_str(), 0) != 0) std::perror("truncate");
        }
      }
      if (writes == Writes::Rotated && tick == 2300) {
        std::fclose(out);
        out = std::fopen(path.c_str(), "ab");
        std::fwrite(title.data(), 1, title.size(), out);
      }
      std::string lines;
      for (int i = 0; i < perTick; ++i, ++written) {
        char line[160];
        // A day after every generated journal's: the unit writes now.
        std::snprintf(line, sizeof line, "24.01.2014 %02d:%02d:%02d\tG%d\tD\tN%d\tP\tM\tw%lld\r\n", written / 3600 % 24,
                      written / 60 % 60, written % 60, written % 7, written % 11, EpochMs());
        lines += line;
      }
      if (writes == Writes::Split) {
        std::fwrite(lines.data(), 1, lines.size() - 1, out);
        std::fflush(out);
        lines.erase(0, lines.size() - 1);
      }
      std::fwrite(lines.data(), 1, lines.size(), out);
      std::fflush(out);
      std::this_thread::sleep_until(start + std::chrono::milliseconds(tickMs * tick));
    }
  });
  // The last records written are given a second to show.
  QTimer::singleShot(6100, &ended, &QEventLoop::quit);
  ended.exec();
  writer.join();
  const double wall = MsSince(start);
  std::fclose(out);
  Figure("follow_cpu_share", (ThreadCpuMs() - cpuStart) / wall * 100);
  Figure("follow_latency", static_cast<double>(latest));
  Figure("follow_records", static_cast<double>(journal.RecordCount()));
  Figure("follow_lost", static_cast<double>(before + 5000) - static_cast<double>(journal.RecordCount()));
  for (const QString& copy : paths) {
    std::remove(copy.toStdString().c_str());
    std::remove((copy.toStdString() + ".1").c_str());
  }
  return 0;
}

// The figures of `runs` window processes: the median of each, and the last status texts.
bool WindowRuns(int runs, const std::vector<std::string>& paths, std::map<std::string, double>& figures,
                std::map<std::string, std::string>& statuses, const char* mode = "--window") {
  std::map<std::string, std::vector<double>> all;
  std::vector<std::string> command = {"/proc/self/exe", mode};
  command.insert(command.end(), paths.begin(), paths.end());
  for (int run = 0; run < runs; ++run) {
    std::string output;
    if (TimeProcess(command, environ, &output).wall < 0) return false;
    size_t at = 0;
    while (at < output.size()) {
      const size_t end = output.find('\n', at);
      const std::string line = output.substr(at, end == std::string::npos ? std::string::npos : end - at);
      at = end == std::string::npos ? output.size() : end + 1;
      char name[64];
      double value = 0;
      if (std::sscanf(line.c_str(), "figure %63s %lf", name, &value) == 2) {
        all[name].push_back(value);
      } else if (const size_t space = line.find(' '); space != std::string::npos) {
        statuses[line.substr(0, space)] = line.substr(space + 1);
      }
    }
  }
  for (const auto& [name, values] : all) figures[name] = Median(values);
  return true;
}

int Usage() {
  std::fprintf(stderr, "usage: bench_journals --query PATH [--awk PATH] [--runs N] FILE...\n"
                       "       bench_journals [--runs N] --set FILE...\n");
  return 2;
}

// Several journals of one kind opened together in the window: the open, the event loop's
// longest wait meanwhile, the memory after it and the filter changes over the merged rows.
int SetFigures(int runs, const std::vector<std::string>& files) {
  const JournalKind kind = KindOfPath(files.front());
  const DateTimeRules rules = RussianRules();
  double fileBytes = 0, records = 0;
  for (const std::string& path : files) {
    struct stat st {};
    if (KindOfPath(path) != kind || ::stat(path.c_str(), &st) != 0) {
      std::fprintf(stderr, "%s: not a journal of the set's kind\n", path.c_str());
      return 2;
    }
    // Brings the file into the page cache; a compressed journal counts by its text.
    Selection selection;
    CoreLoad(kind, path, rules, selection);
    fileBytes += static_cast<double>(selection.bytes);
    records += static_cast<double>(selection.records);
  }
  const std::string what = std::to_string(files.size()) + " journals";
  Line(kind, what, Mb(fileBytes), Fixed("%.0f records", records));
  std::map<std::string, double> window;
  std::map<std::string, std::string> texts;
  if (!WindowRuns(runs, files, window, texts, "--window-set")) {
    std::fprintf(stderr, "the window run of the set failed\n");
    return 1;
  }
  Line(kind, what + ": window open (OpenClick to final count)", Ms(Timing{window["open"], window["open_cpu"]}),
       Verdict("<= 2000 ms", window["open"], 2000));
  Line(kind, what + ": window event-loop gap during load (max)", Fixed("%.0f ms", window["gap"]),
       Verdict("<= 50 ms", window["gap"], 50));
  Line(kind, what + ": window status", texts["status"]);
  const double start = window["app"];
  const double budget = fileBytes + 40 * records + start;
  Line(kind, what + ": start memory (VmRSS, application, no window)", Mb(start));
  Line(kind, what + ": window memory after load (VmRSS)", Mb(window["rss"]),
       Verdict("<= files + 40 B/record + start = " + Mb(budget), window["rss"], budget));
  Line(kind, what + ": memory per record beyond the files and start", Fixed("%.1f B", (window["rss"] - start - fileBytes) / records));
  Line(kind, what + ": window peak memory (VmHWM)", Mb(window["hwm"]));
  Line(kind, what + ": window filter change: time window", Fixed("%.1f ms", window["time_change"]),
       Verdict("<= 100 ms", window["time_change"], 100));
  Line(kind, what + ": window filter change: value filter", Fixed("%.1f ms", window["value_change"]),
       Verdict("<= 100 ms", window["value_change"], 100));
  Line(kind, what + ": window filter changes: longest event-loop gap", Fixed("%.0f ms", window["change_gap"]),
       Verdict("<= 50 ms", window["change_gap"], 50));
  Line(kind, what + ": window filter change: time, timeline shown", Fixed("%.1f ms", window["strip_change"]));
  Line(kind, what + ": window status after changes", texts["status_after"]);
  // Following the set while its last journal grows, a write a record; compressed journals do
  // not grow.
  if (kind != JournalKind::Alarms) return 0;
  for (const std::string& path : files) {
    if (CompressionOf(path) != Compression::None) return 0;
  }
  std::map<std::string, double> follow;
  if (!WindowRuns(1, files, follow, texts, "--follow-set")) {
    std::fprintf(stderr, "the follow run of the set failed\n");
    return 1;
  }
  Line(kind, what + ": following 1000 records/s into one, a write a record: window thread",
       Fixed("%.1f %% of a core", follow["follow_cpu_share"]), Verdict("<= 5 %", follow["follow_cpu_share"], 5));
  Line(kind, what + ": following, new records shown after (max)", Fixed("%.0f ms", follow["follow_latency"]),
       Verdict("<= 1000 ms", follow["follow_latency"], 1000));
  return 0;
}

int Main(int argc, char** argv) {
  std::string query, awk = "mawk";
  int runs = 3;
  std::vector<std::string> files;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--window" && i + 1 < argc) return WindowRun(argc, argv, {argv[i + 1]});
    if (arg == "--window-set" && i + 1 < argc) return WindowRun(argc, argv, std::vector<std::string>(argv + i + 1, argv + argc));
    if (arg == "--set" && i + 1 < argc) {
      setenv("QT_QPA_PLATFORM", "offscreen", 1);
      return SetFigures(runs, std::vector<std::string>(argv + i + 1, argv + argc));
    }
    if (arg == "--follow" && i + 1 < argc) return FollowRun(argc, argv, {argv[i + 1]}, Writes::Batched);
    if (arg == "--follow-lines" && i + 1 < argc) return FollowRun(argc, argv, {argv[i + 1]}, Writes::Lines);
    if (arg == "--follow-split" && i + 1 < argc) return FollowRun(argc, argv, {argv[i + 1]}, Writes::Split);
    if (arg == "--follow-rotated" && i + 1 < argc) return FollowRun(argc, argv, {argv[i + 1]}, Writes::Rotated);
    if (arg == "--follow-copytruncated" && i + 1 < argc) {
      return FollowRun(argc, argv, {argv[i + 1]}, Writes::CopyTruncated);
    }
    if (arg == "--follow-set" && i + 1 < argc) {
      return FollowRun(argc, argv, std::vector<std::string>(argv + i + 1, argv + argc), Writes::Lines);
    }
    if (arg == "--query" && i + 1 < argc) {
      query = argv[++i];
    } else if (arg == "--awk" && i + 1 < argc) {
      awk = argv[++i];
    } else if (arg == "--runs" && i + 1 < argc) {
      runs = std::max(1, std::atoi(argv[++i]));
    } else if (!arg.empty() && arg[0] == '-') {
      return Usage();
    } else {
      files.push_back(arg);
    }
  }
  if (query.empty() || files.empty()) return Usage();
  setenv("QT_QPA_PLATFORM", "offscreen", 1);

  const bool haveAwk = TimeProcess({awk, "BEGIN { exit 0 }"}).wall >= 0;
  const DateTimeRules rules = RussianRules();
  // vantorel-query reads the regional settings the journals were written for.
  std::vector<std::string> queryEnvText;
  for (char** e = environ; *e != nullptr; ++e) {
    if (std::strncmp(*e, "LC_", 3) != 0 && std::strncmp(*e, "LANG", 4) != 0) queryEnvText.push_back(*e);
  }
  queryEnvText.push_back("LC_ALL=ru_RU.UTF-8");
  std::vector<char*> queryEnv;
  for (std::string& e : queryEnvText) queryEnv.push_back(e.data());
  queryEnv.push_back(nullptr);

  int status = 0;
  for (const std::string& path : files) {
    const JournalKind kind = KindOfPath(path);
    if (kind == JournalKind::None) {
      std::fprintf(stderr, "%s: not a journal\n", path.c_str());
      return 2;
    }
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
      std::fprintf(stderr, "%s: cannot be read\n", path.c_str());
      return 2;
    }
    const auto fileBytes = static_cast<double>(st.st_size);
    const bool judged = kind == JournalKind::Alarms;
    Selection selection;
    // The first load brings the file into the page cache; every figure then reads it from there.
    CoreLoad(kind, path, rules, selection);
    const auto records = static_cast<double>(selection.records);
    const bool big = selection.records > 5000000;
    Line(kind, "file", Mb(fileBytes), std::to_string(selection.records) + " records");

    const Timing wc = MedianOf(std::max(runs, 5), [&] { return TimeProcess({"wc", "-l", path}); });
    Line(kind, "wc -l (floor)", Ms(wc));
    const Timing core = MedianOf(runs, [&] {
      Selection s;
      return CoreLoad(kind, path, rules, s);
    });
    Line(kind, "core load", Ms(core),
         Fixed("%.1f x wc -l", core.wall / wc.wall) + (judged ? ", " + Verdict("<= 6 x wc -l", core.wall, 6 * wc.wall) : ""));

    std::map<std::string, double> window;
    std::map<std::string, std::string> texts;
    if (!WindowRuns(runs, {path}, window, texts)) {
      std::fprintf(stderr, "%s: the window run failed\n", path.c_str());
      status = 1;
    } else {
      const double openBound = big ? 1500 : 400;
      Line(kind, "window open (OpenClick to final count)", Ms(Timing{window["open"], window["open_cpu"]}),
           judged ? Verdict(Fixed("<= %.0f ms", openBound), window["open"], openBound) : "");
      Line(kind, "window event-loop gap during load (max)", Fixed("%.0f ms", window["gap"]),
           judged ? Verdict("<= 50 ms", window["gap"], 50) : "");
      Line(kind, "window first paint after open", Fixed("%.1f ms", window["paint"]));
      Line(kind, "window status", texts["status"]);
      const double start = window["app"];
      const double budget = fileBytes + 48 * records + start;
      Line(kind, "start memory (VmRSS, application, no window)", Mb(start));
      Line(kind, "window shown, no journal (VmRSS)", Mb(window["start"]));
      Line(kind, "window memory after load (VmRSS)", Mb(window["rss"]),
           judged ? Verdict("<= file + 48 B/record + start = " + Mb(budget), window["rss"], budget) : "");
      Line(kind, "memory per record beyond the file and start", Fixed("%.1f B", (window["rss"] - start - fileBytes) / records));
      Line(kind, "... and beyond the window shown", Fixed("%.1f B", (window["rss"] - window["start"] - fileBytes) / records));
      Line(kind, "window peak memory (VmHWM)", Mb(window["hwm"]));
      const double changeBound = big ? 100 : 10;
      Line(kind, "window filter change: time window", Fixed("%.1f ms", window["time_change"]),
           judged ? Verdict(Fixed("<= %.0f ms", changeBound), window["time_change"], changeBound) : "");
      Line(kind, "window filter change: value filter", Fixed("%.1f ms", window["value_change"]),
           judged ? Verdict(Fixed("<= %.0f ms", changeBound), window["value_change"], changeBound) : "");
      Line(kind, "window filter changes: longest event-loop gap", Fixed("%.0f ms", window["change_gap"]),
           judged ? Verdict("<= 50 ms", window["change_gap"], 50) : "");
      Line(kind, "window status after changes", texts["status_after"]);
      Line(kind, "save every shown row as TSV", Fixed("%.1f ms", window["save"]), Fixed("%.0f rows", window["save_rows"]) +
           (judged && !big ? ", " + Verdict("< 2000 ms a million rows", window["save"] * 1e6 / window["save_rows"], 2000) : ""));
      Line(kind, "save every shown row as an xlsx workbook", Fixed("%.1f ms", window["xlsx"]),
           Fixed("longest event-loop gap %.0f ms", window["xlsx_gap"]) +
               (judged && !big ? ", " + Verdict("< 10000 ms a million rows", window["xlsx"] * 1e6 / window["save_rows"], 10000) +
                                     ", " + Verdict("gap <= 50 ms", window["xlsx_gap"], 50)
                               : ""));
      Line(kind, "find a text in none of the rows", Fixed("%.1f ms", window["find"]),
           Fixed("longest event-loop gap %.0f ms", window["find_gap"]) +
               (judged && !big ? ", " + Verdict("< 500 ms", window["find"], 500) : ""));
      const double textBound = big ? 250 : 30;
      Line(kind, "window filter change: text, show only a rare one", Fixed("%.1f ms", window["text_rare"]),
           judged ? Verdict(Fixed("<= %.0f ms", textBound), window["text_rare"], textBound) : "");
      Line(kind, "window filter change: text, show only a common one", Fixed("%.1f ms", window["text_common"]),
           judged ? Verdict(Fixed("<= %.0f ms", textBound), window["text_common"], textBound) : "");
      Line(kind, "window filter change: text, a third one hidden", Fixed("%.1f ms", window["text_hides"]),
           Fixed("longest event-loop gap of the text changes %.0f ms", window["text_gap"]) +
               (judged ? ", " + Verdict(Fixed("<= %.0f ms", textBound), window["text_hides"], textBound) + ", " +
                             Verdict("gap <= 50 ms", window["text_gap"], 50)
                       : ""));
      Line(kind, "window status with three hidden", texts["status_hides"]);
      Line(kind, "copy every shown row (Ctrl+A, Ctrl+C)", Fixed("%.1f ms", window["copy"]),
           Fixed("longest event-loop gap %.0f ms", window["copy_gap"]) +
               (judged && !big ? ", " + Verdict("<= 50 ms", window["copy_gap"], 50) : ""));
      Line(kind, "window filter change: time, timeline shown", Fixed("%.1f ms", window["strip_change"]),
           judged ? Verdict(Fixed("<= time window change + 20 ms = %.1f ms", window["time_change"] + 20), window["strip_change"],
                            window["time_change"] + 20)
                  : "");
    }
    // Following is judged on the million-record journal.
    if (judged && !big) {
      const struct {
        const char* mode;
        const char* writes;
      } writers[] = {{"--follow", "100 records each 100 ms"},
                     {"--follow-lines", "a write a record"},
                     {"--follow-split", "a write a record, CR and LF apart"},
                     {"--follow-rotated", "renamed by log rotation, the unit writing on for 300 ms"},
                     {"--follow-copytruncated", "copied and emptied by log rotation"}};
      for (const auto& writer : writers) {
        std::map<std::string, double> follow;
        if (!WindowRuns(1, {path}, follow, texts, writer.mode)) {
          std::fprintf(stderr, "%s: the follow run failed\n", path.c_str());
          status = 1;
          continue;
        }
        Line(kind, std::string("following 1000 records/s, ") + writer.writes + ": window thread",
             Fixed("%.1f %% of a core", follow["follow_cpu_share"]), Verdict("< 5 %", follow["follow_cpu_share"], 5));
        Line(kind, std::string("following, ") + writer.writes + ": new records shown after (max)",
             Fixed("%.0f ms", follow["follow_latency"]), Verdict("<= 1000 ms", follow["follow_latency"], 1000));
        Line(kind, std::string("following, ") + writer.writes + ": records written and not shown",
             Fixed("%.0f", follow["follow_lost"]), Verdict("none", follow["follow_lost"], 0));
      }
    }

    const std::vector<std::string> queryArgs = QueryArgs(kind, query, path, selection);
    const Timing q = MedianOf(runs, [&] { return TimeProcess(queryArgs, queryEnv.data()); });
    if (q.wall < 0) {
      std::fprintf(stderr, "%s: vantorel-query failed\n", path.c_str());
      status = 1;
      continue;
    }
    Line(kind, "vantorel-query, time window + value", Ms(q), big && judged ? Verdict("cpu <= 1000 ms", q.cpu, 1000) : "");
    Line(kind, "vantorel-query peak memory", Mb(q.peak), judged ? Verdict("<= 32 MB", q.peak, 32e6) : "");
    if (!haveAwk) {
      Line(kind, "awk, same selection", "skipped", awk + " is not installed");
      continue;
    }
    const Timing a = MedianOf(runs, [&] { return TimeProcess(AwkArgs(kind, awk, path, selection)); });
    Line(kind, "awk (" + awk + "), same selection", Ms(a),
         Fixed("query cpu %.2f x awk's", q.cpu / a.cpu) + (judged ? ", " + Verdict("query cpu <= awk / 2", q.cpu, a.cpu / 2) : ""));
  }
  return status;
}

}  // namespace
}  // namespace vantorel

int main(int argc, char** argv) { return vantorel::Main(argc, argv); }
