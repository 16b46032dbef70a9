#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>

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

TEST(RowRanges, AddingMergesOverlappingAndTouchingRowsAndRemovingSplits) {
  RowRanges rows;
  rows.Add(5, 7);
  rows.Add(1, 2);
  rows.Add(4, 3);
  EXPECT_EQ(rows.Spans(), (std::vector<RowRanges::Span>{{1, 7}}));
  rows.Add(10, 12);
  rows.Remove(6, 10);
  EXPECT_EQ(rows.Spans(), (std::vector<RowRanges::Span>{{1, 5}, {11, 12}}));
  EXPECT_TRUE(rows.Contains(5));
  EXPECT_FALSE(rows.Contains(6));
  EXPECT_FALSE(rows.Contains(0));
  EXPECT_TRUE(rows.Contains(12));
  rows.Add(0, 20);
  EXPECT_EQ(rows.Spans(), (std::vector<RowRanges::Span>{{0, 20}}));
  rows.Remove(0, 20);
  EXPECT_TRUE(rows.Empty());
}

// A shown grid of action records, the user of record i being "user-number-<i>".
class GridInput : public ::testing::Test {
 protected:
  void SetUp() override {
    std::vector<std::pair<std::string, std::string>> records;
    for (int i = 0; i < kRecords; ++i) records.emplace_back("user-number-" + std::to_string(i), "d");
    document = std::make_unique<JournalDocument>(Actions(records));
    grid.LoadHeaderRow({"Пользователь", "Время", "A", "B", "C", "D"}, 6);
    grid.ShowView(*document, Users());
    grid.FitColumnWidths(50);
    grid.resize(800, 10 * JournalGrid::kRowHeight);
    grid.show();
    grid.activateWindow();
    grid.setFocus();
    QApplication::processEvents();
  }

  void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers);
    QApplication::sendEvent(&grid, &press);
  }
  void Click(int row, int column, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    const QPoint at = grid.visualRect(grid.Model().index(row, column)).center();
    QMouseEvent press(QEvent::MouseButtonPress, at, grid.viewport()->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, modifiers);
    QApplication::sendEvent(grid.viewport(), &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, grid.viewport()->mapToGlobal(at), Qt::LeftButton, Qt::NoButton, modifiers);
    QApplication::sendEvent(grid.viewport(), &release);
  }
  std::vector<RecordIndex> Records(uint32_t first, uint32_t last) {
    std::vector<RecordIndex> records;
    for (uint32_t r = first; r <= last; ++r) records.push_back(RecordIndex{r});
    return records;
  }
  // Black pixels along the top edge of a row's cell in `column`, right of its text.
  int FramePixels(const QImage& image, int row, int column) {
    const QRect cell = grid.visualRect(grid.Model().index(row, column));
    int black = 0;
    for (int x = cell.right() - 40; x < cell.right(); ++x) black += image.pixelColor(x, cell.top()) == QColor(0, 0, 0);
    return black;
  }

  static constexpr int kRecords = 40;
  std::unique_ptr<JournalDocument> document;
  JournalGrid grid;
};

TEST_F(GridInput, ClicksAndKeysSelectWholeRows) {
  ASSERT_TRUE(grid.hasFocus());
  Click(2, 3);
  EXPECT_EQ(grid.SelectedRecords(), Records(2, 2));
  EXPECT_EQ(grid.currentIndex(), grid.Model().index(2, 3));
  Key(Qt::Key_Down, Qt::ShiftModifier);
  Key(Qt::Key_Down, Qt::ShiftModifier);
  EXPECT_EQ(grid.SelectedRecords(), Records(2, 4));
  Key(Qt::Key_Up, Qt::ShiftModifier);
  EXPECT_EQ(grid.SelectedRecords(), Records(2, 3));
  Click(7, 0, Qt::ControlModifier);
  Key(Qt::Key_Up, Qt::ShiftModifier);
  EXPECT_EQ(grid.SelectedRecords(), (std::vector<RecordIndex>{{2}, {3}, {6}, {7}}));
  Click(3, 1);
  Click(5, 1, Qt::ShiftModifier);
  EXPECT_EQ(grid.SelectedRecords(), Records(3, 5));

  // Paging moves by the rows in view; the end keys go to the last and first rows, in view.
  Key(Qt::Key_PageDown);
  EXPECT_EQ(grid.currentIndex().row(), 5 + grid.viewport()->height() / JournalGrid::kRowHeight);
  Key(Qt::Key_End);
  EXPECT_EQ(grid.SelectedRecords(), Records(kRecords - 1, kRecords - 1));
  EXPECT_TRUE(grid.viewport()->rect().contains(grid.visualRect(grid.currentIndex())));
  EXPECT_EQ(grid.verticalScrollBar()->value(), grid.verticalScrollBar()->maximum());
  Key(Qt::Key_Home, Qt::ShiftModifier);
  EXPECT_EQ(grid.SelectedRecords(), Records(0, kRecords - 1));
  EXPECT_EQ(grid.verticalScrollBar()->value(), 0);

  Click(1, 1);
  Key(Qt::Key_A, Qt::ControlModifier);
  EXPECT_EQ(grid.SelectedRecords(), Records(0, kRecords - 1));
  // A new view forgets the rows of the last one.
  grid.ShowView(*document, Users());
  EXPECT_TRUE(grid.SelectedRecords().empty());
  EXPECT_FALSE(grid.currentIndex().isValid());
}

