#include <benchmark/benchmark.h>

#include <string>

#include "datetime/DateTimeParse.h"
#include "datetime/DateTimeText.h"
#include "uStrUtils/StrUtils.h"

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

// Cuts a typical alarm line into its seven fields, as the alarm loader does.
void BM_CutFieldLine(benchmark::State& state) {
  const std::string line =
      "25.11.2013 10:15:30\t\xd1\xe5\xe2\xe5\xf0-07\t\xca\xee\xec\xec\xf3\xf2\xe0\xf2\xee\xf0"
      "\t\xd3\xe7\xe5\xeb \xd2\xe2\xe5\xf0\xfc-0123\t\xcf\xeb\xe0\xf2\xe0 3/\xcf\xee\xf0\xf2 12"
      "\t\xcd\xee\xf0\xec\xe0\t\xd3\xf0\xee\xe2\xe5\xed\xfc -12";
  std::string_view field;
  for (auto _ : state) {
    std::string_view source = line;
    for (int i = 0; i < 6; ++i) {
      CutField(source, '\t', field);
      benchmark::DoNotOptimize(field);
    }
    benchmark::DoNotOptimize(source);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * line.size()));
}
BENCHMARK(BM_CutFieldLine);

}  // namespace
}  // namespace vantorel
