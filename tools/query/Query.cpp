#include "query/Query.h"

#include <chrono>
#include <exception>
#include <functional>
#include <thread>

#include "document/TextMatcher.h"
#include "journals/Extension.h"
#include "journals/FileWrite.h"
#include "query/MergedQuery.h"
#include "query/QueryOptions.h"
#include "query/StreamQuery.h"
#include "uStrUtils/AppError.h"
#include "uStrUtils/Cp1251.h"

namespace vantorel {
namespace {

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
  err.Write(QueryUsage());
  return kQueryBadUsage;
}

}  // namespace

std::string_view QueryHelpText() { return QueryHelp(); }

int RunQuery(const std::vector<std::string>& args, const DateTimeRules& rules, TextSink& out, TextSink& err,
             const std::function<bool()>& followIdle, const FollowClock& clock) {
  QueryOptions options;
  std::string problem;
  if (!ParseArgs(args, options, problem)) return BadUsage(err, problem);
  if (options.help) {
    out.Write(QueryUsage());
    out.Write("\n");
    out.Write(QueryHelp());
    return kQueryOk;
  }
  const JournalKind kind = KindOfPath(options.file);
  std::string kinds;
  for (size_t i = 0; i < options.files.size(); ++i) {
    const std::string& file = options.files[i];
    for (size_t j = 0; j < i; ++j) {
      if (file == options.files[j] || SameFile(file, options.files[j])) return BadUsage(err, "a journal named twice: " + file);
    }
    const JournalKind each = KindOfPath(file);
    if (each == JournalKind::None) {
      err.Write("vantorel-query: " + file + ": not a journal: the name must end in .alarms, .action, .param or .stat\n");
      return kQueryBadUsage;
    }
    const std::string extension(DescriptionOf(each).extension);
    if (kinds.find(extension) == std::string::npos) kinds += (kinds.empty() ? "" : ", ") + extension;
    if (options.output && SameFile(*options.output, file)) return BadUsage(err, "--output names the journal itself");
  }
  if (kinds.find(',') != std::string::npos) return BadUsage(err, "journals of different kinds: " + kinds);
  if (!FitsKind(options, kind, problem)) return BadUsage(err, problem);
  // A regular expression RE2 refuses is a bad option.
  for (const TextFilter& filter : TextFiltersOf(options)) {
    try {
      const TextMatcher matcher(filter);
    } catch (const AppError& error) {
      return BadUsage(err, Cp1251ToUtf8(error.Message()));
    }
  }

  try {
    const std::function<bool()> idle = followIdle ? followIdle : [] {
      std::this_thread::sleep_for(std::chrono::milliseconds(250));
      return true;
    };
    const auto run = [&](TextSink& to) {
      if (options.files.size() > 1) {
        RunMergedQuery(options, kind, rules, to);
      } else {
        RunStreamQuery(options, kind, rules, to, err, idle, clock ? clock : [] { return std::chrono::steady_clock::now(); });
      }
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
