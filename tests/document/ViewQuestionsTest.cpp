// The questions the desk asks of a document beside its view: the timeline's counts, the rows
// as text for other programs, finding text in the rows.
#include <gtest/gtest.h>

#include "document/FindText.h"
#include "document/RowExport.h"
#include "document/Timeline.h"
#include "support/GeneratedJournal.h"
#include "support/CoreTestSupport.h"
#include "support/TestFiles.h"

namespace vantorel {
namespace {

using test::W;


TEST(Timeline, EachBinCountsTheRowsTheViewShowsForItsQuarterOfAnHour) {
  for (JournalKind kind : {JournalKind::Alarms, JournalKind::Action, JournalKind::Param, JournalKind::Stat}) {
    SCOPED_TRACE(DescriptionOf(kind).extension);
    const JournalDocument document = test::Document(kind, test::GeneratedJournal(kind, 3000, 11));
    FilterState state;
    state.lists[0].index = 1;
    state.showUnimportant = kind == JournalKind::Alarms;
    // The parameter view's end time counts on its end day only: one day makes the rules meet.
    state.startDate = state.endDate = WholeDay(document.Time(0));
    const TimelineCounts counts = CountTimeline(document, state);
    size_t total = 0;
    RowSet rows;
    for (int bin = 0; bin < kTimelineBins; ++bin) {
      state.startTime = EncodeTime(0, bin * 15, 0, 0);
      state.endTime = EncodeTime(0, bin * 15 + 14, 59, 999);
      document.Select(state, rows);
      EXPECT_EQ(counts[static_cast<size_t>(bin)].Total(), rows.size()) << "bin " << bin;
      total += rows.size();
      for (uint32_t record : rows.rows) {
        EXPECT_GT(counts[static_cast<size_t>(bin)].tones[static_cast<size_t>(document.Tone(record))], 0u);
      }
    }
    EXPECT_GT(total, 0u);
  }
  // Hidden unimportant alarms are not counted; shown ones are olive.
  const JournalDocument alarms = test::Document(
      JournalKind::Alarms, W("T\tG\tC\tN\tP\tM\tD\r\n25.11.2013 00:20:00\tG\tc\tN\tP\tПереход на резерв\td\r\n"
                             "25.11.2013 23:59:59\tG\tc\tN\tP\tНорма\td\r\n"));
  FilterState shown;
  shown.showUnimportant = true;
  EXPECT_EQ(CountTimeline(alarms, shown)[1].tones[static_cast<size_t>(TextTone::Olive)], 1u);
  EXPECT_EQ(CountTimeline(alarms, FilterState{})[1].Total(), 0u);
  EXPECT_EQ(CountTimeline(alarms, FilterState{})[95].tones[static_cast<size_t>(TextTone::Green)], 1u);
}

TEST(RowExport, TsvCsvAndJsonLines) {
  const std::vector<std::string> titles{W("Время"), "A,B", "", "A,B"};
  const std::string south = W("Юг");
  const std::string_view cells[] = {"10:00:00", "x\"y", south, "1,5"};
  std::string tsv, csv, json;
  RowExport(RowFormat::Tsv, 4, titles).AppendTitles(tsv);
  RowExport(RowFormat::Tsv, 4, titles).AppendRow(cells, tsv);
  EXPECT_EQ(tsv, "Время\tA,B\t\tA,B\n10:00:00\tx\"y\tЮг\t1,5\n");
  const RowExport toCsv(RowFormat::Csv, 4, titles);
  toCsv.AppendTitles(csv);
  toCsv.AppendRow(cells, csv);
  EXPECT_EQ(csv, "Время,\"A,B\",,\"A,B\"\r\n10:00:00,\"x\"\"y\",Юг,\"1,5\"\r\n");
  const RowExport toJson(RowFormat::JsonLines, 4, titles);
  toJson.AppendTitles(json);
  toJson.AppendRow(cells, json);
  // An empty or repeated title names its column by number.
  EXPECT_EQ(json, "{\"Время\":\"10:00:00\",\"A,B\":\"x\\\"y\",\"column 3\":\"Юг\",\"column 4\":\"1,5\"}\n");
  EXPECT_EQ(ShownTitles({"a", "b", "c"}, 2), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(ShownTitles({"a"}, 2), (std::vector<std::string>{"a", ""}));
}

TEST(FindText, LetterCaseAsideInEveryDisplayTextAndRoundTheEnds) {
  EXPECT_TRUE(TextFinder(W("юго-ЗАПАД")).Holds(W("Юго-Запад 2")));
  EXPECT_TRUE(TextFinder(W("ёЖ")).Holds(W("ЁЖИК")));
  EXPECT_TRUE(TextFinder(W("ї")).Holds(W("Ї")));
  EXPECT_FALSE(TextFinder(W("юг ")).Holds(W("Юг")));
  EXPECT_FALSE(TextFinder("").Holds("anything"));

  const JournalDocument document =
      test::Document(JournalKind::Alarms, W("T\tG\tC\tN\tP\tM\tD\r\n25.11.2013 10:00:00\tЮг\tc\tN\tP\tНорма\td\r\n"
                                            "25.11.2013 11:30:00\tУрал\tc\tN\tP\tНорма\td\r\n"
                                            "25.11.2013 12:00:00\tюГ\tc\tN\tP\tНорма\td\r\n"));
  RowSet rows;
  FilterState all;
  all.showUnimportant = true;
  document.Select(all, rows);
  auto find = [&](std::string_view needle, size_t from, bool forward) {
    FindStep step;
    step.next = from;
    step.left = rows.size();
    FindRows(document, rows, TextFinder(needle), forward, 1, step);
    while (step.found < 0 && step.left > 0) FindRows(document, rows, TextFinder(needle), forward, 1, step);
    return step.found;
  };
  EXPECT_EQ(find(W("ЮГ"), 1, true), 2);
  EXPECT_EQ(find(W("ЮГ"), 1, false), 0);
  // The time column as it is shown, and no match at all.
  EXPECT_EQ(find("11:30", 2, true), 1);
  EXPECT_EQ(find(W("Сибирь"), 0, true), -1);
}

}  // namespace
}  // namespace vantorel
