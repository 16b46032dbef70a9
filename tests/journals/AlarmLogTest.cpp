#include "journals/AlarmLog.h"

#include <gtest/gtest.h>

#include "support/CoreTestSupport.h"
#include "support/TestFiles.h"
#include "uStrUtils/Literals.h"

namespace vantorel {
namespace {

using test::Tabbed;
using test::W;
using Texts = std::vector<std::string>;

const std::string kTitle = W("Время\tГруппа\tКласс\tУзел\tПлата/Порт\tСообщение\tПодробности");

AlarmLoad Load(const std::string& name, const std::string& bytes, test::RecordingObserver& observer) {
  return LoadAlarmLog(test::WriteScratchFile(name, bytes), test::JournalRules(), observer);
}

AlarmLoad Load(const std::string& name, const std::string& bytes) {
  test::RecordingObserver observer;
  return Load(name, bytes, observer);
}

Texts Fields(const AlarmLoad& load, size_t i) {
  const AlarmRecords& r = load.records;
  const AlarmRecord& a = r.records.at(i);
  return {std::string(r.Text(a.GroupName)), std::string(r.Text(a.Detail1)), std::string(r.Text(a.NodeName)),
          std::string(r.Text(a.BoardPort)), std::string(r.Text(a.Message)),  std::string(r.Text(a.Detail2))};
}

TEST(LoadAlarmLog, ReadsTitlesRecordsAndProgress) {
  const std::string bytes = kTitle + "\r\n" +
                            Tabbed({"25.11.2013 10:15:30", W("Группа 1"), "A", W("Узел 1"), W("Плата 3"),
                                    W("Норма"), W("обрыв")}) +
                            "\r" +  // a lone CR ends a record line too
                            Tabbed({"26.11.2013 23:59:59.250", W("Группа 2"), "B", W("Узел 2"), W("Порт 7"),
                                    W("Переход на резерв"), ""}) +
                            "\n";
  test::RecordingObserver observer;
  const AlarmLoad load = Load("alarm_basic.alarms", bytes, observer);

  EXPECT_EQ(observer.titles, (Texts{W("Время"), W("Группа"), W("Класс"), W("Узел"), W("Плата/Порт"),
                                    W("Сообщение"), W("Подробности")}));
  EXPECT_EQ(observer.started, std::vector<size_t>{3});
  EXPECT_EQ(observer.progress, (test::ProgressList{{1, 2}, {2, 2}}));

  ASSERT_EQ(load.records.size(), 2u);
  EXPECT_EQ(load.records.records[0].DateTime, test::At(2013, 11, 25, 10, 15, 30));
  EXPECT_EQ(load.records.records[1].DateTime, test::At(2013, 11, 26, 23, 59, 59, 250));
  EXPECT_EQ(Fields(load, 0), (Texts{W("Группа 1"), "A", W("Узел 1"), W("Плата 3"), W("Норма"), W("обрыв")}));
  EXPECT_EQ(Fields(load, 1), (Texts{W("Группа 2"), "B", W("Узел 2"), W("Порт 7"), W("Переход на резерв"), ""}));

  const Literals& words = Cp1251Literals();
  EXPECT_EQ(test::Strings(load.lists.groups), (Texts{words.allGroups, W("Группа 1"), W("Группа 2")}));
  EXPECT_EQ(test::Strings(load.lists.nodes), (Texts{words.allNodes, W("Узел 1"), W("Узел 2")}));
  EXPECT_EQ(test::Strings(load.lists.ports), (Texts{words.allPorts, W("Плата 3"), W("Порт 7")}));
}

TEST(LoadAlarmLog, TitleLineOnlyGivesNoRecords) {
  const Literals& words = Cp1251Literals();
  for (const std::string bytes : {"T1\tT2\r\n", "T1\tT2"}) {
    test::RecordingObserver observer;
    const AlarmLoad load = Load("alarm_title_only.alarms", bytes, observer);
    EXPECT_EQ(observer.titles, (Texts{"T1", "T2"}));
    EXPECT_EQ(observer.started, std::vector<size_t>{1});
    EXPECT_TRUE(observer.progress.empty());
    EXPECT_TRUE(load.records.empty());
    EXPECT_EQ(test::Strings(load.lists.groups), Texts{words.allGroups});
    EXPECT_EQ(test::Strings(load.lists.nodes), Texts{words.allNodes});
    EXPECT_EQ(test::Strings(load.lists.ports), Texts{words.allPorts});
  }
}

TEST(LoadAlarmLog, FailuresEndTheLoadWithTheirMessage) {
  test::RecordingObserver empty;
  EXPECT_EQ(test::ErrorOf([&] { Load("alarm_empty.alarms", "", empty); }), "Range check error");
  EXPECT_TRUE(empty.titles.empty());
  EXPECT_TRUE(empty.progress.empty());

  const std::string good = "25.11.2013 10:00:00\tG\tD\tN\tP\tM\r\n";
  test::RecordingObserver badDate;
  EXPECT_EQ(test::ErrorOf([&] {
              Load("alarm_bad_date.alarms", kTitle + "\r\n" + good + good + "31.02.2013 10:00:00\tG\r\n" + good,
                   badDate);
            }),
            "'31.02.2013 10:00:00' is not a valid date and time");
  EXPECT_EQ(badDate.progress, (test::ProgressList{{1, 4}}));

  // One more line end after the last line adds an empty line; so does a blank line inside.
  EXPECT_EQ(test::ErrorOf([&] { Load("alarm_blank_end.alarms", kTitle + "\r\n" + good + "\r\n"); }),
            "'' is not a valid date and time");
  EXPECT_EQ(test::ErrorOf([&] { Load("alarm_blank_inside.alarms", kTitle + "\n" + good + "\n" + good); }),
            "'' is not a valid date and time");
  EXPECT_EQ(test::ErrorOf([&] { Load("alarm_words.alarms", kTitle + "\n" + W("вчера\tG") + "\n"); }),
            "'" + W("вчера") + "' is not a valid date and time");

  const std::string missing = test::MissingScratchPath("alarm_missing.alarms");
  test::RecordingObserver none;
  EXPECT_EQ(test::ErrorOf([&] { LoadAlarmLog(missing, test::JournalRules(), none); }), "File not found");
}

TEST(LoadAlarmLog, CutsFieldsAtRunsOfTabs) {
  const std::string bytes = kTitle + "\r\n" +
                            "25.11.2013 10:00:00\t1\t2\t3\t4\t5\t6\t7\t\t8\r\n"  // rest of the line with its tabs
                            "25.11.2013 10:00:01\tG\tD\t\tN5\tP6\tM7\r\n"      // empty field: later ones move left
                            "25.11.2013 10:00:02\tG\r\n"                        // short line
                            "10:15:30\tG\tD\tN\tP\tM\t\r\n"                     // time alone, trailing tab
                            + std::string(190, ' ') + "25.11.2013 10:00:03\tlong date field\r\n";
  const AlarmLoad load = Load("alarm_fields.alarms", bytes);
  ASSERT_EQ(load.records.size(), 5u);
  EXPECT_EQ(Fields(load, 0), (Texts{"1", "2", "3", "4", "5", "6\t7\t\t8"}));
  EXPECT_EQ(Fields(load, 1), (Texts{"G", "D", "N5", "P6", "M7", ""}));
  EXPECT_EQ(Fields(load, 2), (Texts{"G", "", "", "", "", ""}));
  EXPECT_EQ(Fields(load, 3), (Texts{"G", "D", "N", "P", "M", ""}));
  EXPECT_EQ(load.records.records[3].DateTime, EncodeTime(10, 15, 30, 0));
  // The date-time field is converted whole, not cut to 200 bytes.
  EXPECT_EQ(load.records.records[4].DateTime, test::At(2013, 11, 25, 10, 0, 3));
}

TEST(LoadAlarmLog, NulByteEndsTheJournal) {
  using namespace std::string_literals;
  test::RecordingObserver observer;
  const AlarmLoad load = Load("alarm_nul.alarms",
                              kTitle + "\r\n25.11.2013 10:00:00\tG\r\n25.11.2013 11:00:00\tH\0junk\r\nnot a date\r\n"s,
                              observer);
  EXPECT_EQ(observer.started, std::vector<size_t>{3});
  ASSERT_EQ(load.records.size(), 2u);
  EXPECT_EQ(Fields(load, 1)[0], "H");
}

TEST(LoadAlarmLog, LongTextsKeepTheirFirst200Bytes) {
  const std::string head(200, 'g');
  const std::string longMessage = std::string(199, 'm') + W("ЖЖЖЖЖЖЖЖЖЖ");
  const std::string bytes = kTitle + "\r\n" + Tabbed({"25.11.2013 10:00:00", head + std::string(50, 'x'), "D", "N", "P",
                                                      longMessage, std::string(250, 'r')}) +
                            "\r\n" + Tabbed({"25.11.2013 10:00:01", head + std::string(50, 'y'), "D", "N", "P", "M"}) +
                            "\r\n";
  const AlarmLoad load = Load("alarm_long.alarms", bytes);
  ASSERT_EQ(load.records.size(), 2u);
  EXPECT_EQ(Fields(load, 0), (Texts{head, "D", "N", "P", longMessage.substr(0, 200), std::string(200, 'r')}));
  EXPECT_EQ(Fields(load, 1)[0], head);
  EXPECT_EQ(test::Strings(load.lists.groups), (Texts{Cp1251Literals().allGroups, head}));
}

TEST(LoadAlarmLog, FilterListsHoldDistinctValuesInOrderOfFirstOccurrence) {
  const Literals& words = Cp1251Literals();
  // Group, detail, node, board or port after the date-time; an empty field can only end a line.
  const Texts tails{"B\tD\tn",
                    "A\tD\tn\tp",
                    "B\tD\tn\tp",
                    Tabbed({words.allGroups, "D", words.allNodes, words.allPorts}),
                    "",
                    Tabbed({"a", "D", words.allGroups, "P"}),
                    "A\tD\tN\tp",
                    "A \tD\tn",
                    "B\tD\tn\t"};
  std::string bytes = kTitle + "\r\n";
  for (const std::string& tail : tails) bytes += "25.11.2013 10:00:00\t" + tail + "\r\n";
  const AlarmLoad load = Load("alarm_lists.alarms", bytes);
  ASSERT_EQ(load.records.size(), tails.size());

  EXPECT_EQ(test::Strings(load.lists.groups), (Texts{words.allGroups, "B", "A", "", "a", "A "}));
  EXPECT_EQ(test::Strings(load.lists.nodes), (Texts{words.allNodes, "n", "", words.allGroups, "N"}));
  EXPECT_EQ(test::Strings(load.lists.ports), (Texts{words.allPorts, "", "p", "P"}));

  std::vector<std::string_view> g, n, p;
  for (const AlarmRecord& r : load.records.records) {
    g.push_back(load.records.Text(r.GroupName));
    n.push_back(load.records.Text(r.NodeName));
    p.push_back(load.records.Text(r.BoardPort));
  }
  EXPECT_EQ(test::Strings(load.lists.groups), test::ListByContainsString(words.allGroups, g));
  EXPECT_EQ(test::Strings(load.lists.nodes), test::ListByContainsString(words.allNodes, n));
  EXPECT_EQ(test::Strings(load.lists.ports), test::ListByContainsString(words.allPorts, p));
}

TEST(LoadAlarmLog, ReportsProgressForTheFirstEvery1024thAndTheLastRecord) {
  std::string bytes = kTitle + "\n";
  for (int i = 0; i < 2050; ++i) bytes += "25.11.2013 10:00:00\tG\tD\tN\tP\tM\n";
  test::RecordingObserver observer;
  const AlarmLoad load = Load("alarm_progress.alarms", bytes, observer);
  EXPECT_EQ(load.records.size(), 2050u);
  EXPECT_EQ(observer.started, std::vector<size_t>{2051});
  EXPECT_EQ(observer.progress, (test::ProgressList{{1, 2050}, {1024, 2050}, {2048, 2050}, {2050, 2050}}));
}

}  // namespace
}  // namespace vantorel
