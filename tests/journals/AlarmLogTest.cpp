#include <gtest/gtest.h>

#include "journals/JournalLoad.h"
#include "support/CoreTestSupport.h"
#include "support/TestFiles.h"
#include "uStrUtils/Literals.h"

namespace vantorel {
namespace {

using test::Tabbed;
using test::W;
using Texts = std::vector<std::string>;

// The alarm lists, in the kind's order.
constexpr int kGroups = 0, kNodes = 1, kPorts = 2;

const std::string kTitle = W("Время\tГруппа\tКласс\tУзел\tПлата/Порт\tСообщение\tПодробности");

Journal Load(const std::string& bytes, test::RecordingObserver& observer) {
  return test::Parse(JournalKind::Alarms, bytes, &observer);
}

Journal Load(const std::string& bytes) { return test::Parse(JournalKind::Alarms, bytes); }

TEST(LoadAlarmLog, ReadsTitlesRecordsAndProgress) {
  const std::string bytes = kTitle + "\r\n" +
                            Tabbed({"25.11.2013 10:15:30", W("Группа 1"), "A", W("Узел 1"), W("Плата 3"),
                                    W("Норма"), W("обрыв")}) +
                            "\r" +  // a lone CR ends a record line too
                            Tabbed({"26.11.2013 23:59:59.250", W("Группа 2"), "B", W("Узел 2"), W("Порт 7"),
                                    W("Переход на резерв"), ""}) +
                            "\n";
  test::RecordingObserver observer;
  const Journal journal = Load(bytes, observer);

  EXPECT_EQ(observer.titles, (Texts{W("Время"), W("Группа"), W("Класс"), W("Узел"), W("Плата/Порт"),
                                    W("Сообщение"), W("Подробности")}));
  EXPECT_EQ(journal.titles, observer.titles);
  EXPECT_EQ(observer.started, std::vector<size_t>{3});
  EXPECT_EQ(journal.progressMax, 3u);
  EXPECT_EQ(observer.progress, (test::ProgressList{{1, 2}, {2, 2}}));

  ASSERT_EQ(journal.size(), 2u);
  EXPECT_EQ(journal.records.times[0], test::At(2013, 11, 25, 10, 15, 30));
  EXPECT_EQ(journal.records.times[1], test::At(2013, 11, 26, 23, 59, 59, 250));
  EXPECT_EQ(test::Fields(journal, 0), (Texts{W("Группа 1"), "A", W("Узел 1"), W("Плата 3"), W("Норма"), W("обрыв")}));
  EXPECT_EQ(test::Fields(journal, 1),
            (Texts{W("Группа 2"), "B", W("Узел 2"), W("Порт 7"), W("Переход на резерв"), ""}));
  EXPECT_EQ(journal.records.tones[0], TextTone::Green);
  EXPECT_EQ(journal.records.tones[1], TextTone::Olive);

  const Literals& words = Cp1251Literals();
  EXPECT_EQ(test::Strings(journal.List(kGroups)), (Texts{words.allGroups, W("Группа 1"), W("Группа 2")}));
  EXPECT_EQ(test::Strings(journal.List(kNodes)), (Texts{words.allNodes, W("Узел 1"), W("Узел 2")}));
  EXPECT_EQ(test::Strings(journal.List(kPorts)), (Texts{words.allPorts, W("Плата 3"), W("Порт 7")}));
}

TEST(LoadAlarmLog, TitleLineOnlyGivesNoRecords) {
  const Literals& words = Cp1251Literals();
  for (const std::string bytes : {"T1\tT2\r\n", "T1\tT2"}) {
    test::RecordingObserver observer;
    const Journal journal = Load(bytes, observer);
    EXPECT_EQ(observer.titles, (Texts{"T1", "T2"}));
    EXPECT_EQ(observer.started, std::vector<size_t>{1});
    EXPECT_TRUE(observer.progress.empty());
    EXPECT_TRUE(journal.empty());
    EXPECT_EQ(test::Strings(journal.List(kGroups)), Texts{words.allGroups});
    EXPECT_EQ(test::Strings(journal.List(kNodes)), Texts{words.allNodes});
    EXPECT_EQ(test::Strings(journal.List(kPorts)), Texts{words.allPorts});
  }
}

TEST(LoadAlarmLog, FailuresEndTheLoadWithTheirMessage) {
  test::RecordingObserver empty;
  EXPECT_EQ(test::ErrorOf([&] { Load("", empty); }), "Range check error");
  EXPECT_TRUE(empty.titles.empty());
  EXPECT_TRUE(empty.progress.empty());

  const std::string good = "25.11.2013 10:00:00\tG\tD\tN\tP\tM\r\n";
  test::RecordingObserver badDate;
  EXPECT_EQ(test::ErrorOf([&] { Load(kTitle + "\r\n" + good + good + "31.02.2013 10:00:00\tG\r\n" + good, badDate); }),
            "'31.02.2013 10:00:00' is not a valid date and time");
  EXPECT_EQ(badDate.progress, (test::ProgressList{{1, 4}}));

  // One more line end after the last line adds an empty line; so does a blank line inside.
  EXPECT_EQ(test::ErrorOf([&] { Load(kTitle + "\r\n" + good + "\r\n"); }), "'' is not a valid date and time");
  EXPECT_EQ(test::ErrorOf([&] { Load(kTitle + "\n" + good + "\n" + good); }), "'' is not a valid date and time");
  EXPECT_EQ(test::ErrorOf([&] { Load(kTitle + "\n" + W("вчера\tG") + "\n"); }),
            "'" + W("вчера") + "' is not a valid date and time");

  LoadOptions options;
  options.rules = test::JournalRules();
  const std::string missing = test::MissingScratchPath("alarm_missing.alarms");
  EXPECT_EQ(test::ErrorOf([&] { LoadAlarmLog(missing, options); }), "File not found");
}

TEST(LoadAlarmLog, CutsFieldsAtRunsOfTabs) {
  const std::string bytes = kTitle + "\r\n" +
                            "25.11.2013 10:00:00\t1\t2\t3\t4\t5\t6\t7\t\t8\r\n"  // rest of the line with its tabs
                            "25.11.2013 10:00:01\tG\tD\t\tN5\tP6\tM7\r\n"      // empty field: later ones move left
                            "25.11.2013 10:00:02\tG\r\n"                        // short line
                            "10:15:30\tG\tD\tN\tP\tM\t\r\n"                     // time alone, trailing tab
                            + std::string(190, ' ') + "25.11.2013 10:00:03\tlong date field\r\n";
  const Journal journal = Load(bytes);
  ASSERT_EQ(journal.size(), 5u);
  EXPECT_EQ(test::Fields(journal, 0), (Texts{"1", "2", "3", "4", "5", "6\t7\t\t8"}));
  EXPECT_EQ(test::Fields(journal, 1), (Texts{"G", "D", "N5", "P6", "M7", ""}));
  EXPECT_EQ(test::Fields(journal, 2), (Texts{"G", "", "", "", "", ""}));
  EXPECT_EQ(test::Fields(journal, 3), (Texts{"G", "D", "N", "P", "M", ""}));
  EXPECT_EQ(journal.records.times[3], EncodeTime(10, 15, 30, 0));
  // The date-time field is converted whole, not cut to 200 bytes.
  EXPECT_EQ(journal.records.times[4], test::At(2013, 11, 25, 10, 0, 3));
}

TEST(LoadAlarmLog, NulByteEndsTheJournal) {
  using namespace std::string_literals;
  test::RecordingObserver observer;
  const Journal journal =
      Load(kTitle + "\r\n25.11.2013 10:00:00\tG\r\n25.11.2013 11:00:00\tH\0junk\r\nnot a date\r\n"s, observer);
  EXPECT_EQ(observer.started, std::vector<size_t>{3});
  ASSERT_EQ(journal.size(), 2u);
  EXPECT_EQ(test::Fields(journal, 1)[0], "H");
}

TEST(LoadAlarmLog, LongTextsKeepTheirFirst200BytesInTheRecordsAndEveryList) {
  const Literals& words = Cp1251Literals();
  const std::string head(200, 'g'), nodeHead(200, 'n'), portHead(200, 'p');
  const std::string longMessage = std::string(199, 'm') + W("ЖЖЖЖЖЖЖЖЖЖ");
  // Every listed field holds values of 250 bytes that differ only after byte 200, and one
  // of exactly 200 bytes.
  const std::string bytes =
      kTitle + "\r\n" +
      Tabbed({"25.11.2013 10:00:00", head + std::string(50, 'x'), "D", "N", "P", longMessage, std::string(250, 'r')}) +
      "\r\n" + Tabbed({"25.11.2013 10:00:01", head + std::string(50, 'y'), "D", "N", "P", "M"}) + "\r\n" +
      Tabbed({"25.11.2013 10:00:02", head + std::string(50, 'z'), "D", nodeHead + std::string(50, 'x'),
              portHead + std::string(50, 'x'), "M"}) +
      "\r\n" +
      Tabbed({"25.11.2013 10:00:03", head, "D", nodeHead + std::string(50, 'y'), portHead + std::string(50, 'y'), "M"}) +
      "\r\n";
  const Journal journal = Load(bytes);
  ASSERT_EQ(journal.size(), 4u);
  EXPECT_EQ(test::Fields(journal, 0), (Texts{head, "D", "N", "P", longMessage.substr(0, 200), std::string(200, 'r')}));
  EXPECT_EQ(test::Fields(journal, 1)[0], head);
  EXPECT_EQ(test::Fields(journal, 3), (Texts{head, "D", nodeHead, portHead, "M", ""}));

  EXPECT_EQ(test::Strings(journal.List(kGroups)), (Texts{words.allGroups, head}));
  EXPECT_EQ(test::Strings(journal.List(kNodes)), (Texts{words.allNodes, "N", nodeHead}));
  EXPECT_EQ(test::Strings(journal.List(kPorts)), (Texts{words.allPorts, "P", portHead}));
  for (int list : {kGroups, kNodes, kPorts}) {
    const auto& items = journal.records.items[static_cast<size_t>(list)];
    EXPECT_EQ(items[2], items[3]) << "list " << list;
    if (list == kGroups) {
      EXPECT_EQ(items[0], items[3]);
    }
  }
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
  const Journal journal = Load(bytes);
  ASSERT_EQ(journal.size(), tails.size());

  EXPECT_EQ(test::Strings(journal.List(kGroups)), (Texts{words.allGroups, "B", "A", "", "a", "A "}));
  EXPECT_EQ(test::Strings(journal.List(kNodes)), (Texts{words.allNodes, "n", "", words.allGroups, "N"}));
  EXPECT_EQ(test::Strings(journal.List(kPorts)), (Texts{words.allPorts, "", "p", "P"}));

  EXPECT_EQ(test::Strings(journal.List(kGroups)), test::ListByContainsString(words.allGroups, test::Column(journal, 1)));
  EXPECT_EQ(test::Strings(journal.List(kNodes)), test::ListByContainsString(words.allNodes, test::Column(journal, 3)));
  EXPECT_EQ(test::Strings(journal.List(kPorts)), test::ListByContainsString(words.allPorts, test::Column(journal, 4)));
  // Each record's item is the list entry of its own field, even where the value equals an
  // all-values text.
  for (int list : {kGroups, kNodes, kPorts}) {
    const std::vector<std::string> column = test::Column(journal, kAlarmKind.lists[list].field);
    for (size_t i = 0; i < journal.size(); ++i) {
      EXPECT_EQ(journal.List(list)[journal.records.items[static_cast<size_t>(list)][i]], column[i])
          << "list " << list << ", record " << i;
    }
  }
}

TEST(LoadAlarmLog, ReportsProgressForTheFirstEvery1024thAndTheLastRecord) {
  std::string bytes = kTitle + "\n";
  for (int i = 0; i < 2050; ++i) bytes += "25.11.2013 10:00:00\tG\tD\tN\tP\tM\n";
  test::RecordingObserver observer;
  const Journal journal = Load(bytes, observer);
  EXPECT_EQ(journal.size(), 2050u);
  EXPECT_EQ(observer.started, std::vector<size_t>{2051});
  EXPECT_EQ(observer.progress, (test::ProgressList{{1, 2050}, {1024, 2050}, {2048, 2050}, {2050, 2050}}));
}

}  // namespace
}  // namespace vantorel
