#pragma once
// Journals of any size for the tests, written in memory by the generator of the benchmarks.
#include <string>

#include "generate/Generate.h"

namespace vantorel::test {

// `records` records of `kind` over three days, the same bytes for the same seed.
inline std::string GeneratedJournal(JournalKind kind, size_t records, uint64_t seed = 7) {
  GenerateOptions options;
  options.kind = kind;
  options.records = records;
  options.seed = seed;
  options.days = 3;
  std::string text;
  GenerateJournal(options, [&text](std::string_view piece) { text += piece; });
  return text;
}

// An alarm journal of `records` records over one day, `firstDay` days after the first.
inline std::string GeneratedDay(size_t records, uint64_t seed, int firstDay) {
  GenerateOptions options;
  options.records = records;
  options.seed = seed;
  options.days = 1;
  options.firstDay = firstDay;
  std::string text;
  GenerateJournal(options, [&text](std::string_view piece) { text += piece; });
  return text;
}

}  // namespace vantorel::test
