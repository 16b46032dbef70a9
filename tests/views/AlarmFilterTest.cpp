#include "views/AlarmFilter.h"

#include <gtest/gtest.h>

#include "support/CoreTestSupport.h"
#include "support/TestFiles.h"
#include "views/CellTexts.h"

namespace vantorel {
namespace {

using test::W;
using Rows = std::vector<uint32_t>;

// Records 0 and 2 share their time of day on different days; 3 and 6 carry look-alikes of
// an unimportant message; 5 is a short line with empty node and port.
AlarmLoad LoadJournal() {
  const std::string bytes =
      W("Время\tГруппа\tКласс\tУзел\tПлата/Порт\tСообщение\tПодробности\r\n"
        "25.11.2013 10:00:00\tG1\tc\tN1\tP1\tНорма\tx\r\n"
        "25.11.2013 12:00:00\tG1\tc\tN2\tP2\tПереход на резерв\r\n"
        "26.11.2013 10:00:00\tG2\tc\tN1\tP1\tАвария\r\n"
        "26.11.2013 23:59:59\tG2\tc\tN2\tP1\tПереход на резерв \r\n"
        "27.11.2013 23:59:59.500\tG1\tc\tN1\tP2\tРассхождение в системном времени\r\n"
        "27.11.2013 00:00:00\tG3\r\n"
        "27.11.2013 09:59:59\tG2\tc\tN1\tP2\tпереход на резерв\r\n");
  SilentLoad silent;
  return LoadAlarmLog(test::WriteScratchFile("filter_alarms.alarms", bytes), test::JournalRules(), silent);
}

Rows Select(const AlarmRecords& records, const AlarmFilters& filters) {
  Rows rows{99, 98};  // whatever the rows held before is replaced
  SelectAlarmRows(records, filters, rows);
  return rows;
}

AlarmFilters ShowAll(TDateTime start, TDateTime end) {
  AlarmFilters filters;
  filters.time = {start, end};
  filters.showUnimportant = true;
  return filters;
}

TEST(SelectAlarmRows, TimeWindowIsInclusiveWithinAMillisecond) {
  const AlarmLoad load = LoadJournal();
  ASSERT_EQ(load.records.size(), 7u);
  const TDateTime ten = EncodeTime(10, 0, 0, 0), noon = EncodeTime(12, 0, 0, 0);
  EXPECT_EQ(Select(load.records, ShowAll(ten, noon)), (Rows{0, 1, 2}));
  EXPECT_EQ(Select(load.records, ShowAll(ten + 0.9 * kOneMillisecond, noon - 0.9 * kOneMillisecond)), (Rows{0, 1, 2}));
  EXPECT_EQ(Select(load.records, ShowAll(EncodeTime(10, 0, 1, 0), noon)), (Rows{1}));
  EXPECT_EQ(Select(load.records, ShowAll(ten, EncodeTime(11, 59, 59, 0))), (Rows{0, 2}));
  EXPECT_EQ(Select(load.records, ShowAll(ten, ten)), (Rows{0, 2}));
  // The bounds' own days play no part.
  EXPECT_EQ(Select(load.records, ShowAll(41000 + ten, 3 + noon)), (Rows{0, 1, 2}));
}

TEST(SelectAlarmRows, DefaultWindowAndNoWrapPastMidnight) {
  const AlarmLoad load = LoadJournal();
  AlarmFilters filters;
  filters.showUnimportant = true;
  // 00:00:00 to 23:59:59: the record at 23:59:59 and a half is out.
  EXPECT_EQ(Select(load.records, filters), (Rows{0, 1, 2, 3, 5, 6}));
  EXPECT_EQ(Select(load.records, ShowAll(EncodeTime(22, 0, 0, 0), EncodeTime(2, 0, 0, 0))), Rows{});
}

TEST(SelectAlarmRows, ValueFiltersAloneAndCombined) {
  const AlarmLoad load = LoadJournal();
  const AlarmLists& lists = load.lists;
  AlarmFilters filters = ShowAll(0, EncodeTime(23, 59, 59, 999));

  filters.node = test::Pick(lists.nodes, "N1");
  EXPECT_EQ(Select(load.records, filters), (Rows{0, 2, 4, 6}));
  filters.group = test::Pick(lists.groups, "G2");
  EXPECT_EQ(Select(load.records, filters), (Rows{2, 6}));
  filters.port = test::Pick(lists.ports, "P2");
  EXPECT_EQ(Select(load.records, filters), (Rows{6}));

  // With no item selected only empty values pass; so with an index past the list.
  filters = ShowAll(0, EncodeTime(23, 59, 59, 999));
  filters.node = ValueFilter::Select(-1, lists.nodes);
  EXPECT_EQ(Select(load.records, filters), (Rows{5}));
  filters.node = ValueFilter::Select(static_cast<int>(lists.nodes.size()), lists.nodes);
  EXPECT_EQ(Select(load.records, filters), (Rows{5}));
  filters.node = ValueFilter::Select(0, lists.nodes);
  EXPECT_EQ(Select(load.records, filters).size(), 7u);
}

TEST(SelectAlarmRows, UnimportantAlarmsHiddenUnlessShown) {
  const AlarmLoad load = LoadJournal();
  AlarmFilters filters = ShowAll(0, EncodeTime(23, 59, 59, 999));
  filters.showUnimportant = false;
  // A trailing blank or another letter case is not the unimportant message.
  EXPECT_EQ(Select(load.records, filters), (Rows{0, 2, 3, 5, 6}));
  filters.showUnimportant = true;
  EXPECT_EQ(Select(load.records, filters), (Rows{0, 1, 2, 3, 4, 5, 6}));
}

TEST(AlarmTable, TimeOfDayThenTheStoredTexts) {
  const AlarmLoad load = LoadJournal();
  const RegionalSettings settings = test::JournalRules().regional;
  const AlarmTable table(load.records, settings);
  EXPECT_EQ(table.ColumnCount(), 7);
  EXPECT_EQ(table.RecordCount(), 7u);
  std::string scratch;
  EXPECT_EQ(table.CellText(2, 0, scratch), "10:00:00");
  EXPECT_EQ(table.CellText(4, 0, scratch), "23:59:59");
  EXPECT_EQ(table.CellText(5, 0, scratch), "00:00:00");
  const std::vector<std::string> row0{"G1", "c", "N1", "P1", W("Норма"), "x"};
  for (int column = 1; column < 7; ++column) EXPECT_EQ(table.CellText(0, column, scratch), row0[column - 1]);
  EXPECT_EQ(table.CellText(3, 5, scratch), W("Переход на резерв "));
  EXPECT_EQ(table.CellText(5, 3, scratch), "");
}

}  // namespace
}  // namespace vantorel
