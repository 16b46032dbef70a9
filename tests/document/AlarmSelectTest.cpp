#include <gtest/gtest.h>

#include <array>

#include "document/JournalDocument.h"
#include "support/CoreTestSupport.h"
#include "support/TestFiles.h"

namespace vantorel {
namespace {

using test::W;
using Rows = std::vector<uint32_t>;

// The alarm lists, in the kind's order.
constexpr int kGroups = 0, kNodes = 1, kPorts = 2;

// Records 0 and 2 share their time of day on different days; 3 and 6 carry look-alikes of
// an unimportant message; 5 is a short line with empty node and port.
JournalDocument AlarmJournal() {
  return test::Document(JournalKind::Alarms,
                        W("Время\tГруппа\tКласс\tУзел\tПлата/Порт\tСообщение\tПодробности\r\n"
                          "25.11.2013 10:00:00\tG1\tc\tN1\tP1\tНорма\tx\r\n"
                          "25.11.2013 12:00:00\tG1\tc\tN2\tP2\tПереход на резерв\r\n"
                          "26.11.2013 10:00:00\tG2\tc\tN1\tP1\tАвария\r\n"
                          "26.11.2013 23:59:59\tG2\tc\tN2\tP1\tПереход на резерв \r\n"
                          "27.11.2013 23:59:59.500\tG1\tc\tN1\tP2\tРассхождение в системном времени\r\n"
                          "27.11.2013 00:00:00\tG3\r\n"
                          "27.11.2013 09:59:59\tG2\tc\tN1\tP2\tпереход на резерв\r\n"));
}

Rows Select(const JournalDocument& document, const FilterState& state) {
  RowSet rows;
  // Whatever the rows held before is replaced.
  rows.rows.PushBack(99);
  rows.rows.PushBack(98);
  rows.blockStarts = {5};
  document.Select(state, rows);
  EXPECT_EQ(rows.blockStarts, (std::vector<uint32_t>{0, static_cast<uint32_t>(rows.size())}));
  return Rows(rows.rows.begin(), rows.rows.end());
}

FilterState ShowAll(TDateTime start, TDateTime end) {
  FilterState state;
  state.startTime = start;
  state.endTime = end;
  state.showUnimportant = true;
  return state;
}

// The selection of the value item `text`, which must be in the list and not be item 0.
ListSelection Pick(const JournalDocument& document, int list, std::string_view text) {
  const int index = test::IndexOf(document.List(list), text);
  EXPECT_GT(index, 0) << "no value item " << text;
  return {index, std::string(text)};
}

TEST(SelectAlarmRows, TimeWindowIsInclusiveWithinAMillisecond) {
  const JournalDocument document = AlarmJournal();
  ASSERT_EQ(document.RecordCount(), 7u);
  const TDateTime ten = EncodeTime(10, 0, 0, 0), noon = EncodeTime(12, 0, 0, 0);
  EXPECT_EQ(Select(document, ShowAll(ten, noon)), (Rows{0, 1, 2}));
  EXPECT_EQ(Select(document, ShowAll(ten + 0.9 * kOneMillisecond, noon - 0.9 * kOneMillisecond)), (Rows{0, 1, 2}));
  EXPECT_EQ(Select(document, ShowAll(EncodeTime(10, 0, 1, 0), noon)), (Rows{1}));
  EXPECT_EQ(Select(document, ShowAll(ten, EncodeTime(11, 59, 59, 0))), (Rows{0, 2}));
  EXPECT_EQ(Select(document, ShowAll(ten, ten)), (Rows{0, 2}));
  // The bounds' own days play no part, and for alarms neither do the date bounds.
  EXPECT_EQ(Select(document, ShowAll(41000 + ten, 3 + noon)), (Rows{0, 1, 2}));
  FilterState dates = ShowAll(ten, noon);
  dates.startDate = test::At(2013, 11, 27);
  dates.endDate = test::At(2013, 11, 20);
  EXPECT_EQ(Select(document, dates), (Rows{0, 1, 2}));
}

TEST(SelectAlarmRows, DefaultWindowAndNoWrapPastMidnight) {
  const JournalDocument document = AlarmJournal();
  FilterState state;
  state.showUnimportant = true;
  // 00:00:00 to 23:59:59: the record at 23:59:59 and a half is out.
  EXPECT_EQ(Select(document, state), (Rows{0, 1, 2, 3, 5, 6}));
  EXPECT_EQ(Select(document, ShowAll(EncodeTime(22, 0, 0, 0), EncodeTime(2, 0, 0, 0))), Rows{});
}

TEST(SelectAlarmRows, ValueFiltersAloneAndCombined) {
  const JournalDocument document = AlarmJournal();
  FilterState state = ShowAll(0, EncodeTime(23, 59, 59, 999));

  state.lists[kNodes] = Pick(document, kNodes, "N1");
  EXPECT_EQ(Select(document, state), (Rows{0, 2, 4, 6}));
  state.lists[kGroups] = Pick(document, kGroups, "G2");
  EXPECT_EQ(Select(document, state), (Rows{2, 6}));
  state.lists[kPorts] = Pick(document, kPorts, "P2");
  EXPECT_EQ(Select(document, state), (Rows{6}));

  // With no item selected only empty values pass; so with an index past the list.
  state = ShowAll(0, EncodeTime(23, 59, 59, 999));
  state.lists[kNodes] = {-1, "typed"};
  EXPECT_EQ(Select(document, state), (Rows{5}));
  state.lists[kNodes] = {static_cast<int>(document.List(kNodes).size()), ""};
  EXPECT_EQ(Select(document, state), (Rows{5}));
  state.lists[kNodes] = {0, std::string(document.List(kNodes)[0])};
  EXPECT_EQ(Select(document, state).size(), 7u);
}

TEST(SelectAlarmRows, UnimportantAlarmsHiddenUnlessShown) {
  const JournalDocument document = AlarmJournal();
  FilterState state = ShowAll(0, EncodeTime(23, 59, 59, 999));
  state.showUnimportant = false;
  // A trailing blank or another letter case is not the unimportant message.
  EXPECT_EQ(Select(document, state), (Rows{0, 2, 3, 5, 6}));
  state.showUnimportant = true;
  EXPECT_EQ(Select(document, state), (Rows{0, 1, 2, 3, 4, 5, 6}));
}

TEST(AlarmCells, TimeOfDayThenTheStoredTexts) {
  const JournalDocument document = AlarmJournal();
  EXPECT_EQ(document.Kind().columns, 7);
  EXPECT_EQ(document.RecordCount(), 7u);
  std::string scratch;
  EXPECT_EQ(document.Cell(2, 0, scratch), "10:00:00");
  EXPECT_EQ(document.Cell(4, 0, scratch), "23:59:59");
  EXPECT_EQ(document.Cell(5, 0, scratch), "00:00:00");
  const std::vector<std::string> row0{"G1", "c", "N1", "P1", W("Норма"), "x"};
  for (int column = 1; column < 7; ++column) EXPECT_EQ(document.Cell(0, column, scratch), row0[column - 1]);
  EXPECT_EQ(document.Cell(3, 5, scratch), W("Переход на резерв "));
  EXPECT_EQ(document.Cell(5, 3, scratch), "");
  // Cells gives the same texts at once.
  std::array<std::string_view, kMaxColumns> cells;
  std::string cellsScratch;
  for (size_t record = 0; record < document.RecordCount(); ++record) {
    document.Cells(record, cells, cellsScratch);
    for (int column = 0; column < 7; ++column) {
      EXPECT_EQ(cells[static_cast<size_t>(column)], document.Cell(record, column, scratch)) << record << ", " << column;
    }
  }
}

}  // namespace
}  // namespace vantorel