TEST_F(GridInput, SelectedAndCurrentRowsAreFramedAndTheHeaderShowsTheTitles) {
  Click(1, 0);
  // Ctrl moves the current row alone.
  Key(Qt::Key_Down, Qt::ControlModifier);
  Key(Qt::Key_Down, Qt::ControlModifier);
  ASSERT_EQ(grid.currentIndex().row(), 3);
  ASSERT_EQ(grid.SelectedRecords(), Records(1, 1));
  QImage image = grid.viewport()->grab().toImage();
  // The selected row is framed across every column; the current row while the grid has the
  // focus; any other row not at all.
  EXPECT_GT(FramePixels(image, 1, 0), 5);
  EXPECT_GT(FramePixels(image, 1, 5), 5);
  EXPECT_GT(FramePixels(image, 3, 2), 5);
  EXPECT_EQ(FramePixels(image, 5, 2), 0);
  grid.clearFocus();
  image = grid.viewport()->grab().toImage();
  EXPECT_GT(FramePixels(image, 1, 2), 5);
  EXPECT_EQ(FramePixels(image, 3, 2), 0);

  // The title row: dark text on button face, the first title over the first column.
  const QImage titles = grid.horizontalHeader()->viewport()->grab().toImage();
  const int firstWidth = grid.columnWidth(0);
  int dark = 0;
  for (int x = 0; x < firstWidth - 1; ++x) dark += titles.pixelColor(x, 9).lightness() < 100;
  EXPECT_GT(dark, 10);
  EXPECT_EQ(titles.pixelColor(firstWidth - 5, 2), ButtonFace());
}

