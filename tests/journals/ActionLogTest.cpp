#include "journals/ActionLog.h"

#include <gtest/gtest.h>

#include "support/CoreTestSupport.h"
#include "support/TestFiles.h"
#include "uStrUtils/Literals.h"

namespace vantorel {
namespace {

using test::Tabbed;
using test::W;
using Texts = std::vector<std::string>;

const std::string kTitle = W("Пользователь\tВремя\tОбъект\tПараметр\tЗначение\tДействие");

ActionLoad Load(const std::string& name, const std::string& bytes, test::RecordingObserver& observer) {
  return LoadActionLog(test::WriteScratchFile(name, bytes), test::JournalRules(), observer);
}

ActionLoad Load(const std::string& name, const std::string& bytes) {
  test::RecordingObserver observer;
  return Load(name, bytes, observer);
}

Texts Fields(const ActionLoad& load, size_t i) {
  const ActionRecords& r = load.records;
  const ActLine& a = r.records.at(i);
  return {std::string(r.Text(a.User)), std::string(r.Text(a.Detail1)), std::string(r.Text(a.Detail2)),
          std::string(r.Text(a.Detail3)), std::string(r.Text(a.Action))};
}

TEST(LoadActionLog, ReadsTitlesRecordsAndProgress) {
  const std::string bytes = kTitle + "\r\n" +
                            Tabbed({W("Иванов"), "25.11.2013 10:15:30", W("Узел 1"), "speed", "100",
                                    W("Изменение параметра")}) +
                            "\r\n" + Tabbed({"admin", "25.11.2013 10:16:00", "a", "b", "c", W("Вход")}) + "\n" +
                            Tabbed({W("Иванов"), "26.11.2013 08:00:00.5", "", "", "", ""}) + "\r\n";
  test::RecordingObserver observer;
  const ActionLoad load = Load("action_basic.action", bytes, observer);

  EXPECT_EQ(observer.titles, (Texts{W("Пользователь"), W("Время"), W("Объект"), W("Параметр"), W("Значение"),
                                    W("Действие")}));
  EXPECT_EQ(load.progressMax, 4u);
  EXPECT_EQ(observer.started, std::vector<size_t>{4});
  EXPECT_EQ(observer.progress, (test::ProgressList{{1, 3}, {3, 3}}));

  ASSERT_EQ(load.records.size(), 3u);
  EXPECT_EQ(load.records.records[0].DateTime, test::At(2013, 11, 25, 10, 15, 30));
  EXPECT_EQ(load.records.records[2].DateTime, test::At(2013, 11, 26, 8, 0, 0, 5));
  EXPECT_EQ(Fields(load, 0), (Texts{W("Иванов"), W("Узел 1"), "speed", "100", W("Изменение параметра")}));
  EXPECT_EQ(Fields(load, 1), (Texts{"admin", "a", "b", "c", W("Вход")}));
  // The run of tabs behind the date-time swallows the empty fields.
  EXPECT_EQ(Fields(load, 2), (Texts{W("Иванов"), "", "", "", ""}));

  const Literals& words = Cp1251Literals();
  EXPECT_EQ(test::Strings(load.lists.users), (Texts{words.allUsers, W("Иванов"), "admin"}));
  EXPECT_EQ(test::Strings(load.lists.actions), (Texts{words.allActions, W("Изменение параметра"), W("Вход"), ""}));
}

TEST(LoadActionLog, EmptyFileOrTitleOnlyGivesNoRecords) {
  const Literals& words = Cp1251Literals();
  for (const std::string bytes : {"", "T1\tT2\r\n"}) {
    test::RecordingObserver observer;
    const ActionLoad load = Load("action_no_records.action", bytes, observer);
    EXPECT_TRUE(load.records.empty());
    EXPECT_TRUE(observer.progress.empty());
    EXPECT_EQ(observer.started, std::vector<size_t>{bytes.empty() ? 0u : 1u});
    EXPECT_EQ(test::Strings(load.lists.users), Texts{words.allUsers});
    EXPECT_EQ(test::Strings(load.lists.actions), Texts{words.allActions});
  }
}

TEST(LoadActionLog, CutsFieldsAtRunsOfTabs) {
  const std::string longField(300, 'z');
  const std::string bytes = kTitle + "\n" +
                            "\t25.11.2013 10:00:00\tA\tB\n"               // leading tab: empty user
                            "u\t25.11.2013 10:00:01\tA\t\tB\n"             // two tabs are one separator
                            "u\t25.11.2013 10:00:02\t3\t4\t5\t6\t7\t\t8\n"  // action keeps the rest
                            "u\t25.11.2013 10:00:03\t" + longField + "\t4\t5\t" + longField + "\n";
  const ActionLoad load = Load("action_fields.action", bytes);
  ASSERT_EQ(load.records.size(), 4u);
  EXPECT_EQ(Fields(load, 0), (Texts{"", "A", "B", "", ""}));
  EXPECT_EQ(load.records.records[0].DateTime, test::At(2013, 11, 25, 10, 0, 0));
  EXPECT_EQ(Fields(load, 1), (Texts{"u", "A", "B", "", ""}));
  EXPECT_EQ(Fields(load, 2), (Texts{"u", "3", "4", "5", "6\t7\t\t8"}));
  EXPECT_EQ(Fields(load, 3), (Texts{"u", longField, "4", "5", longField}));
}

TEST(LoadActionLog, ReadsRecordLinesAsTextLines) {
  const std::string bytes = kTitle + "\r\n" +
                            "u\t25.11.2013 10:00:00\tA\tB\tC\tab\rcd\r\n"  // a lone CR is dropped
                            "v\t25.11.2013\r 11:00:00\tA\tB\tC\tD\n"       // ... inside the date-time too
                            "w\t25.11.2013 12:00:00\tlast\x1A"
                            "\nnot a record\n";
  test::RecordingObserver observer;
  const ActionLoad load = Load("action_text_lines.action", bytes, observer);
  ASSERT_EQ(load.records.size(), 3u);
  EXPECT_EQ(Fields(load, 0), (Texts{"u", "A", "B", "C", "abcd"}));
  EXPECT_EQ(load.records.records[1].DateTime, test::At(2013, 11, 25, 11, 0, 0));
  EXPECT_EQ(Fields(load, 2), (Texts{"w", "last", "", "", ""}));
  // The progress maximum counts whole-file lines; the last record is reported once.
  EXPECT_EQ(load.progressMax, 7u);
  EXPECT_EQ(observer.progress, (test::ProgressList{{1, 6}, {3, 6}}));

  // A last line without a line end, and a single record that is both first and last.
  test::RecordingObserver single;
  const ActionLoad one = Load("action_no_line_end.action", kTitle + "\nu\t25.11.2013 10:00:00\tA\tB\tC\tx\ry", single);
  ASSERT_EQ(one.records.size(), 1u);
  EXPECT_EQ(Fields(one, 0).back(), "xy");
  EXPECT_EQ(single.progress.size(), 1u);
}

TEST(LoadActionLog, BadDateTimeEndsTheLoad) {
  const std::string good = "u\t25.11.2013 10:00:00\tA\tB\tC\tD\r\n";
  EXPECT_EQ(test::ErrorOf([&] { Load("action_blank_inside.action", kTitle + "\r\n" + good + "\r\n" + good); }),
            "'' is not a valid date and time");
  EXPECT_EQ(test::ErrorOf([&] { Load("action_blank_end.action", kTitle + "\r\n" + good + "\r\n"); }),
            "'' is not a valid date and time");
  EXPECT_EQ(test::ErrorOf([&] { Load("action_no_tab.action", kTitle + "\r\n" + good + "25.11.2013 10:00:00\r\n"); }),
            "'' is not a valid date and time");
  EXPECT_EQ(test::ErrorOf([&] { Load("action_bad_date.action", kTitle + "\n" + good + "u\t31.02.2013 10:00:00\tA\n"); }),
            "'31.02.2013 10:00:00' is not a valid date and time");
  const std::string missing = test::MissingScratchPath("action_missing.action");
  test::RecordingObserver none;
  EXPECT_EQ(test::ErrorOf([&] { LoadActionLog(missing, test::JournalRules(), none); }), "File not found");
}

TEST(LoadActionLog, FilterListsHoldDistinctValuesInOrderOfFirstOccurrence) {
  const Literals& words = Cp1251Literals();
  const Texts users{"Ivanov", "ivanov", "Ivanov", words.allUsers, "", "IVANOV", "Ivanov "};
  const Texts actions{"Start", "Stop", "Start", "", words.allActions, "Start", words.allUsers};
  std::string bytes = kTitle + "\r\n";
  for (size_t i = 0; i < users.size(); ++i) {
    bytes += (users[i].empty() ? "" : users[i]) + "\t25.11.2013 10:00:00\t1\t2\t3\t" + actions[i] + "\r\n";
  }
  const ActionLoad load = Load("action_lists.action", bytes);
  ASSERT_EQ(load.records.size(), users.size());
  EXPECT_EQ(test::Strings(load.lists.users), (Texts{words.allUsers, "Ivanov", "ivanov", "", "IVANOV", "Ivanov "}));
  EXPECT_EQ(test::Strings(load.lists.actions), (Texts{words.allActions, "Start", "Stop", "", words.allUsers}));

  std::vector<std::string_view> u, a;
  for (const ActLine& r : load.records.records) {
    u.push_back(load.records.Text(r.User));
    a.push_back(load.records.Text(r.Action));
  }
  EXPECT_EQ(test::Strings(load.lists.users), test::ListByContainsString(words.allUsers, u));
  EXPECT_EQ(test::Strings(load.lists.actions), test::ListByContainsString(words.allActions, a));
}

}  // namespace
}  // namespace vantorel
