#include <gtest/gtest.h>

#include "document/JournalDocument.h"
#include "support/CoreTestSupport.h"

namespace vantorel {
namespace {

using test::At;
using Rows = std::vector<uint32_t>;

// The parameter lists, in the kind's order.
constexpr int kGroups = 0, kNodes = 1, kPorts = 2, kParams = 3;

const std::string kTitle = "Time\tGroup\tClass\tNode\tPort\tParameter\tOld\tNew\r\n";

// Days 28 February to 4 March 2014, at times around a 10:00 to 12:00 window.
std::string Days() {
  std::string bytes = kTitle;
  for (const char* moment : {"28.02.2014 11:00:00", "01.03.2014 09:59:59", "01.03.2014 10:00:00",
                             "01.03.2014 23:59:59.500", "02.03.2014 13:00:00", "02.03.2014 11:00:00",
                             "03.03.2014 10:00:00", "03.03.2014 12:00:00", "03.03.2014 12:00:01",
                             "03.03.2014 23:59:59.500", "04.03.2014 11:00:00", "03.03.2014 09:00:00"}) {
    bytes += std::string(moment) + "\tG\tc\tN\tP\tPar\t1\t2\r\n";
  }
  return bytes;
}

// One record for each combination the value filters tell apart.
const std::string kValues = kTitle +
                            "02.03.2014 00:00:00\tG1\tc\tN1\tP1\tSpeed\t1\t2\r\n"
                            "02.03.2014 00:00:00.500\tG1\tc\tN2\tP1\tspeed\t1\t2\r\n"
                            "02.03.2014 10:15:30\tG2\tc\tN1\tP2\tSpeed\t1\t2\t3\r\n"
                            "02.03.2014 00:00:01\tG2\r\n";

FilterState Range(TDateTime startDate, TDateTime endDate, TDateTime startTime, TDateTime endTime) {
  FilterState state;
  state.startDate = startDate;
  state.endDate = endDate;
  state.startTime = startTime;
  state.endTime = endTime;
  return state;
}

Rows Select(const JournalDocument& document, const FilterState& state) {
  RowSet rows;
  rows.rows.PushBack(99);
  document.Select(state, rows);
  return Rows(rows.rows.begin(), rows.rows.end());
}

// The selection of the value item `text`, which must be in the list and not be item 0.
ListSelection Pick(const JournalDocument& document, int list, std::string_view text) {
  const int index = test::IndexOf(document.List(list), text);
  EXPECT_GT(index, 0) << "no value item " << text;
  return {index, std::string(text)};
}

TEST(SelectParamRows, StartTimeOnEveryDayEndTimeOnTheEndDayOnly) {
  const JournalDocument param = test::Document(JournalKind::Param, Days());
  ASSERT_EQ(param.RecordCount(), 12u);
  const TDateTime ten = EncodeTime(10, 0, 0, 0), noon = EncodeTime(12, 0, 0, 0);
  // Days 1 and 2 from 10:00 to midnight, day 3 from 10:00 to 12:00.
  const Rows expected{2, 3, 4, 5, 6, 7};
  EXPECT_EQ(Select(param, Range(At(2014, 3, 1), At(2014, 3, 3), ten, noon)), expected);
  EXPECT_EQ(Select(param, Range(At(2014, 3, 1), At(2014, 3, 3), ten + 0.9 * kOneMillisecond,
                                noon - 0.9 * kOneMillisecond)),
            expected);
  // Only the days of the date bounds count.
  EXPECT_EQ(Select(param, Range(At(2014, 3, 1, 23, 0, 0), At(2014, 3, 3, 5, 0, 0), ten, noon)), expected);
  EXPECT_EQ(Select(param, Range(At(2014, 3, 1), At(2014, 3, 3), EncodeTime(10, 0, 1, 0), noon)), (Rows{3, 4, 5, 7}));

  // With the end at 23:59:59, half a second later is hidden on the end day only.
  EXPECT_EQ(Select(param, Range(At(2014, 3, 1), At(2014, 3, 3), 0, EncodeTime(23, 59, 59, 0))),
            (Rows{1, 2, 3, 4, 5, 6, 7, 8, 11}));
  // A start time later than the end time keeps the earlier days from the start time on.
  EXPECT_EQ(Select(param, Range(At(2014, 3, 1), At(2014, 3, 3), EncodeTime(13, 0, 0, 0), EncodeTime(2, 0, 0, 0))),
            (Rows{3, 4}));
  EXPECT_EQ(Select(param, Range(At(2014, 3, 3), At(2014, 3, 1), 0, EncodeTime(23, 59, 59, 999))), Rows{});
  EXPECT_EQ(Select(param, Range(At(2014, 3, 2), At(2014, 3, 2), 0, EncodeTime(23, 59, 59, 999))), (Rows{4, 5}));
}

TEST(SelectStatRows, SameWindowOnEveryDayWhateverTheDates) {
  const JournalDocument stat = test::Document(JournalKind::Stat, Days());
  const FilterState window = Range(At(2020, 1, 1), At(2019, 1, 1), EncodeTime(10, 0, 0, 0), EncodeTime(12, 0, 0, 0));
  EXPECT_EQ(Select(stat, window), (Rows{0, 2, 5, 6, 7, 10}));
  // 23:59:59 and a half is outside the default window on every day.
  EXPECT_EQ(Select(stat, FilterState{}), (Rows{0, 1, 2, 4, 5, 6, 7, 8, 10, 11}));
  EXPECT_EQ(Select(stat, Range(0, 0, EncodeTime(22, 0, 0, 0), EncodeTime(2, 0, 0, 0))), Rows{});
}

TEST(SelectParamRows, ValueFiltersAloneAndCombined) {
  const JournalDocument param = test::Document(JournalKind::Param, kValues);
  const JournalDocument stat = test::Document(JournalKind::Stat, kValues);
  FilterState state = Range(At(2014, 3, 2), At(2014, 3, 2), 0, EncodeTime(23, 59, 59, 999));
  EXPECT_EQ(Select(param, state), (Rows{0, 1, 2, 3}));

  state.lists[kGroups] = Pick(param, kGroups, "G1");
  EXPECT_EQ(Select(param, state), (Rows{0, 1}));
  state.lists[kParams] = Pick(param, kParams, "Speed");
  EXPECT_EQ(Select(param, state), (Rows{0}));
  EXPECT_EQ(Select(stat, state), (Rows{0}));
  state.lists[kGroups] = {};
  EXPECT_EQ(Select(param, state), (Rows{0, 2}));
  state.lists[kPorts] = Pick(param, kPorts, "P2");
  state.lists[kNodes] = Pick(param, kNodes, "N1");
  EXPECT_EQ(Select(param, state), (Rows{2}));
  EXPECT_EQ(Select(stat, state), (Rows{2}));

  state = Range(At(2014, 3, 2), At(2014, 3, 2), 0, EncodeTime(23, 59, 59, 999));
  state.lists[kParams] = Pick(param, kParams, "speed");
  EXPECT_EQ(Select(param, state), (Rows{1}));
  state.lists[kParams] = {};
  state.lists[kNodes] = {-1, "typed"};
  EXPECT_EQ(Select(param, state), (Rows{3}));
  EXPECT_EQ(Select(stat, state), (Rows{3}));
}

TEST(ParamCells, DateTimeForParametersTimeForStatistics) {
  const JournalDocument param = test::Document(JournalKind::Param, kValues);
  const JournalDocument stat = test::Document(JournalKind::Stat, kValues);
  EXPECT_EQ(param.Kind().columns, 8);
  std::string scratch;
  EXPECT_EQ(param.Cell(0, 0, scratch), "02.03.2014");
  EXPECT_EQ(param.Cell(1, 0, scratch), "02.03.2014");  // milliseconds are not looked at
  EXPECT_EQ(param.Cell(2, 0, scratch), "02.03.2014 10:15:30");
  EXPECT_EQ(param.Cell(3, 0, scratch), "02.03.2014 00:00:01");
  EXPECT_EQ(stat.Cell(0, 0, scratch), "00:00:00");
  EXPECT_EQ(stat.Cell(2, 0, scratch), "10:15:30");

  const std::vector<std::string> row2{"G2", "c", "N1", "P2", "Speed", "1", "2\t3"};
  for (int column = 1; column < 8; ++column) {
    EXPECT_EQ(param.Cell(2, column, scratch), row2[column - 1]);
    EXPECT_EQ(stat.Cell(2, column, scratch), row2[column - 1]);
  }
  EXPECT_EQ(stat.Cell(3, 7, scratch), "");
}

}  // namespace
}  // namespace vantorel
