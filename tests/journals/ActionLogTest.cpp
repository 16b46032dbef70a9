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

const std::string kTitle = W("Пользователь\tВремя\tОбъект\tПараметр\tЗначение\tДействие");

// The action lists, in the kind's order.
constexpr int kUsers = 0, kActions = 1;

Journal Load(const std::string& bytes, test::RecordingObserver& observer) {
  return test::Parse(JournalKind::Action, bytes, &observer);
}

Journal Load(const std::string& bytes) { return test::Parse(JournalKind::Action, bytes); }

TEST(LoadActionLog, ReadsTitlesRecordsAndProgress) {
  const std::string bytes = kTitle + "\r\n" +
                            Tabbed({W("Иванов"), "25.11.2013 10:15:30", W("Узел 1"), "speed", "100",
                                    W("Изменение параметра")}) +
                            "\r\n" + Tabbed({"admin", "25.11.2013 10:16:00", "a", "b", "c", W("Вход")}) + "\n" +
                            Tabbed({W("Иванов"), "26.11.2013 08:00:00.5", "", "", "", ""}) + "\r\n";
  test::RecordingObserver observer;
  const Journal load = Load(bytes, observer);

  EXPECT_EQ(observer.titles, (Texts{W("Пользователь"), W("Время"), W("Объект"), W("Параметр"), W("Значение"),
                                    W("Действие")}));
  EXPECT_EQ(load.progressMax, 4u);
  EXPECT_EQ(observer.started, std::vector<size_t>{4});
  EXPECT_EQ(observer.progress, (test::ProgressList{{1, 3}, {3, 3}}));

  ASSERT_EQ(load.size(), 3u);
  EXPECT_EQ(load.records.times[0], test::At(2013, 11, 25, 10, 15, 30));
  EXPECT_EQ(load.records.times[2], test::At(2013, 11, 26, 8, 0, 0, 5));
  EXPECT_EQ(test::Fields(load, 0), (Texts{W("Иванов"), W("Узел 1"), "speed", "100", W("Изменение параметра")}));
  EXPECT_EQ(test::Fields(load, 1), (Texts{"admin", "a", "b", "c", W("Вход")}));
  // The run of tabs behind the date-time swallows the empty fields.
  EXPECT_EQ(test::Fields(load, 2), (Texts{W("Иванов"), "", "", "", ""}));

  const Literals& words = Cp1251Literals();
  EXPECT_EQ(test::Strings(load.List(kUsers)), (Texts{words.allUsers, W("Иванов"), "admin"}));
  EXPECT_EQ(test::Strings(load.List(kActions)), (Texts{words.allActions, W("Изменение параметра"), W("Вход"), ""}));
}

TEST(LoadActionLog, EmptyFileOrTitleOnlyGivesNoRecords) {
  const Literals& words = Cp1251Literals();
  for (const std::string bytes : {"", "T1\tT2\r\n"}) {
    test::RecordingObserver observer;
    const Journal load = Load(bytes, observer);
    EXPECT_TRUE(load.empty());
    EXPECT_TRUE(observer.progress.empty());
    EXPECT_EQ(observer.started, std::vector<size_t>{bytes.empty() ? 0u : 1u});
    EXPECT_EQ(test::Strings(load.List(kUsers)), Texts{words.allUsers});
    EXPECT_EQ(test::Strings(load.List(kActions)), Texts{words.allActions});
  }
}

TEST(LoadActionLog, CutsFieldsAtRunsOfTabs) {
  const std::string longField(300, 'z');
  const std::string bytes = kTitle + "\n" +
                            "\t25.11.2013 10:00:00\tA\tB\n"               // leading tab: empty user
                            "u\t25.11.2013 10:00:01\tA\t\tB\n"             // two tabs are one separator
                            "u\t25.11.2013 10:00:02\t3\t4\t5\t6\t7\t\t8\n"  // action keeps the rest
                            "u\t25.11.2013 10:00:03\t" + longField + "\t4\t5\t" + longField + "\n";
  const Journal load = Load(bytes);
  ASSERT_EQ(load.size(), 4u);
  EXPECT_EQ(test::Fields(load, 0), (Texts{"", "A", "B", "", ""}));
  EXPECT_EQ(load.records.times[0], test::At(2013, 11, 25, 10, 0, 0));
  EXPECT_EQ(test::Fields(load, 1), (Texts{"u", "A", "B", "", ""}));
  EXPECT_EQ(test::Fields(load, 2), (Texts{"u", "3", "4", "5", "6\t7\t\t8"}));
  EXPECT_EQ(test::Fields(load, 3), (Texts{"u", longField, "4", "5", longField}));
}

