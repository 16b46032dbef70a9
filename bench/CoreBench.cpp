#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "datetime/DateTimeParse.h"
#include "datetime/DateTimeReader.h"
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

// A journal's date-time fields over one day, one every 7 seconds from 10:00:00, in Russian
// settings; with `milliseconds`, a fraction of 3 digits.
std::vector<std::string> OneDayTexts(bool milliseconds) {
  std::vector<std::string> texts;
  for (int i = 0; i < 1024; ++i) {
    const int second = 36000 + 7 * i;
    char text[64];
    const char* format = milliseconds ? "25.11.2013 %02d:%02d:%02d.%03d" : "25.11.2013 %02d:%02d:%02d";
    std::snprintf(text, sizeof text, format, second / 3600, second / 60 % 60, second % 60, i % 1000);
    texts.emplace_back(text);
  }
  return texts;
}

// Time per text: the general conversion, or one reader over the run.
void BM_OneDay(benchmark::State& state, bool reader, bool milliseconds) {
  DateTimeRules rules;
  rules.currentYear = 2026;
  rules.regional = RussianSettings();
  const std::vector<std::string> texts = OneDayTexts(milliseconds);
  DateTimeReader dates(rules);
  TDateTime value = 0;
  size_t i = 0;
  for (auto _ : state) {
    const std::string_view text = texts[i];
    i = (i + 1) % texts.size();
    benchmark::DoNotOptimize(reader ? dates.TryRead(text, value) : TryStrToDateTime(text, rules, value));
    benchmark::DoNotOptimize(value);
  }
}
BENCHMARK_CAPTURE(BM_OneDay, StrToDateTime, false, false);
BENCHMARK_CAPTURE(BM_OneDay, DateTimeReader, true, false);
BENCHMARK_CAPTURE(BM_OneDay, StrToDateTime_ms, false, true);
BENCHMARK_CAPTURE(BM_OneDay, DateTimeReader_ms, true, true);

void BM_DateTimeReader(benchmark::State& state, const char* text) {
  DateTimeRules rules;
  rules.currentYear = 2026;
  rules.regional = RussianSettings();
  DateTimeReader reader(rules);
  TDateTime value = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(reader.TryRead(text, value));
    benchmark::DoNotOptimize(value);
  }
}
BENCHMARK_CAPTURE(BM_DateTimeReader, russian, "25.11.2013 10:15:30");

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
