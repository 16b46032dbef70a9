#include "views/ParamFilter.h"

#include <gtest/gtest.h>

#include "support/CoreTestSupport.h"
#include "support/TestFiles.h"
#include "views/CellTexts.h"

namespace vantorel {
namespace {

using test::At;
using Rows = std::vector<uint32_t>;

const std::string kTitle = "Time\tGroup\tClass\tNode\tPort\tParameter\tOld\tNew\r\n";

ParamLoad LoadJournal(const std::string& name, const std::string& bytes) {
  SilentLoad silent;
  return LoadParamStatLog(test::WriteScratchFile(name, bytes), 0, test::JournalRules(), silent);
}

// Days 28 February to 4 March 2014, at times around a 10:00 to 12:00 window.
ParamLoad LoadDays() {
  std::string bytes = kTitle;
  for (const char* moment : {"28.02.2014 11:00:00", "01.03.2014 09:59:59", "01.03.2014 10:00:00",
                             "01.03.2014 23:59:59.500", "02.03.2014 13:00:00", "02.03.2014 11:00:00",
                             "03.03.2014 10:00:00", "03.03.2014 12:00:00", "03.03.2014 12:00:01",
                             "03.03.2014 23:59:59.500", "04.03.2014 11:00:00", "03.03.2014 09:00:00"}) {
    bytes += std::string(moment) + "\tG\tc\tN\tP\tPar\t1\t2\r\n";
  }
  return LoadJournal("filter_days.param", bytes);
}

// One record for each combination the value filters tell apart.
ParamLoad LoadValues() {
  return LoadJournal("filter_values.stat", kTitle +
                                               "02.03.2014 00:00:00\tG1\tc\tN1\tP1\tSpeed\t1\t2\r\n"
                                               "02.03.2014 00:00:00.500\tG1\tc\tN2\tP1\tspeed\t1\t2\r\n"
                                               "02.03.2014 10:15:30\tG2\tc\tN1\tP2\tSpeed\t1\t2\t3\r\n"
                                               "02.03.2014 00:00:01\tG2\r\n");
}

ParamFilters Range(TDateTime startDate, TDateTime endDate, TDateTime startTime, TDateTime endTime) {
  ParamFilters filters;
  filters.startDate = startDate;
  filters.endDate = endDate;
  filters.time = {startTime, endTime};
  return filters;
}

Rows SelectParam(const ParamRecords& records, const ParamFilters& filters) {
  Rows rows{99};
  SelectParamRows(records, filters, rows);
  return rows;
}

Rows SelectStat(const ParamRecords& records, const ParamFilters& filters) {
  Rows rows{99};
  SelectStatRows(records, filters, rows);
  return rows;
}

TEST(SelectParamRows, StartTimeOnEveryDayEndTimeOnTheEndDayOnly) {
  const ParamLoad load = LoadDays();
  ASSERT_EQ(load.records.size(), 12u);
  const TDateTime ten = EncodeTime(10, 0, 0, 0), noon = EncodeTime(12, 0, 0, 0);
  // Days 1 and 2 from 10:00 to midnight, day 3 from 10:00 to 12:00.
  const Rows expected{2, 3, 4, 5, 6, 7};
  EXPECT_EQ(SelectParam(load.records, Range(At(2014, 3, 1), At(2014, 3, 3), ten, noon)), expected);
  EXPECT_EQ(SelectParam(load.records, Range(At(2014, 3, 1), At(2014, 3, 3), ten + 0.9 * kOneMillisecond,
                                            noon - 0.9 * kOneMillisecond)),
            expected);
  // Only the days of the date bounds count.
  EXPECT_EQ(SelectParam(load.records, Range(At(2014, 3, 1, 23, 0, 0), At(2014, 3, 3, 5, 0, 0), ten, noon)), expected);
  EXPECT_EQ(SelectParam(load.records, Range(At(2014, 3, 1), At(2014, 3, 3), EncodeTime(10, 0, 1, 0), noon)),
            (Rows{3, 4, 5, 7}));

  // With the end at 23:59:59, half a second later is hidden on the end day only.
  EXPECT_EQ(SelectParam(load.records, Range(At(2014, 3, 1), At(2014, 3, 3), 0, EncodeTime(23, 59, 59, 0))),
            (Rows{1, 2, 3, 4, 5, 6, 7, 8, 11}));
  // A start time later than the end time keeps the earlier days from the start time on.
  EXPECT_EQ(SelectParam(load.records, Range(At(2014, 3, 1), At(2014, 3, 3), EncodeTime(13, 0, 0, 0), EncodeTime(2, 0, 0, 0))),
            (Rows{3, 4}));
  EXPECT_EQ(SelectParam(load.records, Range(At(2014, 3, 3), At(2014, 3, 1), 0, EncodeTime(23, 59, 59, 999))), Rows{});
  EXPECT_EQ(SelectParam(load.records, Range(At(2014, 3, 2), At(2014, 3, 2), 0, EncodeTime(23, 59, 59, 999))),
            (Rows{4, 5}));
}

TEST(SelectStatRows, SameWindowOnEveryDayWhateverTheDates) {
  const ParamLoad load = LoadDays();
  const ParamFilters window = Range(At(2020, 1, 1), At(2019, 1, 1), EncodeTime(10, 0, 0, 0), EncodeTime(12, 0, 0, 0));
  EXPECT_EQ(SelectStat(load.records, window), (Rows{0, 2, 5, 6, 7, 10}));
  // 23:59:59 and a half is outside the default window on every day.
  EXPECT_EQ(SelectStat(load.records, ParamFilters{}), (Rows{0, 1, 2, 4, 5, 6, 7, 8, 10, 11}));
  EXPECT_EQ(SelectStat(load.records, Range(0, 0, EncodeTime(22, 0, 0, 0), EncodeTime(2, 0, 0, 0))), Rows{});
}

TEST(SelectParamRows, ValueFiltersAloneAndCombined) {
  const ParamLoad load = LoadValues();
  const ParamLists& lists = load.lists;
  ParamFilters filters = Range(At(2014, 3, 2), At(2014, 3, 2), 0, EncodeTime(23, 59, 59, 999));
  EXPECT_EQ(SelectParam(load.records, filters), (Rows{0, 1, 2, 3}));

  filters.group = test::Pick(lists.groups, "G1");
  EXPECT_EQ(SelectParam(load.records, filters), (Rows{0, 1}));
  filters.param = test::Pick(lists.params, "Speed");
  EXPECT_EQ(SelectParam(load.records, filters), (Rows{0}));
  EXPECT_EQ(SelectStat(load.records, filters), (Rows{0}));
  filters.group = {};
  EXPECT_EQ(SelectParam(load.records, filters), (Rows{0, 2}));
  filters.port = test::Pick(lists.ports, "P2");
  filters.node = test::Pick(lists.nodes, "N1");
  EXPECT_EQ(SelectParam(load.records, filters), (Rows{2}));
  EXPECT_EQ(SelectStat(load.records, filters), (Rows{2}));

  filters = Range(At(2014, 3, 2), At(2014, 3, 2), 0, EncodeTime(23, 59, 59, 999));
  filters.param = test::Pick(lists.params, "speed");
  EXPECT_EQ(SelectParam(load.records, filters), (Rows{1}));
  filters.param = {};
  filters.node = ValueFilter::Select(-1, lists.nodes);
  EXPECT_EQ(SelectParam(load.records, filters), (Rows{3}));
  EXPECT_EQ(SelectStat(load.records, filters), (Rows{3}));
}

TEST(ParamTable, DateTimeForParametersTimeForStatistics) {
  const ParamLoad load = LoadValues();
  const RegionalSettings settings = test::JournalRules().regional;
  const ParamTable param(load.records, settings, true);
  const ParamTable stat(load.records, settings, false);
  EXPECT_EQ(param.ColumnCount(), 8);
  std::string scratch;
  EXPECT_EQ(param.CellText(0, 0, scratch), "02.03.2014");
  EXPECT_EQ(param.CellText(1, 0, scratch), "02.03.2014");  // milliseconds are not looked at
  EXPECT_EQ(param.CellText(2, 0, scratch), "02.03.2014 10:15:30");
  EXPECT_EQ(param.CellText(3, 0, scratch), "02.03.2014 00:00:01");
  EXPECT_EQ(stat.CellText(0, 0, scratch), "00:00:00");
  EXPECT_EQ(stat.CellText(2, 0, scratch), "10:15:30");

  const std::vector<std::string> row2{"G2", "c", "N1", "P2", "Speed", "1", "2\t3"};
  for (int column = 1; column < 8; ++column) {
    EXPECT_EQ(param.CellText(2, column, scratch), row2[column - 1]);
    EXPECT_EQ(stat.CellText(2, column, scratch), row2[column - 1]);
  }
  EXPECT_EQ(stat.CellText(3, 7, scratch), "");
}

}  // namespace
}  // namespace vantorel
