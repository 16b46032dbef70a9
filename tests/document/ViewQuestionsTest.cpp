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

TEST(Timeline, EachBinsClickRowsAreTheRowsTheViewShowsForItsClickWindow) {
  for (JournalKind kind : {JournalKind::Alarms, JournalKind::Param}) {
    SCOPED_TRACE(DescriptionOf(kind).extension);
    const JournalDocument document = test::Document(kind, test::GeneratedJournal(kind, 3000, 5));
    FilterState state;
    state.showUnimportant = true;
    state.startDate = WholeDay(document.Time(0));
    state.endDate = WholeDay(document.Time(document.size() - 1));
    TimelineClickRows clicks{};
    const TimelineCounts counts = CountTimeline(document, state, &clicks);
    size_t bars = 0, clicked = 0;
    RowSet rows;
    for (int bin = 0; bin < kTimelineBins; ++bin) {
      state.startTime = EncodeTime(bin / 4, bin % 4 * 15, 0, 0);
      state.endTime = EncodeTime(bin / 4, bin % 4 * 15 + 14, 59, 0);
      document.Select(state, rows);
      EXPECT_EQ(clicks[static_cast<size_t>(bin)], rows.size()) << "bin " << bin;
      bars += counts[static_cast<size_t>(bin)].Total();
      clicked += rows.size();
    }
    // Over several days the parameter view lets the earlier days' later times through.
    if (kind == JournalKind::Param) {
      EXPECT_GT(clicked, bars);
    }
  }
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

  // A quote inside a title that must be quoted anyway is doubled.
  std::string quoted;
  RowExport(RowFormat::Csv, 2, {"say \"hi\", then", "x"}).AppendTitles(quoted);
  EXPECT_EQ(quoted, "\"say \"\"hi\"\", then\",x\r\n");
  // Keys stay unique when a title reads like a numbered column's name.
  std::string keys;
  const std::string_view five[] = {"a", "b", "c", "d", "e"};
  RowExport(RowFormat::JsonLines, 5, {"column 5", "x", "x", "column 3", ""}).AppendRow(five, keys);
  EXPECT_EQ(keys, "{\"column 5\":\"a\",\"x\":\"b\",\"column 3\":\"c\",\"column 4\":\"d\","
                  "\"column 5 (2)\":\"e\"}\n");
}

// Rows for a database: the moment and the journal lead, under titles of their own.
TEST(RowExport, RowsLedByMomentAndJournal) {
  const std::string_view cells[] = {"14:05:09", "x,y"};
  const TDateTime moment = 41603 + 14.0 / 24 + 5.0 / 1440 + 9.0 / 86400;
  std::string tsv, csv, json;
  const RowExport toTsv(RowFormat::Tsv, 2, {W("Время"), "B"}, "a.alarms");
  toTsv.AppendTitles(tsv);
  toTsv.AppendRow(cells, tsv, moment);
  EXPECT_EQ(tsv, "moment\tjournal\tВремя\tB\n2013-11-25T14:05:09.000\ta.alarms\t14:05:09\tx,y\n");
  const RowExport toCsv(RowFormat::Csv, 2, {W("Время"), "B"}, "b, 2.alarms");
  toCsv.AppendTitles(csv);
  toCsv.AppendRow(cells, csv, moment);
  EXPECT_EQ(csv, "moment,journal,Время,B\r\n2013-11-25T14:05:09.000,\"b, 2.alarms\",14:05:09,\"x,y\"\r\n");
  // A column titled as a leading key gets a name of its own.
  RowExport(RowFormat::JsonLines, 2, {"moment", "journal"}, "c\".alarms").AppendRow(cells, json, moment);
  EXPECT_EQ(json, "{\"moment\":\"2013-11-25T14:05:09.000\",\"journal\":\"c\\\".alarms\",\"column 1\":\"14:05:09\","
                  "\"column 2\":\"x,y\"}\n");
}

TEST(RowExport, CsvForASpreadsheetMarksItsEncodingAndRunsNoFormula) {
  const std::string south = W("Юг");
  const std::string_view cells[] = {"=1+2", "-5", "+7", "@SUM(A1)", "a;b", "\tx", "1,5", south};
  std::string csv;
  const RowExport excel(RowFormat::CsvExcel, 8, {"=A", "B;C", "", "", "", "", "", ""});
  excel.AppendTitles(csv);
  excel.AppendRow(cells, csv);
  EXPECT_EQ(csv, "\xEF\xBB\xBF'=A;\"B;C\";;;;;;\r\n'=1+2;'-5;'+7;'@SUM(A1);\"a;b\";'\tx;1,5;Юг\r\n");
  // Plain CSV writes the same cells as they are.
  std::string plain;
  RowExport(RowFormat::Csv, 8, std::vector<std::string>(8)).AppendRow(cells, plain);
  EXPECT_EQ(plain, "=1+2,-5,+7,@SUM(A1),a;b,\tx,\"1,5\",Юг\r\n");
  // Spaces before the sign, which a spreadsheet may trim, change nothing; other text, a
  // no-break space among it, does.
  const std::string_view spaced[] = {" =1+1", "   -5", " @A1", "  ", " x=1", "", "\xA0=1", " \t"};
  std::string guarded;
  RowExport(RowFormat::CsvExcel, 8, std::vector<std::string>(8)).AppendRow(spaced, guarded);
  EXPECT_EQ(guarded, "' =1+1;'   -5;' @A1;  ; x=1;;\xC2\xA0=1;' \t\r\n");
}

TEST(RowExport, JsonStringsEscapeBackslashesAndEveryControlByte) {
  std::string controls;
  for (char c = 0x09; c <= 0x1F; ++c) controls.push_back(c);
  std::string json;
  AppendJsonString("a\\b\"" + controls + "\x7F\xD0\xAE", json);
  EXPECT_EQ(json, "\"a\\\\b\\\"\\t\\n\\u000b\\u000c\\r\\u000e\\u000f\\u0010\\u0011\\u0012\\u0013\\u0014"
                  "\\u0015\\u0016\\u0017\\u0018\\u0019\\u001a\\u001b\\u001c\\u001d\\u001e\\u001f\x7F\xD0\xAE\"");

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
  // Backward from the first row, round to the last rows.
  EXPECT_EQ(find(W("Урал"), 0, false), 1);
  FindStep start = StartFind(rows.size(), 0, false);
  EXPECT_EQ(start.next, 2u);
  EXPECT_EQ(start.left, 3u);
  EXPECT_EQ(StartFind(rows.size(), -1, false).next, 2u);
  EXPECT_EQ(StartFind(rows.size(), 2, true).next, 0u);
  // The found row's first column that holds the text.
  start.next = 0;
  FindRows(document, rows, TextFinder(W("урал")), true, 3, start);
  EXPECT_EQ(start.found, 1);
  EXPECT_EQ(start.column, 1);
  // The time column as it is shown, and no match at all.
  EXPECT_EQ(find("11:30", 2, true), 1);
  EXPECT_EQ(find(W("Сибирь"), 0, true), -1);
}

}  // namespace
}  // namespace vantorel
