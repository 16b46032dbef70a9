#include <gtest/gtest.h>

#include "journals/JournalLoad.h"
#include "support/CoreTestSupport.h"
#include "support/TestFiles.h"
#include "uStrUtils/Literals.h"

namespace vantorel {
namespace {

using test::At;
using test::Tabbed;
using test::W;
using Texts = std::vector<std::string>;

const std::string kTitle = W("Время\tГруппа\tКласс\tУзел\tПлата/Порт\tПараметр\tБыло\tСтало");

// The parameter lists, in the kind's order.
constexpr int kGroups = 0, kNodes = 1, kPorts = 2, kParams = 3;

// Parameter-change and statistics journals load alike; the tests use both kinds.
Journal Load(JournalKind kind, const std::string& bytes, TDateTime startDate, test::RecordingObserver& observer) {
  return test::Parse(kind, bytes, &observer, startDate);
}

Journal Load(JournalKind kind, const std::string& bytes, TDateTime startDate = 0) {
  return test::Parse(kind, bytes, nullptr, startDate);
}

std::string Line(const std::string& dateTime, const std::string& tail = "G\tD\tN\tP\tPar\tOld\tNew") {
  return dateTime + "\t" + tail + "\r\n";
}

TEST(LoadParamStatLog, ReadsTitlesRecordsAndProgress) {
  const std::string bytes =
      kTitle + "\r\n" +
      Line("25.11.2013 10:15:30", Tabbed({W("Группа 1"), "D", W("Узел 1"), "P1", W("Скорость"), "10", "20"})) +
      Line("25.11.2013 10:15:31", "G\tD\tN\tP\tPar\tOld\tNew\textra\t\tmore") +
      Line("26.11.2013 00:00:00", "G\tD\t\tN\tP");
  test::RecordingObserver observer;
  const Journal load = Load(JournalKind::Param, bytes, 0, observer);

  ASSERT_EQ(observer.titles.size(), 8u);
  EXPECT_EQ(observer.titles[5], W("Параметр"));
  EXPECT_EQ(observer.started, std::vector<size_t>{4});
  EXPECT_EQ(observer.progress, (test::ProgressList{{1, 3}, {3, 3}}));

  ASSERT_EQ(load.size(), 3u);
  EXPECT_EQ(load.records.times[0], At(2013, 11, 25, 10, 15, 30));
  EXPECT_EQ(test::Fields(load, 0), (Texts{W("Группа 1"), "D", W("Узел 1"), "P1", W("Скорость"), "10", "20"}));
  EXPECT_EQ(test::Fields(load, 1), (Texts{"G", "D", "N", "P", "Par", "Old", "New\textra\t\tmore"}));
  EXPECT_EQ(test::Fields(load, 2), (Texts{"G", "D", "N", "P", "", "", ""}));

  const Literals& words = Cp1251Literals();
  EXPECT_EQ(test::Strings(load.List(kGroups)), (Texts{words.allGroups, W("Группа 1"), "G"}));
  EXPECT_EQ(test::Strings(load.List(kNodes)), (Texts{words.allNodes, W("Узел 1"), "N"}));
  EXPECT_EQ(test::Strings(load.List(kPorts)), (Texts{words.allPorts, "P1", "P"}));
  EXPECT_EQ(test::Strings(load.List(kParams)), (Texts{words.allParams, W("Скорость"), "Par", ""}));
}

TEST(LoadParamStatLog, DateRangeByWholeDays) {
  const Journal mixed = Load(JournalKind::Param, kTitle + "\r\n" + Line("03.03.2014 10:00:00") +
                                                        Line("01.03.2014 15:00:00") + Line("05.03.2014 09:00:00") +
                                                        Line("01.03.2014 08:00:00") + Line("05.03.2014 23:00:00") +
                                                        Line("02.03.2014 12:00:00"));
  // The first record of the earliest and of the latest day; a later one of the same day changes nothing.
  EXPECT_EQ(mixed.days.earliest, At(2014, 3, 1, 15, 0, 0));
  EXPECT_EQ(mixed.days.latest, At(2014, 3, 5, 9, 0, 0));

  const Journal oneDay = Load(JournalKind::Stat, kTitle + "\r\n" + Line("04.03.2014 12:00:00") +
                                                          Line("04.03.2014 01:00:00") + Line("04.03.2014 23:00:00"));
  EXPECT_EQ(oneDay.days.earliest, At(2014, 3, 4, 12, 0, 0));
  EXPECT_EQ(oneDay.days.latest, oneDay.days.earliest);

  const TDateTime picker = At(2020, 6, 1, 13, 30, 0);
  const Journal titleOnly = Load(JournalKind::Param, kTitle + "\r\n", picker);
  EXPECT_TRUE(titleOnly.empty());
  EXPECT_EQ(titleOnly.days.earliest, picker);
  EXPECT_EQ(titleOnly.days.latest, picker);
  EXPECT_EQ(test::Strings(titleOnly.List(kParams)), Texts{Cp1251Literals().allParams});
}

TEST(LoadParamStatLog, FailuresEndTheLoadWithTheirMessage) {
  test::RecordingObserver empty;
  EXPECT_EQ(test::ErrorOf([&] { Load(JournalKind::Param, "", 0, empty); }), "Range check error");
  EXPECT_TRUE(empty.titles.empty());
  EXPECT_TRUE(empty.progress.empty());

  const std::string good = Line("25.11.2013 10:00:00");
  EXPECT_EQ(test::ErrorOf([&] { Load(JournalKind::Stat, kTitle + "\r\n" + good + "\t" + good); }),
            "'' is not a valid date and time");
  EXPECT_EQ(test::ErrorOf([&] { Load(JournalKind::Param, kTitle + "\r\n" + good + "\r\n"); }),
            "'' is not a valid date and time");
  test::RecordingObserver bad;
  EXPECT_EQ(test::ErrorOf([&] { Load(JournalKind::Param, kTitle + "\r\n" + good + good + Line("25.13.2013"), 0, bad); }),
            "'25.13.2013' is not a valid date and time");
  EXPECT_EQ(bad.progress, (test::ProgressList{{1, 3}}));
}

TEST(LoadParamStatLog, ListsAndLongTexts) {
  const Literals& words = Cp1251Literals();
  const std::string head(200, 'n');
  // Records 4 and 5 hold group, node, port and parameter values of 250 bytes that differ
  // only after byte 200; their nodes start like record 0's.
  const std::string groupHead(200, 'g'), portHead(200, 'p'), paramHead(200, 'q');
  auto longValues = [&](char tail) {
    const std::string more(50, tail);
    return Tabbed({groupHead + more, "D", head + more, portHead + more, paramHead + more});
  };
  const std::string bytes =
      kTitle + "\r\n" + Line("25.11.2013 10:00:00", Tabbed({words.allGroups, "D", head + "1", "P", "Speed"})) +
      Line("25.11.2013 10:00:01", Tabbed({"g", "D", head + "2", "P", "speed"})) +
      Line("25.11.2013 10:00:02", Tabbed({"G", "D", "x", words.allParams, words.allParams, std::string(250, 'o'),
                                          std::string(250, 'w')})) +
      Line("25.11.2013 10:00:03", Tabbed({"g", "D", "x", "P", "Speed"})) + Line("25.11.2013 10:00:04", longValues('x')) +
      Line("25.11.2013 10:00:05", longValues('y'));
  const Journal load = Load(JournalKind::Stat, bytes);
  ASSERT_EQ(load.size(), 6u);
  EXPECT_EQ(test::Fields(load, 0)[2], head);
  EXPECT_EQ(test::Fields(load, 2)[5], std::string(200, 'o'));
  EXPECT_EQ(test::Fields(load, 2)[6], std::string(200, 'w'));
  EXPECT_EQ(test::Fields(load, 5), (Texts{groupHead, "D", head, portHead, paramHead, "", ""}));

  EXPECT_EQ(test::Strings(load.List(kGroups)), (Texts{words.allGroups, "g", "G", groupHead}));
  EXPECT_EQ(test::Strings(load.List(kNodes)), (Texts{words.allNodes, head, "x"}));
  EXPECT_EQ(test::Strings(load.List(kPorts)), (Texts{words.allPorts, "P", words.allParams, portHead}));
  EXPECT_EQ(test::Strings(load.List(kParams)), (Texts{words.allParams, "Speed", "speed", paramHead}));
  for (int list : {kGroups, kNodes, kPorts, kParams}) {
    EXPECT_EQ(load.records.items[static_cast<size_t>(list)][4], load.records.items[static_cast<size_t>(list)][5])
        << "list " << list;
  }
  EXPECT_EQ(load.records.items[kNodes][0], load.records.items[kNodes][4]);

  EXPECT_EQ(test::Strings(load.List(kParams)), test::ListByContainsString(words.allParams, test::Column(load, 5)));
}

TEST(LoadParamStatLog, TheExtensionTellsParameterChangesFromStatistics) {
  LoadOptions options;
  options.rules = test::JournalRules();
  const std::string bytes = kTitle + "\r\n" + Line("25.11.2013 10:00:00");
  EXPECT_EQ(LoadParamStatLog(test::WriteScratchFile("param_kind.stat", bytes), options).kind, &kStatKind);
  EXPECT_EQ(LoadParamStatLog(test::WriteScratchFile("param_kind.param", bytes), options).kind, &kParamKind);
  EXPECT_EQ(test::ErrorOf([&] { LoadParamStatLog(test::MissingScratchPath("param_missing.param"), options); }),
            "File not found");
}

}  // namespace
}  // namespace vantorel
