#include "views/ActionFilter.h"

#include <gtest/gtest.h>

#include "support/CoreTestSupport.h"
#include "support/TestFiles.h"
#include "views/CellTexts.h"

namespace vantorel {
namespace {

using Rows = std::vector<uint32_t>;

ActionLoad LoadJournal() {
  const std::string bytes =
      "User\tTime\tObject\tParameter\tValue\tAction\r\n"
      "Ivanov\t25.11.2013 10:00:00\to\tp\tv\tStart\r\n"
      "ivanov\t25.11.2013 11:00:00\to\tp\tv\tStop\r\n"
      "Ivanov\t26.11.2013 10:00:00\to\tp\tv\tStop\r\n"
      "\t26.11.2013 12:00:00.500\to\tp\tv\tStart\r\n"
      "Petrov\t27.11.2013 23:59:59.500\to\tp\tv\tStart\r\n";
  SilentLoad silent;
  return LoadActionLog(test::WriteScratchFile("filter_actions.action", bytes), test::JournalRules(), silent);
}

Rows Select(const ActionRecords& records, const ActionFilters& filters) {
  Rows rows{99};
  SelectActionRows(records, filters, rows);
  return rows;
}

ActionFilters Window(TDateTime start, TDateTime end) {
  ActionFilters filters;
  filters.time = {start, end};
  return filters;
}

TEST(SelectActionRows, TimeWindow) {
  const ActionLoad load = LoadJournal();
  ASSERT_EQ(load.records.size(), 5u);
  const TDateTime ten = EncodeTime(10, 0, 0, 0), eleven = EncodeTime(11, 0, 0, 0);
  EXPECT_EQ(Select(load.records, Window(ten, eleven)), (Rows{0, 1, 2}));
  EXPECT_EQ(Select(load.records, Window(ten + 0.9 * kOneMillisecond, eleven - 0.9 * kOneMillisecond)), (Rows{0, 1, 2}));
  EXPECT_EQ(Select(load.records, Window(ten, EncodeTime(10, 59, 59, 0))), (Rows{0, 2}));
  EXPECT_EQ(Select(load.records, Window(ten, ten)), (Rows{0, 2}));
  // Half a second after the end is out.
  EXPECT_EQ(Select(load.records, Window(eleven, EncodeTime(12, 0, 0, 0))), (Rows{1}));
  EXPECT_EQ(Select(load.records, ActionFilters{}), (Rows{0, 1, 2, 3}));
  EXPECT_EQ(Select(load.records, Window(EncodeTime(22, 0, 0, 0), EncodeTime(2, 0, 0, 0))), Rows{});
}

TEST(SelectActionRows, UserAndActionFilters) {
  const ActionLoad load = LoadJournal();
  const ActionLists& lists = load.lists;
  ActionFilters filters = Window(0, EncodeTime(23, 59, 59, 999));
  EXPECT_EQ(Select(load.records, filters), (Rows{0, 1, 2, 3, 4}));

  filters.user = test::Pick(lists.users, "Ivanov");
  EXPECT_EQ(Select(load.records, filters), (Rows{0, 2}));
  filters.action = test::Pick(lists.actions, "Stop");
  EXPECT_EQ(Select(load.records, filters), (Rows{2}));
  filters.user = test::Pick(lists.users, "ivanov");
  EXPECT_EQ(Select(load.records, filters), (Rows{1}));
  filters.user = ValueFilter::Select(0, lists.users);
  EXPECT_EQ(Select(load.records, filters), (Rows{1, 2}));

  filters.action = {};
  filters.user = ValueFilter::Select(-1, lists.users);
  EXPECT_EQ(Select(load.records, filters), (Rows{3}));
}

TEST(ActionTable, UserTimeOfDayThenTheStoredTexts) {
  const ActionLoad load = LoadJournal();
  const RegionalSettings settings = test::JournalRules().regional;
  const ActionTable table(load.records, settings);
  EXPECT_EQ(table.ColumnCount(), 6);
  EXPECT_EQ(table.RecordCount(), 5u);
  std::string scratch;
  const std::vector<std::string> row2{"Ivanov", "10:00:00", "o", "p", "v", "Stop"};
  for (int column = 0; column < 6; ++column) EXPECT_EQ(table.CellText(2, column, scratch), row2[column]);
  EXPECT_EQ(table.CellText(3, 0, scratch), "");
  EXPECT_EQ(table.CellText(3, 1, scratch), "12:00:00");
}

}  // namespace
}  // namespace vantorel
