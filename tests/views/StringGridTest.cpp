#include <gtest/gtest.h>

#include "views/StringGrid.h"

namespace vantorel {
namespace {

// Rows of fixed texts, one column per text.
class FixedTable final : public JournalTable {
 public:
  explicit FixedTable(std::vector<std::vector<std::string>> rows) : rows_(std::move(rows)) {}
  int ColumnCount() const override { return rows_.empty() ? 0 : static_cast<int>(rows_[0].size()); }
  size_t RecordCount() const override { return rows_.size(); }
  std::string_view CellText(size_t record, int column, std::string&) const override {
    return rows_[record][static_cast<size_t>(column)];
  }

 private:
  std::vector<std::vector<std::string>> rows_;
};

TEST(StringGrid, ClearingKeepsOrEmptiesTheTitlesAndNeverRevivesOldRows) {
  JournalGrid grid;
  FixedTable table({{"a1", "b1"}, {"a2", "b2"}});
  grid.LoadHeaderRow({"A", "B", "C"}, 2);
  grid.ShowRows(&table, {0, 1});
  ASSERT_EQ(grid.RowCount(), 3);
  EXPECT_EQ(grid.Cell(1, 2), "b2");

  grid.ClearGridRows();
  EXPECT_EQ(grid.RowCount(), 1);
  EXPECT_EQ(grid.Cell(0, 0), "A");
  EXPECT_EQ(grid.Cell(1, 0), "B");
  EXPECT_EQ(grid.FixedRows(), 0);

  grid.Model().SetEmptyRows(2);
  EXPECT_EQ(grid.Cell(0, 1), "");
  EXPECT_EQ(grid.Cell(1, 2), "");

  // Titles past the column count stay in their cells but are not cleared or shown.
  grid.ClearGridColumns();
  EXPECT_EQ(grid.RowCount(), 1);
  EXPECT_EQ(grid.ColumnCount(), 2);
  EXPECT_EQ(grid.Cell(0, 0), "");
  EXPECT_EQ(grid.Cell(1, 0), "");
  EXPECT_EQ(grid.Cell(2, 0), "C");
  grid.LoadHeaderRow({"X"}, 3);
  EXPECT_EQ(grid.Cell(0, 0), "X");
  EXPECT_EQ(grid.Cell(2, 0), "C");
}

TEST(StringGrid, FitColumnWidthIsTheWiderOfPadAndWidestTextPlusPad) {
  JournalGrid grid;
  // Texts of a known width: repeat one character until its width is reached.
  const int dot = grid.TextWidth("0");
  ASSERT_GT(dot, 0);
  std::string narrow, wide;
  while (grid.TextWidth(narrow + "0") <= 30) narrow += "0";
  while (grid.TextWidth(wide) < 200) wide += "0";
  FixedTable table({{narrow, wide, ""}, {"", narrow, ""}});
  grid.LoadHeaderRow({"A very long title that is much wider than its column", "B", "C"}, 3);
  grid.ShowRows(&table, {0, 1});
  for (int c = 0; c < 3; ++c) grid.FitColumnWidth(c, 50);
  EXPECT_EQ(grid.columnWidth(0), 100);
  EXPECT_EQ(grid.columnWidth(1), grid.TextWidth(wide) + 50);
  EXPECT_GE(grid.columnWidth(1), 250);
  EXPECT_LT(grid.columnWidth(1), 250 + 2 * dot);
  EXPECT_EQ(grid.columnWidth(2), 100);

  // Only the shown rows count.
  grid.ShowRows(&table, {1});
  grid.FitColumnWidth(1, 50);
  EXPECT_EQ(grid.columnWidth(1), 100);
  grid.ShowRows(&table, {});
  grid.FitColumnWidth(1, 50);
  EXPECT_EQ(grid.columnWidth(1), 100);
}

TEST(StringGrid, WidthsAreMeasuredAgainAfterANewJournal) {
  JournalGrid grid;
  FixedTable first({{"0"}});
  FixedTable second({{std::string(80, 'W')}});
  grid.LoadHeaderRow({"A"}, 1);
  grid.ShowRows(&first, {0});
  grid.FitColumnWidth(0, 50);
  EXPECT_EQ(grid.columnWidth(0), 100);
  grid.ClearGridColumns();
  grid.ShowRows(&second, {0});
  grid.FitColumnWidth(0, 50);
  EXPECT_EQ(grid.columnWidth(0), grid.TextWidth(std::string(80, 'W')) + 50);
}

}  // namespace
}  // namespace vantorel

namespace vantorel {
namespace {

TEST(StringGrid, PainterGetsOnlyTheStartOfAHugeCell) {
  JournalGrid grid;
  const std::string huge(3'000'000, 'x');
  FixedTable table({{huge, "short"}});
  grid.LoadHeaderRow({"A", "B"}, 2);
  grid.ShowRows(&table, {0});
  const QModelIndex cell = grid.Model().index(0, 0);
  EXPECT_EQ(cell.data(Qt::DisplayRole).toString().size(), 3'000'000);
  EXPECT_EQ(cell.data(JournalTableModel::kPaintRole).toString().size(),
            static_cast<qsizetype>(JournalTableModel::kPaintedBytes));
  EXPECT_EQ(grid.Model().index(0, 1).data(JournalTableModel::kPaintRole).toString(), "short");
}

}  // namespace
}  // namespace vantorel
