#include "journals/ParamStatLog.h"

#include <gtest/gtest.h>

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

ParamLoad Load(const std::string& name, const std::string& bytes, TDateTime startDate,
               test::RecordingObserver& observer) {
  return LoadParamStatLog(test::WriteScratchFile(name, bytes), startDate, test::JournalRules(), observer);
}

ParamLoad Load(const std::string& name, const std::string& bytes, TDateTime startDate = 0) {
  test::RecordingObserver observer;
  return Load(name, bytes, startDate, observer);
}

Texts Fields(const ParamLoad& load, size_t i) {
  const ParamRecords& r = load.records;
  const ParamRecord& p = r.records.at(i);
  return {std::string(r.Text(p.GroupName)), std::string(r.Text(p.Detail1)),   std::string(r.Text(p.NodeName)),
          std::string(r.Text(p.BoardPort)), std::string(r.Text(p.ParamName)), std::string(r.Text(p.Detail2)),
          std::string(r.Text(p.Detail3))};
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
  const ParamLoad load = Load("param_basic.param", bytes, 0, observer);

  ASSERT_EQ(observer.titles.size(), 8u);
  EXPECT_EQ(observer.titles[5], W("Параметр"));
  EXPECT_EQ(observer.started, std::vector<size_t>{4});
  EXPECT_EQ(observer.progress, (test::ProgressList{{1, 3}, {3, 3}}));

  ASSERT_EQ(load.records.size(), 3u);
  EXPECT_EQ(load.records.records[0].DateTime, At(2013, 11, 25, 10, 15, 30));
  EXPECT_EQ(Fields(load, 0), (Texts{W("Группа 1"), "D", W("Узел 1"), "P1", W("Скорость"), "10", "20"}));
  EXPECT_EQ(Fields(load, 1), (Texts{"G", "D", "N", "P", "Par", "Old", "New\textra\t\tmore"}));
  EXPECT_EQ(Fields(load, 2), (Texts{"G", "D", "N", "P", "", "", ""}));

  const Literals& words = Cp1251Literals();
  EXPECT_EQ(test::Strings(load.lists.groups), (Texts{words.allGroups, W("Группа 1"), "G"}));
  EXPECT_EQ(test::Strings(load.lists.nodes), (Texts{words.allNodes, W("Узел 1"), "N"}));
  EXPECT_EQ(test::Strings(load.lists.ports), (Texts{words.allPorts, "P1", "P"}));
  EXPECT_EQ(test::Strings(load.lists.params), (Texts{words.allParams, W("Скорость"), "Par", ""}));
}

TEST(LoadParamStatLog, DateRangeByWholeDays) {
  const ParamLoad mixed = Load("param_range.param", kTitle + "\r\n" + Line("03.03.2014 10:00:00") +
                                                        Line("01.03.2014 15:00:00") + Line("05.03.2014 09:00:00") +
                                                        Line("01.03.2014 08:00:00") + Line("05.03.2014 23:00:00") +
                                                        Line("02.03.2014 12:00:00"));
  // The first record of the earliest and of the latest day; a later one of the same day changes nothing.
  EXPECT_EQ(mixed.earliest, At(2014, 3, 1, 15, 0, 0));
  EXPECT_EQ(mixed.latest, At(2014, 3, 5, 9, 0, 0));

  const ParamLoad oneDay = Load("param_one_day.stat", kTitle + "\r\n" + Line("04.03.2014 12:00:00") +
                                                          Line("04.03.2014 01:00:00") + Line("04.03.2014 23:00:00"));
  EXPECT_EQ(oneDay.earliest, At(2014, 3, 4, 12, 0, 0));
  EXPECT_EQ(oneDay.latest, oneDay.earliest);

  const TDateTime picker = At(2020, 6, 1, 13, 30, 0);
  const ParamLoad titleOnly = Load("param_title_only.param", kTitle + "\r\n", picker);
  EXPECT_TRUE(titleOnly.records.empty());
  EXPECT_EQ(titleOnly.earliest, picker);
  EXPECT_EQ(titleOnly.latest, picker);
  EXPECT_EQ(test::Strings(titleOnly.lists.params), Texts{Cp1251Literals().allParams});
}

TEST(LoadParamStatLog, FailuresEndTheLoadWithTheirMessage) {
  test::RecordingObserver empty;
  EXPECT_EQ(test::ErrorOf([&] { Load("param_empty.param", "", 0, empty); }), "Range check error");
  EXPECT_TRUE(empty.titles.empty());
  EXPECT_TRUE(empty.progress.empty());

  const std::string good = Line("25.11.2013 10:00:00");
  EXPECT_EQ(test::ErrorOf([&] { Load("param_leading_tab.stat", kTitle + "\r\n" + good + "\t" + good); }),
            "'' is not a valid date and time");
  EXPECT_EQ(test::ErrorOf([&] { Load("param_blank_end.param", kTitle + "\r\n" + good + "\r\n"); }),
            "'' is not a valid date and time");
  test::RecordingObserver bad;
  EXPECT_EQ(test::ErrorOf([&] { Load("param_bad.param", kTitle + "\r\n" + good + good + Line("25.13.2013"), 0, bad); }),
            "'25.13.2013' is not a valid date and time");
  EXPECT_EQ(bad.progress, (test::ProgressList{{1, 3}}));
}

TEST(LoadParamStatLog, ListsAndLongTexts) {
  const Literals& words = Cp1251Literals();
  const std::string head(200, 'n');
  const std::string bytes =
      kTitle + "\r\n" + Line("25.11.2013 10:00:00", Tabbed({words.allGroups, "D", head + "1", "P", "Speed"})) +
      Line("25.11.2013 10:00:01", Tabbed({"g", "D", head + "2", "P", "speed"})) +
      Line("25.11.2013 10:00:02", Tabbed({"G", "D", "x", words.allParams, words.allParams, std::string(250, 'o'),
                                          std::string(250, 'w')})) +
      Line("25.11.2013 10:00:03", Tabbed({"g", "D", "x", "P", "Speed"}));
  const ParamLoad load = Load("param_lists.stat", bytes);
  ASSERT_EQ(load.records.size(), 4u);
  EXPECT_EQ(Fields(load, 0)[2], head);
  EXPECT_EQ(Fields(load, 2)[5], std::string(200, 'o'));
  EXPECT_EQ(Fields(load, 2)[6], std::string(200, 'w'));

  EXPECT_EQ(test::Strings(load.lists.groups), (Texts{words.allGroups, "g", "G"}));
  EXPECT_EQ(test::Strings(load.lists.nodes), (Texts{words.allNodes, head, "x"}));
  EXPECT_EQ(test::Strings(load.lists.ports), (Texts{words.allPorts, "P", words.allParams}));
  EXPECT_EQ(test::Strings(load.lists.params), (Texts{words.allParams, "Speed", "speed"}));

  std::vector<std::string_view> params;
  for (const ParamRecord& r : load.records.records) params.push_back(load.records.Text(r.ParamName));
  EXPECT_EQ(test::Strings(load.lists.params), test::ListByContainsString(words.allParams, params));
}

}  // namespace
}  // namespace vantorel