TEST_F(GridInput, PagesEndsAndADragPastTheEdgeMoveTheSelectionAndTheCurrentRowStandsApart) {
  const int rowHeight = JournalGrid::kRowHeight;
  Key(Qt::Key_End);
  ASSERT_EQ(grid.currentIndex().row(), kRecords - 1);
  // Page Up goes a page up, as a table view's does: the row a viewport's height above the
  // current row's bottom, not the first row.
  Key(Qt::Key_PageUp);
  const int page = (kRecords * rowHeight - 1 - grid.viewport()->height()) / rowHeight;
  EXPECT_EQ(grid.currentIndex().row(), page);
  EXPECT_GT(page, 0);
  EXPECT_EQ(grid.SelectedRecords(), Records(static_cast<uint32_t>(page), static_cast<uint32_t>(page)));
  Key(Qt::Key_PageUp);
  EXPECT_EQ(grid.currentIndex().row(), std::max(0, ((page + 1) * rowHeight - 1 - grid.viewport()->height()) / rowHeight));
  // Ctrl+Home and Ctrl+End take the selection with them; Ctrl with an arrow does not.
  Key(Qt::Key_End, Qt::ControlModifier);
  EXPECT_EQ(grid.SelectedRecords(), Records(kRecords - 1, kRecords - 1));
  Key(Qt::Key_Home, Qt::ControlModifier);
  EXPECT_EQ(grid.SelectedRecords(), Records(0, 0));
  Key(Qt::Key_Down, Qt::ControlModifier);
  Key(Qt::Key_Down, Qt::ControlModifier);
  EXPECT_EQ(grid.SelectedRecords(), Records(0, 0));
  ASSERT_EQ(grid.currentIndex().row(), 2);
  // The current row is framed solid, a selected one dotted: the two look apart.
  const QImage image = grid.viewport()->grab().toImage();
  EXPECT_EQ(FramePixels(image, 2, 1), 40);
  EXPECT_GT(FramePixels(image, 0, 1), 5);
  EXPECT_LT(FramePixels(image, 0, 1), 30);

  // A press and a drag past the bottom, the button held there: the rows scroll on, and the
  // selection with them, with no further move of the mouse.
  const QPoint at = grid.visualRect(grid.Model().index(1, 1)).center();
  QMouseEvent press(QEvent::MouseButtonPress, at, grid.viewport()->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(grid.viewport(), &press);
  const QPoint below(at.x(), grid.viewport()->height() + 5);
  QMouseEvent move(QEvent::MouseMove, below, grid.viewport()->mapToGlobal(below), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(grid.viewport(), &move);
  const int after = grid.verticalScrollBar()->value();
  QElapsedTimer held;
  held.start();
  while (held.elapsed() < 400) QApplication::processEvents(QEventLoop::AllEvents, 20);
  EXPECT_GT(grid.verticalScrollBar()->value(), after + 2);
  EXPECT_GT(grid.SelectedRecords().size(), static_cast<size_t>(grid.viewport()->height() / rowHeight));
  EXPECT_EQ(grid.SelectedRecords().front().value, 1u);
  QMouseEvent release(QEvent::MouseButtonRelease, below, grid.viewport()->mapToGlobal(below), Qt::LeftButton, Qt::NoButton,
                      Qt::NoModifier);
  QApplication::sendEvent(grid.viewport(), &release);
  const int released = grid.verticalScrollBar()->value();
  held.restart();
  while (held.elapsed() < 200) QApplication::processEvents(QEventLoop::AllEvents, 20);
  EXPECT_EQ(grid.verticalScrollBar()->value(), released);
}

TEST_F(GridInput, AScreenReaderMeetsATableOfTheRowsTheirTitlesCellsAndSelection) {
  QAccessibleInterface* table = QAccessible::queryAccessibleInterface(&grid);
  ASSERT_NE(table, nullptr);
  EXPECT_EQ(table->role(), QAccessible::Table);
  QAccessibleTableInterface* rows = table->tableInterface();
  ASSERT_NE(rows, nullptr);
  EXPECT_EQ(rows->rowCount(), kRecords);
  EXPECT_EQ(rows->columnCount(), 6);
  EXPECT_EQ(rows->columnDescription(1), "Время");
  QAccessibleInterface* title = table->child(0);
  ASSERT_NE(title, nullptr);
  EXPECT_EQ(title->role(), QAccessible::ColumnHeader);
  EXPECT_EQ(title->text(QAccessible::Name), "Пользователь");
  QAccessibleInterface* cell = rows->cellAt(3, 0);
  ASSERT_NE(cell, nullptr);
  EXPECT_EQ(cell->role(), QAccessible::Cell);
  EXPECT_EQ(cell->text(QAccessible::Name), grid.Cell(0, 4));
  EXPECT_EQ(table->indexOfChild(cell), 4 * 6);
  EXPECT_EQ(table->child(4 * 6), cell);
  QAccessibleTableCellInterface* place = cell->tableCellInterface();
  ASSERT_NE(place, nullptr);
  EXPECT_EQ(place->rowIndex(), 3);
  EXPECT_EQ(place->columnHeaderCells().value(0), title);
  // The selection both ways.
  Click(5, 1);
  EXPECT_EQ(rows->selectedRows(), QList<int>{5});
  EXPECT_TRUE(rows->cellAt(5, 2)->state().selected);
  EXPECT_FALSE(cell->state().selected);
  EXPECT_TRUE(rows->selectRow(7));
  EXPECT_EQ(grid.SelectedRecords(), (std::vector<RecordIndex>{{5}, {7}}));
  EXPECT_TRUE(rows->unselectRow(5));
  EXPECT_EQ(rows->selectedRows(), QList<int>{7});
  EXPECT_EQ(table->focusChild(), rows->cellAt(5, 1));
  // Another view: its cells, not those of the rows before.
  grid.ShowView(*document, Users(2));
  EXPECT_EQ(rows->rowCount(), grid.Model().rowCount());
  EXPECT_EQ(rows->cellAt(0, 0)->text(QAccessible::Name), grid.Cell(0, 1));
}

TEST_F(GridInput, ADoubleClickOnAColumnBorderFitsTheColumn) {
  const int fitted = grid.columnWidth(0);
  grid.setColumnWidth(0, 20);
  QHeaderView* header = grid.horizontalHeader();
  const QPoint border(header->sectionViewportPosition(0) + header->sectionSize(0) - 1, 5);
  QMouseEvent click(QEvent::MouseButtonDblClick, border, header->viewport()->mapToGlobal(border), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(header->viewport(), &click);
  EXPECT_EQ(grid.columnWidth(0), fitted);
  EXPECT_GT(fitted, 100);
}

}  // namespace
}  // namespace vantorel
