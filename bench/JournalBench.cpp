// bench_journals: the figures of record for journals of each kind.
//
//   bench_journals --query PATH/vantorel-query [--awk PATH] FILE...
//
// For each FILE (its kind told by its extension, its dates written as Russian regional
// settings read them): `wc -l` as the floor, the core load, the window's "Открыть журнал",
// two filter changes and its memory (in a fresh process of this program, so that the
// high-water mark is the window's alone), vantorel-query with a time window and a value
// filter, and awk doing the same selection.
#include <QApplication>
#include <QLocale>
#include <QSignalBlocker>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <malloc.h>
#include <functional>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <ctime>
#include <sys/wait.h>
#include <vector>

#include "journals/ActionLog.h"
#include "journals/AlarmLog.h"
#include "journals/Extension.h"
#include "journals/ParamStatLog.h"
#include "uStrUtils/Cp1251.h"
#include "uStrUtils/Literals.h"
#include "window/CorvanelForm.h"
#include "window/SystemRegional.h"

extern char** environ;

namespace vantorel {
namespace {

using Clock = std::chrono::steady_clock;

// The window's date pickers start on this day; the loader of parameter journals takes it.
constexpr TDateTime kPickerStartDate = 41603;
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

// Wall-clock and CPU time of one run, in ms; the CPU time shows what the run itself costs
// on a machine that other work shares. Negative when the run failed.
struct Timing {
  double wall = -1;
  double cpu = -1;
};

// The best wall time and the best CPU time of `runs` runs.
Timing Best(int runs, const std::function<Timing()>& run) {
  Timing best{1e300, 1e300};
  for (int i = 0; i < runs; ++i) {
    const Timing t = run();
    if (t.wall < 0) return t;
    best.wall = std::min(best.wall, t.wall);
    best.cpu = std::min(best.cpu, t.cpu);
  }
  return best;
}

// The median wall time and the median CPU time.
Timing Median(std::vector<Timing> values) {
  std::vector<double> wall, cpu;
  for (const Timing& t : values) {
    wall.push_back(t.wall);
    cpu.push_back(t.cpu);
  }
  std::sort(wall.begin(), wall.end());
  std::sort(cpu.begin(), cpu.end());
  return {wall[wall.size() / 2], cpu[cpu.size() / 2]};
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

void Line(JournalKind kind, const char* what, const std::string& value, const std::string& note = {}) {
  std::printf("%-7s %-38s %22s%s%s\n", KindName(kind), what, value.c_str(), note.empty() ? "" : "  ", note.c_str());
  std::fflush(stdout);
}

std::string Ms(double ms) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f ms", ms);
  return text;
}

std::string Ms(Timing t) {
  char text[64];
  std::snprintf(text, sizeof text, "%.1f ms (cpu %.1f)", t.wall, t.cpu);
  return text;
}

std::string Mb(double bytes) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f MB", bytes / 1e6);
  return text;
}

// "met" or "MISSED by N x" against a bound that the figure must not exceed.
std::string Verdict(const char* target, double value, double bound) {
  char text[160];
  if (value <= bound) {
    std::snprintf(text, sizeof text, "target %s: met", target);
  } else {
    std::snprintf(text, sizeof text, "target %s: MISSED by %.2f x", target, value / bound);
  }
  return text;
}

// Runs `argv` with standard output to /dev/null (or inherited); its times, negative when it
// cannot run or fails.
Timing TimeProcess(const std::vector<std::string>& argv, bool quiet, char** env = environ) {
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (quiet) posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  std::fflush(stdout);
  const Clock::time_point start = Clock::now();
  pid_t pid = 0;
  const int spawned = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), env);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return {};
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  const double ms = MsSince(start);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return {};
  auto toMs = [](const timeval& t) { return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_usec) / 1e3; };
  return {ms, toMs(usage.ru_utime) + toMs(usage.ru_stime)};
}

// A field of /proc/self/status, in kB.
long ProcStatusKb(const char* field) {
  std::FILE* file = std::fopen("/proc/self/status", "r");
  if (file == nullptr) return -1;
  char line[256];
  long kb = -1;
  const size_t len = std::strlen(field);
  while (std::fgets(line, sizeof line, file) != nullptr) {
    if (std::strncmp(line, field, len) == 0 && line[len] == ':') kb = std::strtol(line + len + 1, nullptr, 10);
  }
  std::fclose(file);
  return kb;
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
};

