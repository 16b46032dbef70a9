#include <gtest/gtest.h>

#include "support/CoreTestSupport.h"
#include "views/StringGrid.h"

namespace vantorel {
namespace {

// An action journal of the given users and detail texts (action journals keep texts whole).
JournalDocument Actions(const std::vector<std::pair<std::string, std::string>>& records) {
  std::string bytes = "U\tT\tD1\tD2\tD3\tA\r\n";
  for (const auto& [user, detail] : records) bytes += user + "\t25.11.2013 10:00:00\t" + detail + "\tx\ty\tz\r\n";
  return test::Document(JournalKind::Action, bytes);
}

// Every record, or those of the user list's item `user`.
FilterState Users(int user = 0) {
  FilterState state;
  state.lists[0].index = user;
  return state;
}

TEST(StringGrid, ClearingKeepsOrEmptiesTheTitlesAndNeverRevivesOldRows) {
  JournalGrid grid;
  const JournalDocument document = Actions({{"a1", "b1"}, {"a2", "b2"}});
  grid.LoadHeaderRow({"A", "B", "C", "D", "E", "F", "G"}, 6);
  grid.ShowView(document, Users());
  ASSERT_EQ(grid.RowCount(), 3);
  EXPECT_EQ(grid.Cell(2, 2), "b2");

  grid.ClearGridRows();
  EXPECT_EQ(grid.RowCount(), 1);
  EXPECT_EQ(grid.Cell(0, 0), "A");
  EXPECT_EQ(grid.Cell(1, 0), "B");
  EXPECT_EQ(grid.FixedRows(), 0);

  grid.Model().SetEmptyRows(2);
  EXPECT_EQ(grid.Cell(0, 1), "");
  EXPECT_EQ(grid.Cell(2, 2), "");

  // Titles past the column count stay in their cells but are not cleared or shown.
  grid.ClearGridColumns();
  EXPECT_EQ(grid.RowCount(), 1);
  EXPECT_EQ(grid.ColumnCount(), 6);
  EXPECT_EQ(grid.Cell(0, 0), "");
  EXPECT_EQ(grid.Cell(5, 0), "");
  EXPECT_EQ(grid.Cell(6, 0), "G");
  grid.LoadHeaderRow({"X"}, 7);
  EXPECT_EQ(grid.Cell(0, 0), "X");
  EXPECT_EQ(grid.Cell(6, 0), "G");
}

TEST(StringGrid, FitColumnWidthIsTheWiderOfPadAndWidestTextPlusPad) {
  JournalGrid grid;
  // Texts of a known width: repeat one character until its width is reached.
  const int dot = grid.TextWidth("0");
  ASSERT_GT(dot, 0);
  std::string narrow, wide;
  while (grid.TextWidth(narrow + "0") <= 30) narrow += "0";
  while (grid.TextWidth(wide) < 200) wide += "0";
  const JournalDocument document = Actions({{narrow, wide}, {"", narrow}});
  grid.LoadHeaderRow({"A very long title that is much wider than its column", "B", "C"}, 6);
  grid.ShowView(document, Users());
  for (int c = 0; c < 6; ++c) grid.FitColumnWidth(c, 50);
  EXPECT_EQ(grid.columnWidth(0), 100);
  EXPECT_EQ(grid.columnWidth(2), grid.TextWidth(wide) + 50);
  EXPECT_GE(grid.columnWidth(2), 250);
  EXPECT_LT(grid.columnWidth(2), 250 + 2 * dot);

  // Only the shown rows count: the second user's record alone.
  grid.ShowView(document, Users(2));
  ASSERT_EQ(grid.RowCount(), 2);
  grid.FitColumnWidths(50);
  EXPECT_EQ(grid.columnWidth(2), 100);
  // No row shown: every column is twice the pad.
  FilterState none;
  none.startTime = EncodeTime(22, 0, 0, 0);
  none.endTime = EncodeTime(2, 0, 0, 0);
  grid.ShowView(document, none);
  ASSERT_EQ(grid.RowCount(), 1);
  grid.FitColumnWidths(50);
  for (int c = 0; c < 6; ++c) EXPECT_EQ(grid.columnWidth(c), 100);
}

TEST(StringGrid, WidthsAreMeasuredAgainForAnotherJournalAndAreNotCapped) {
  JournalGrid grid;
  const JournalDocument first = Actions({{"u", "0"}});
  const std::string huge(20000, 'W');
  const JournalDocument second = Actions({{"u", huge}});
  grid.LoadHeaderRow({"A"}, 6);
  grid.ShowView(first, Users());
  grid.FitColumnWidth(2, 50);
  EXPECT_EQ(grid.columnWidth(2), 100);
  grid.ClearGridColumns();
  grid.ShowView(second, Users());
  grid.FitColumnWidth(2, 50);
  EXPECT_EQ(grid.columnWidth(2), grid.TextWidth(huge) + 50);
  EXPECT_GT(grid.columnWidth(2), 65535);
}

TEST(StringGrid, PainterGetsOnlyTheStartOfAHugeCell) {
  JournalGrid grid;
  const std::string huge(3'000'000, 'x');
  const JournalDocument document = Actions({{huge, "short"}});
  grid.LoadHeaderRow({"A", "B"}, 6);
  grid.ShowView(document, Users());
  const QModelIndex cell = grid.Model().index(0, 0);
  EXPECT_EQ(cell.data(Qt::DisplayRole).toString().size(), 3'000'000);
  EXPECT_EQ(cell.data(JournalTableModel::kPaintRole).toString().size(),
            static_cast<qsizetype>(JournalTableModel::kPaintedBytes));
  EXPECT_EQ(grid.Model().index(0, 2).data(JournalTableModel::kPaintRole).toString(), "short");
  // A title is painted no further than a cell.
  grid.LoadHeaderRow({QString(200'000, 'T')}, 6);
  EXPECT_EQ(grid.Model().headerData(0, Qt::Horizontal, Qt::DisplayRole).toString().size(),
            static_cast<qsizetype>(JournalTableModel::kPaintedBytes));
}

}  // namespace
}  // namespace vantorel
