#include <benchmark/benchmark.h>

#include <string>

#include "datetime/DateTimeParse.h"
#include "datetime/DateTimeText.h"

namespace vantorel {
namespace {

RegionalSettings RussianSettings() {
  RegionalSettings s;
  s.shortDateFormat = "dd/mm/yyyy";
  s.dateSeparator = '.';
  s.clock24 = true;
  s.hourLeadingZero = true;
  return s;
}

void BM_StrToDateTime(benchmark::State& state, const char* text, bool russian) {
  DateTimeRules rules;
  rules.currentYear = 2026;
  if (russian) rules.regional = RussianSettings();
  TDateTime value = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(TryStrToDateTime(text, rules, value));
    benchmark::DoNotOptimize(value);
  }
}
BENCHMARK_CAPTURE(BM_StrToDateTime, russian, "25.11.2013 10:15:30", true);
BENCHMARK_CAPTURE(BM_StrToDateTime, stand_in, "11/25/13 10:15:30 am", false);

void BM_TimeText(benchmark::State& state, bool russian) {
  const RegionalSettings settings = russian ? RussianSettings() : RegionalSettings{};
  TDateTime value = 41603 + EncodeTime(10, 15, 30, 0);
  std::string out;
  for (auto _ : state) {
    out.clear();
    AppendTimeText(out, value, settings);
    benchmark::DoNotOptimize(out.data());
    value += 1.0 / 86400.0;
  }
}
BENCHMARK_CAPTURE(BM_TimeText, russian, true);
BENCHMARK_CAPTURE(BM_TimeText, stand_in, false);

}  // namespace
}  // namespace vantorel
