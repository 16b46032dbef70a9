#include "query/Query.h"

#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <exception>
#include <functional>
#include <optional>
#include <thread>
#include <tuple>

#include "document/TextMatcher.h"
#include "journals/Extension.h"
#include "journals/FileWrite.h"
#include "query/MergedQuery.h"
#include "query/QueryOptions.h"
#include "query/StreamQuery.h"
#include "uStrUtils/AppError.h"
#include "uStrUtils/Cp1251.h"
#include "uStrUtils/NameText.h"

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

// A file's name in a message, as every output shows it (UTF-8).
std::string Shown(const std::string& path) { return Cp1251ToUtf8(NameText(path)); }

// Which file a path names; a path that names none stands for itself.
struct FileIdentity {
  bool exists = false;
  uint64_t device = 0;
  uint64_t inode = 0;
  const std::string* path = nullptr;
  size_t index = 0;
};

FileIdentity IdentityOf(const std::string& path, size_t index = 0) {
  FileIdentity identity;
  struct stat st {};
  identity.exists = ::stat(path.c_str(), &st) == 0;
  if (identity.exists) {
    identity.device = static_cast<uint64_t>(st.st_dev);
    identity.inode = static_cast<uint64_t>(st.st_ino);
  }
  identity.path = &path;
  identity.index = index;
  return identity;
}

std::vector<FileIdentity> Identities(const std::vector<std::string>& paths) {
  std::vector<FileIdentity> identities;
  identities.reserve(paths.size());
  for (size_t i = 0; i < paths.size(); ++i) identities.push_back(IdentityOf(paths[i], i));
  return identities;
}

// The first journal, in the order given, that names a file an earlier one names (one stat a
// journal, then a sort); none when each is named once.
std::optional<size_t> NamedTwice(std::vector<FileIdentity> identities) {
  auto key = [](const FileIdentity& f) {
    return std::make_tuple(!f.exists, f.device, f.inode, f.exists ? std::string_view() : std::string_view(*f.path), f.index);
  };
  std::sort(identities.begin(), identities.end(), [&](const FileIdentity& a, const FileIdentity& b) { return key(a) < key(b); });
  std::optional<size_t> first;
  for (size_t i = 1; i < identities.size(); ++i) {
    const FileIdentity& a = identities[i - 1];
    const FileIdentity& b = identities[i];
    const bool same = a.exists ? b.exists && a.device == b.device && a.inode == b.inode : !b.exists && *a.path == *b.path;
    if (same && (!first || b.index < *first)) first = b.index;
  }
  return first;
}

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
  for (const std::string& file : options.files) {
    const JournalKind each = KindOfPath(file);
    if (each == JournalKind::None) {
      err.Write("vantorel-query: " + Shown(file) + ": not a journal: the name must end in .alarms, .action, .param or .stat\n");
      return kQueryBadUsage;
    }
    const std::string extension(DescriptionOf(each).extension);
    if (kinds.find(extension) == std::string::npos) kinds += (kinds.empty() ? "" : ", ") + extension;
  }
  if (kinds.find(',') != std::string::npos) return BadUsage(err, "journals of different kinds: " + kinds);
  const std::vector<FileIdentity> identities = Identities(options.files);
  if (const std::optional<size_t> twice = NamedTwice(identities)) {
    return BadUsage(err, "a journal named twice: " + Shown(options.files[*twice]));
  }
  if (options.output) {
    const FileIdentity output = IdentityOf(*options.output);
    for (const FileIdentity& journal : identities) {
      if (output.exists && journal.exists && output.device == journal.device && output.inode == journal.inode) {
        return BadUsage(err, "--output names the journal itself");
      }
    }
  }
  if (!FitsKind(options, kind, problem)) return BadUsage(err, problem);
  // A regular expression RE2 refuses is a bad option.
  for (const TextFilter& filter : TextFiltersOf(options)) {
    try {
      const TextMatcher matcher(filter);
    } catch (const AppError& error) {
      return BadUsage(err, Cp1251ToUtf8(error.Message()));
    }
  }

  // What the answer leaves out, told once it is whole.
  std::string notices;
  try {
    const std::function<bool()> idle = followIdle ? followIdle : [] {
      std::this_thread::sleep_for(std::chrono::milliseconds(250));
      return true;
    };
    const auto run = [&](TextSink& to) {
      notices = options.files.size() > 1
                    ? RunMergedQuery(options, kind, rules, to)
                    : RunStreamQuery(options, kind, rules, to, err, idle,
                                     clock ? clock : [] { return std::chrono::steady_clock::now(); });
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
  if (!notices.empty()) err.Write(notices);
  return kQueryOk;
}

}  // namespace vantorel
