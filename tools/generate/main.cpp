// vantorel-generate: writes a journal of the chosen kind and size.
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "generate/Generate.h"

namespace {

constexpr const char* kUsage =
    "usage: vantorel-generate --kind alarms|action|param|stat --records N [--seed S] [--days D]\n"
    "                         [--first-day F] [--dates ru|c] [-o FILE]\n"
    "Writes a journal of N records in time order, spread over D days (7) from F days (0)\n"
    "after 25 November 2013, in Windows-1251 with CR LF line ends, to FILE or standard\n"
    "output. --dates ru (the\n"
    "default) writes 25.11.2013 14:05:09, as Russian regional settings read it; --dates c\n"
    "writes 11/25/13 2:05:09 pm, as a system without regional settings reads it.\n";

bool Number(std::string_view text, uint64_t& out) {
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
  return ec == std::errc() && end == text.data() + text.size() && !text.empty();
}

int Usage(const std::string& problem) {
  std::fprintf(stderr, "vantorel-generate: %s\n%s", problem.c_str(), kUsage);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  vantorel::GenerateOptions options;
  std::string path;
  bool kindGiven = false, recordsGiven = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--help") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (i + 1 >= argc) return Usage(std::string(arg) + ": missing value or unknown option");
    const std::string_view value = argv[++i];
    uint64_t number = 0;
    if (arg == "--kind") {
      kindGiven = true;
      if (value == "alarms") {
        options.kind = vantorel::JournalKind::Alarms;
      } else if (value == "action") {
        options.kind = vantorel::JournalKind::Action;
      } else if (value == "param") {
        options.kind = vantorel::JournalKind::Param;
      } else if (value == "stat") {
        options.kind = vantorel::JournalKind::Stat;
      } else {
        return Usage("unknown kind " + std::string(value));
      }
    } else if (arg == "--records" && Number(value, number)) {
      options.records = number;
      recordsGiven = true;
    } else if (arg == "--seed" && Number(value, number)) {
      options.seed = number;
    } else if (arg == "--days" && Number(value, number) && number >= 1 && number <= 3650) {
      options.days = static_cast<int>(number);
    } else if (arg == "--first-day" && Number(value, number) && number <= 36500) {
      options.firstDay = static_cast<int>(number);
    } else if (arg == "--dates" && (value == "ru" || value == "c")) {
      options.dates = value == "ru" ? vantorel::DateStyle::Russian : vantorel::DateStyle::StandIn;
    } else if (arg == "-o") {
      path = value;
    } else {
      return Usage("bad option " + std::string(arg) + " " + std::string(value));
    }
  }
  if (!kindGiven || !recordsGiven) return Usage("--kind and --records are needed");

  std::FILE* file = path.empty() ? stdout : std::fopen(path.c_str(), "wb");
  if (file == nullptr) {
    std::fprintf(stderr, "vantorel-generate: %s: %s\n", path.c_str(), std::strerror(errno));
    return 1;
  }
  vantorel::GenerateJournal(options, [file](std::string_view bytes) { std::fwrite(bytes.data(), 1, bytes.size(), file); });
  const bool failed = std::fflush(file) != 0 || std::ferror(file) != 0;
  if (file != stdout) std::fclose(file);
  if (failed) {
    std::fprintf(stderr, "vantorel-generate: write error\n");
    return 1;
  }
  return 0;
}