// The core load alone: the file read and parsed, the lists built, nothing shown.
Timing CoreLoad(JournalKind kind, const std::string& path, const DateTimeRules& rules, Selection& selection) {
  SilentLoad silent;
  const double cpuStart = CpuMs();
  const Clock::time_point start = Clock::now();
  switch (kind) {
    case JournalKind::Alarms: {
      const AlarmLoad load = LoadAlarmLog(path, rules, silent);
      const Timing ms{MsSince(start), CpuMs() - cpuStart};
      selection.value = std::string(load.lists.groups.at(1));
      selection.records = load.records.size();
      return ms;
    }
    case JournalKind::Action: {
      const ActionLoad load = LoadActionLog(path, rules, silent);
      const Timing ms{MsSince(start), CpuMs() - cpuStart};
      selection.value = std::string(load.lists.users.at(1));
      selection.records = load.records.size();
      return ms;
    }
    case JournalKind::Param:
    case JournalKind::Stat: {
      const ParamLoad load = LoadParamStatLog(path, kPickerStartDate, rules, silent);
      const Timing ms{MsSince(start), CpuMs() - cpuStart};
      selection.value = std::string(load.lists.groups.at(1));
      selection.records = load.records.size();
      const DateParts d = DecodeDate(load.latest);
      char text[16];
      std::snprintf(text, sizeof text, "%02d.%02d.%04d", d.day, d.month, d.year);
      selection.lastDay = text;
      return ms;
    }
    case JournalKind::None: break;
  }
  return {};
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

// The child: one window, one load, the filter changes, the memory.
int WindowRun(int argc, char** argv, const std::string& path) {
  QApplication app(argc, argv);
  const JournalKind kind = KindOfPath(path);
  const long startKb = ProcStatusKb("VmRSS");
  bool failed = false;
  {
    TCorvanelForm form(RussianRules());
    form.runOpenDialog = [&path](QFileDialog&) { return QString::fromLocal8Bit(path.c_str()); };
    form.showErrorReport = [&failed](const QString& text) {
      std::fprintf(stderr, "error report: %s\n", qPrintable(text));
      failed = true;
    };
    form.show();
    QApplication::processEvents();

    double cpu = CpuMs();
    Clock::time_point start = Clock::now();
    form.OpenClick();
    const Timing open{MsSince(start), CpuMs() - cpu};
    start = Clock::now();
    QApplication::processEvents();
    const double paintMs = MsSince(start);
    if (failed) return 1;
    Line(kind, "window open (OpenClick)", Ms(open), Verdict("< 1000 ms", open.wall, 1000));
    Line(kind, "window first paint after open", Ms(paintMs));
    Line(kind, "window status", form.StatusText(1).toStdString());

    const long hwmKb = ProcStatusKb("VmHWM");
    const long rssKb = ProcStatusKb("VmRSS");
    struct stat st {};
    ::stat(path.c_str(), &st);
    size_t total = 0;
    switch (kind) {
      case JournalKind::Alarms: total = form.Alarms().size(); break;
      case JournalKind::Action: total = form.Actions().size(); break;
      default: total = form.Params().size(); break;
    }
    const double budget = static_cast<double>(st.st_size) + 100.0 * static_cast<double>(total) + startKb * 1024.0;
    Line(kind, "window start memory (VmRSS)", Mb(startKb * 1024.0));
    Line(kind, "window peak memory after load (VmHWM)", Mb(hwmKb * 1024.0),
         Verdict(("<= file + 100 B/record + start = " + Mb(budget)).c_str(), hwmKb * 1024.0, budget));
    Line(kind, "window memory after load (VmRSS)", Mb(rssKb * 1024.0));
    // What of it the allocator hands out: the rest is code, Qt's caches and freed heap.
    const struct mallinfo2 heap = mallinfo2();
    Line(kind, "window heap in use after load (malloc)", Mb(static_cast<double>(heap.uordblks + heap.hblkhd)));

    FilterComboBox* combo = kind == JournalKind::Alarms   ? form.GroupCB
                            : kind == JournalKind::Action ? form.UserCB
                                                          : form.GroupCB2;
    // Programmatic changes raise no change event of their own: the handler runs once, timed.
    auto change = [&form](const std::function<void()>& set) {
      {
        const QSignalBlocker blockTime(form.StartTime);
        set();
      }
      const double cpuAt = CpuMs();
      const Clock::time_point at = Clock::now();
      form.StartTimeChange();
      return Timing{MsSince(at), CpuMs() - cpuAt};
    };
    std::vector<Timing> timeChanges, valueChanges;
    for (int round = 0; round < 5; ++round) {
      change([&] {
        form.StartTime->setTime(QTime(0, 0, 0));
        combo->setCurrentIndex(0);
      });
      timeChanges.push_back(change([&] { form.StartTime->setTime(QTime(8, 0, 0)); }));
      valueChanges.push_back(change([&] { combo->setCurrentIndex(1); }));
    }
    const Timing timeMs = Median(timeChanges), valueMs = Median(valueChanges);
    Line(kind, "window filter change: time window", Ms(timeMs), Verdict("< 50 ms", timeMs.wall, 50));
    Line(kind, "window filter change: value filter", Ms(valueMs), Verdict("< 50 ms", valueMs.wall, 50));
    Line(kind, "window status after changes", form.StatusText(1).toStdString());
  }
  return failed ? 1 : 0;
}

int Usage() {
  std::fprintf(stderr, "usage: bench_journals --query PATH [--awk PATH] FILE...\n");
  return 2;
}

int Main(int argc, char** argv) {
  std::string query, awk = "mawk";
  std::vector<std::string> files;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--window" && i + 1 < argc) return WindowRun(argc, argv, argv[i + 1]);
    if (arg == "--query" && i + 1 < argc) {
      query = argv[++i];
    } else if (arg == "--awk" && i + 1 < argc) {
      awk = argv[++i];
    } else if (!arg.empty() && arg[0] == '-') {
      return Usage();
    } else {
      files.push_back(arg);
    }
  }
  if (query.empty() || files.empty()) return Usage();
  setenv("QT_QPA_PLATFORM", "offscreen", 1);

  const bool haveAwk = TimeProcess({awk, "BEGIN { exit 0 }"}, true).wall >= 0;
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
    Selection selection;
    // The first load brings the file into the page cache; every figure then reads it from there.
    CoreLoad(kind, path, rules, selection);
    char records[64];
    std::snprintf(records, sizeof records, "%zu records", selection.records);
    Line(kind, "file", Mb(static_cast<double>(st.st_size)), records);

    const Timing wc = Best(5, [&] { return TimeProcess({"wc", "-l", path}, true); });
    Line(kind, "wc -l (floor)", Ms(wc));
    const Timing core = Best(3, [&] {
      Selection s;
      return CoreLoad(kind, path, rules, s);
    });
    char ratio[48];
    std::snprintf(ratio, sizeof ratio, "%.1f x wc -l", core.wall / wc.wall);
    Line(kind, "core load", Ms(core),
         std::string(ratio) +
             (kind == JournalKind::Alarms ? ", " + Verdict("<= 10 x wc -l", core.wall, 10 * wc.wall) : ""));

    const std::string self = "/proc/self/exe";
    if (TimeProcess({self, "--window", path}, false).wall < 0) {
      std::fprintf(stderr, "%s: the window run failed\n", path.c_str());
      status = 1;
    }

    const std::vector<std::string> queryArgs = QueryArgs(kind, query, path, selection);
    const Timing q = Best(3, [&] { return TimeProcess(queryArgs, true, queryEnv.data()); });
    if (q.wall < 0) {
      std::fprintf(stderr, "%s: vantorel-query failed\n", path.c_str());
      status = 1;
      continue;
    }
    Line(kind, "vantorel-query, time window + value", Ms(q));
    if (!haveAwk) {
      Line(kind, "awk, same selection", "skipped", awk + " is not installed");
      continue;
    }
    const Timing a = Best(3, [&] { return TimeProcess(AwkArgs(kind, awk, path, selection), true); });
    char speed[48];
    std::snprintf(speed, sizeof speed, "query %.2f x faster", a.wall / q.wall);
    Line(kind, ("awk (" + awk + "), same selection").c_str(), Ms(a),
         std::string(speed) + ", " + Verdict("query <= awk / 2", q.wall, a.wall / 2));
  }
  return status;
}

}  // namespace
}  // namespace vantorel

int main(int argc, char** argv) { return vantorel::Main(argc, argv); }
