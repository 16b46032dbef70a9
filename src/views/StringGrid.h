#pragma once
// The journal table: one title row (the header) above the data rows of the model.
#include <QTableView>
#include <memory>
#include <vector>

#include "views/JournalTableModel.h"
#include "views/TextWidths.h"

namespace vantorel {

// Grid rows count the title row: grid row r > 0 is model row r - 1.
class JournalGrid : public QTableView {
  Q_OBJECT
 public:
  explicit JournalGrid(QWidget* parent = nullptr);
  ~JournalGrid() override;

  JournalTableModel& Model() { return model_; }
  const JournalTableModel& Model() const { return model_; }

  int ColumnCount() const { return model_.columnCount(); }
  // Data rows plus the title row.
  int RowCount() const { return model_.rowCount() + 1; }
  // 1 while row 0 is the fixed title row; 0 while the grid has no data row.
  int FixedRows() const { return fixedRows_; }
  void SetFixedRows(int rows);
  // The text of a cell, row 0 being the titles.
  QString Cell(int column, int row) const;

  // Empties every cell of the shown columns, titles too, and leaves the title row alone.
  void ClearGridColumns();
  // Drops every data row; the titles stay.
  void ClearGridRows();
  // Sets the column count and writes the first line's titles into row 0.
  void LoadHeaderRow(const QStringList& titles, int columnCount);
  // Shows the records of `document` that pass `state`.
  void ShowView(const JournalDocument& document, const FilterState& state);
  // Adds the rows of the records from `first` on, after a journal grew. When the last row was
  // in view, the new last row comes into view.
  void AppendView(const JournalDocument& document, const FilterState& state, size_t first);
  // Shows grid row `row` at the top, as far as the rows below it allow.
  void ScrollToRow(int row);
  // Takes the widths of `document` measured beside the window while it loaded; without them
  // they are measured when first needed. Measured in another font, they are dropped.
  void AdoptWidths(const JournalDocument& document, std::unique_ptr<WidthIndex> widths);
  // Column width = max(pad, widest data text) + pad; the title is not measured.
  void FitColumnWidth(int column, int pad);
  // FitColumnWidth for every column at once.
  void FitColumnWidths(int pad);

  // The records of the selected rows, in shown order.
  std::vector<uint32_t> SelectedRecords() const;
  // Makes the cell at grid row `row` (1 and on) and `column` current, its row selected alone,
  // scrolls the cell into view and marks it with a frame of its own until the current cell
  // moves or the rows change.
  void GoToMatch(int row, int column);
  // The marked cell, invalid when none.
  QModelIndex MarkedCell() const { return marked_; }

  // The measure of the grid's font, and the width of a text as the grid draws it.
  const TextMeasure& Measure() const { return measure_; }
  int TextWidth(std::string_view bytes) const { return measure_.Width(bytes); }

 protected:
  void changeEvent(QEvent* event) override;
  // The current row's frame follows the current row and the focus: its rows are painted anew.
  void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  // The widest shown text of each column.
  std::vector<int> WidestTexts();

  JournalTableModel model_;
  QPersistentModelIndex marked_;
  int fixedRows_ = 1;
  // The pad of the last fit, for a double click on a column border.
  int pad_ = 50;
  TextMeasure measure_;
  // The widths of the shown document's records, in this grid's font.
  std::unique_ptr<WidthIndex> widths_;
  const JournalDocument* measured_ = nullptr;
};

}  // namespace vantorel
