#include <gtest/gtest.h>

#include "document/JournalDocument.h"
#include "support/CoreTestSupport.h"

namespace vantorel {
namespace {

using Rows = std::vector<uint32_t>;

// The action lists, in the kind's order.
constexpr int kUsers = 0, kActions = 1;

JournalDocument ActionJournal() {
  return test::Document(JournalKind::Action,
                        "User\tTime\tObject\tParameter\tValue\tAction\r\n"
                        "Ivanov\t25.11.2013 10:00:00\to\tp\tv\tStart\r\n"
                        "ivanov\t25.11.2013 11:00:00\to\tp\tv\tStop\r\n"
                        "Ivanov\t26.11.2013 10:00:00\to\tp\tv\tStop\r\n"
                        "\t26.11.2013 12:00:00.500\to\tp\tv\tStart\r\n"
                        "Petrov\t27.11.2013 23:59:59.500\to\tp\tv\tStart\r\n");
}

Rows Select(const JournalDocument& document, const FilterState& state) {
  RowSet rows;
  rows.rows.PushBack(99);
  document.Select(state, rows);
  return Rows(rows.rows.begin(), rows.rows.end());
}

FilterState Window(TDateTime start, TDateTime end) {
  FilterState state;
  state.startTime = start;
  state.endTime = end;
  return state;
}

// The selection of the value item `text`, which must be in the list and not be item 0.
ListSelection Pick(const JournalDocument& document, int list, std::string_view text) {
  const int index = test::IndexOf(document.List(list), text);
  EXPECT_GT(index, 0) << "no value item " << text;
  return {index, std::string(text)};
}

TEST(SelectActionRows, TimeWindow) {
  const JournalDocument document = ActionJournal();
  ASSERT_EQ(document.RecordCount(), 5u);
  const TDateTime ten = EncodeTime(10, 0, 0, 0), eleven = EncodeTime(11, 0, 0, 0);
  EXPECT_EQ(Select(document, Window(ten, eleven)), (Rows{0, 1, 2}));
  EXPECT_EQ(Select(document, Window(ten + 0.9 * kOneMillisecond, eleven - 0.9 * kOneMillisecond)), (Rows{0, 1, 2}));
  EXPECT_EQ(Select(document, Window(ten, EncodeTime(10, 59, 59, 0))), (Rows{0, 2}));
  EXPECT_EQ(Select(document, Window(ten, ten)), (Rows{0, 2}));
  // Half a second after the end is out.
  EXPECT_EQ(Select(document, Window(eleven, EncodeTime(12, 0, 0, 0))), (Rows{1}));
  EXPECT_EQ(Select(document, FilterState{}), (Rows{0, 1, 2, 3}));
  EXPECT_EQ(Select(document, Window(EncodeTime(22, 0, 0, 0), EncodeTime(2, 0, 0, 0))), Rows{});
  // The date bounds and the unimportant-alarm switch play no part.
  FilterState dates = Window(ten, eleven);
  dates.startDate = test::At(2013, 11, 26);
  dates.endDate = test::At(2013, 11, 20);
  dates.showUnimportant = true;
  EXPECT_EQ(Select(document, dates), (Rows{0, 1, 2}));
}

TEST(SelectActionRows, UserAndActionFilters) {
  const JournalDocument document = ActionJournal();
  FilterState state = Window(0, EncodeTime(23, 59, 59, 999));
  EXPECT_EQ(Select(document, state), (Rows{0, 1, 2, 3, 4}));

  state.lists[kUsers] = Pick(document, kUsers, "Ivanov");
  EXPECT_EQ(Select(document, state), (Rows{0, 2}));
  state.lists[kActions] = Pick(document, kActions, "Stop");
  EXPECT_EQ(Select(document, state), (Rows{2}));
  state.lists[kUsers] = Pick(document, kUsers, "ivanov");
  EXPECT_EQ(Select(document, state), (Rows{1}));
  state.lists[kUsers] = {0, std::string(document.List(kUsers)[0])};
  EXPECT_EQ(Select(document, state), (Rows{1, 2}));

  state.lists[kActions] = {};
  state.lists[kUsers] = {-1, "typed"};
  EXPECT_EQ(Select(document, state), (Rows{3}));
}

TEST(ActionCells, UserTimeOfDayThenTheStoredTexts) {
  const JournalDocument document = ActionJournal();
  EXPECT_EQ(document.Kind().columns, 6);
  EXPECT_EQ(document.RecordCount(), 5u);
  std::string scratch;
  const std::vector<std::string> row2{"Ivanov", "10:00:00", "o", "p", "v", "Stop"};
  for (int column = 0; column < 6; ++column) EXPECT_EQ(document.Cell(2, column, scratch), row2[column]);
  EXPECT_EQ(document.Cell(3, 0, scratch), "");
  EXPECT_EQ(document.Cell(3, 1, scratch), "12:00:00");
}

}  // namespace
}  // namespace vantorel
