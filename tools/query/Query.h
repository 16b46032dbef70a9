#pragma once
// vantorel-query: one journal's view, printed as text.
#include <chrono>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "datetime/RegionalSettings.h"

namespace vantorel {

// Where the query writes: standard output or standard error, or a test's buffer.
class TextSink {
 public:
  virtual ~TextSink() = default;
  virtual void Write(std::string_view bytes) = 0;
};

// Exit statuses of RunQuery.
inline constexpr int kQueryOk = 0;
inline constexpr int kQueryLoadFailed = 1;
inline constexpr int kQueryBadUsage = 2;

// Runs the query for the command-line arguments `args` (program name excluded) with the
// date-time rules the window would take from the system. Rows, lists or the count go to
// `out` in UTF-8; errors and usage go to `err`. Returns the exit status. With --follow,
// `followIdle` runs whenever the journal has nothing new and says whether to go on (without
// it: a quarter of a second's sleep, and on until interrupted); `clock` tells the time the
// following goes by (without it: the steady clock's).
using FollowClock = std::function<std::chrono::steady_clock::time_point()>;
int RunQuery(const std::vector<std::string>& args, const DateTimeRules& rules, TextSink& out, TextSink& err,
             const std::function<bool()>& followIdle = {}, const FollowClock& clock = {});

// The text of --help.
std::string_view QueryHelpText();

}  // namespace vantorel