TEST(LoadActionLog, ReadsRecordLinesAsTextLines) {
  const std::string bytes = kTitle + "\r\n" +
                            "u\t25.11.2013 10:00:00\tA\tB\tC\tab\rcd\r\n"  // a lone CR is dropped
                            "v\t25.11.2013\r 11:00:00\tA\tB\tC\tD\n"       // ... inside the date-time too
                            "w\t25.11.2013 12:00:00\tlast\x1A"
                            "\nnot a record\n";
  test::RecordingObserver observer;
  const Journal load = Load(bytes, observer);
  ASSERT_EQ(load.size(), 3u);
  EXPECT_EQ(test::Fields(load, 0), (Texts{"u", "A", "B", "C", "abcd"}));
  EXPECT_EQ(load.records.times[1], test::At(2013, 11, 25, 11, 0, 0));
  EXPECT_EQ(test::Fields(load, 2), (Texts{"w", "last", "", "", ""}));
  // The progress maximum counts whole-file lines; the last record is reported once.
  EXPECT_EQ(load.progressMax, 7u);
  EXPECT_EQ(observer.progress, (test::ProgressList{{1, 6}, {3, 6}}));

  // A last line without a line end, and a single record that is both first and last.
  test::RecordingObserver single;
  const Journal one = Load(kTitle + "\nu\t25.11.2013 10:00:00\tA\tB\tC\tx\ry", single);
  ASSERT_EQ(one.size(), 1u);
  EXPECT_EQ(test::Fields(one, 0).back(), "xy");
  EXPECT_EQ(single.progress.size(), 1u);
}

TEST(LoadActionLog, BadDateTimeEndsTheLoad) {
  const std::string good = "u\t25.11.2013 10:00:00\tA\tB\tC\tD\r\n";
  EXPECT_EQ(test::ErrorOf([&] { Load(kTitle + "\r\n" + good + "\r\n" + good); }),
            "'' is not a valid date and time");
  EXPECT_EQ(test::ErrorOf([&] { Load(kTitle + "\r\n" + good + "\r\n"); }),
            "'' is not a valid date and time");
  EXPECT_EQ(test::ErrorOf([&] { Load(kTitle + "\r\n" + good + "25.11.2013 10:00:00\r\n"); }),
            "'' is not a valid date and time");
  EXPECT_EQ(test::ErrorOf([&] { Load(kTitle + "\n" + good + "u\t31.02.2013 10:00:00\tA\n"); }),
            "'31.02.2013 10:00:00' is not a valid date and time");
  LoadOptions options;
  options.rules = test::JournalRules();
  const std::string missing = test::MissingScratchPath("action_missing.action");
  EXPECT_EQ(test::ErrorOf([&] { LoadActionLog(missing, options); }), "File not found");
}

TEST(LoadActionLog, FilterListsHoldDistinctValuesInOrderOfFirstOccurrence) {
  const Literals& words = Cp1251Literals();
  const Texts users{"Ivanov", "ivanov", "Ivanov", words.allUsers, "", "IVANOV", "Ivanov "};
  const Texts actions{"Start", "Stop", "Start", "", words.allActions, "Start", words.allUsers};
  std::string bytes = kTitle + "\r\n";
  for (size_t i = 0; i < users.size(); ++i) {
    bytes += (users[i].empty() ? "" : users[i]) + "\t25.11.2013 10:00:00\t1\t2\t3\t" + actions[i] + "\r\n";
  }
  const Journal load = Load(bytes);
  ASSERT_EQ(load.size(), users.size());
  EXPECT_EQ(test::Strings(load.List(kUsers)), (Texts{words.allUsers, "Ivanov", "ivanov", "", "IVANOV", "Ivanov "}));
  EXPECT_EQ(test::Strings(load.List(kActions)), (Texts{words.allActions, "Start", "Stop", "", words.allUsers}));
  EXPECT_EQ(test::Strings(load.List(kUsers)), test::ListByContainsString(words.allUsers, test::Column(load, 0)));
  EXPECT_EQ(test::Strings(load.List(kActions)), test::ListByContainsString(words.allActions, test::Column(load, 5)));
  // Each record's item is the list entry of its own field, even where the value equals an
  // all-values text.
  for (size_t i = 0; i < load.size(); ++i) {
    EXPECT_EQ(load.List(kUsers)[load.records.items[kUsers][i]], users[i]) << i;
    EXPECT_EQ(load.List(kActions)[load.records.items[kActions][i]], actions[i]) << i;
  }
}

}  // namespace
}  // namespace vantorel
