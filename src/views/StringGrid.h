#pragma once
// The journal table: one title row (the header) above the data rows of the model, painted a
// visible row at a time. Nothing in it grows with the rows but the model's row index.
#include <QAbstractScrollArea>
#include <QModelIndex>
#include <memory>
#include <optional>
#include <vector>

#include "views/JournalTableModel.h"
#include "views/RowRanges.h"
#include "views/TextWidths.h"

class QHeaderView;
class QTimer;

namespace vantorel {

class TitleHeader;
class MarkGutter;

// Grid rows count the title row: grid row r > 0 is model row r - 1. Selection, current row
// and the marked cell are in model rows.
class JournalGrid : public QAbstractScrollArea {
  Q_OBJECT
 public:
  static constexpr int kRowHeight = 19;
  static constexpr int kDefaultColumnWidth = 108;
  // The gutter left of the rows that shows the marks, while there are any.
  static constexpr int kGutterWidth = 12;

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
  // Shows `row` at the top, as far as the rows below it allow.
  void ScrollToRow(ShownRow row);
  // The shown row at the top; none when no row shows.
  std::optional<ShownRow> TopRow() const;
  // Takes the widths of `document` measured beside the window while it loaded; without them
  // they are measured when first needed. Measured in another font, they are dropped.
  void AdoptWidths(const JournalDocument& document, std::unique_ptr<WidthIndex> widths);
  // The shown document's records from `first` on changed: their widths are measured again.
  void RecordsChanged(size_t first);
  // Column width = max(pad, widest data text) + pad; the title is not measured.
  void FitColumnWidth(int column, int pad);
  // FitColumnWidth for every column at once.
  void FitColumnWidths(int pad);
  // FitColumnWidths with the widest data texts already found (by WidthIndex::Widest).
  void FitColumnWidths(int pad, const std::vector<int>& widest);
  // The widths of `document`, measured up to its records as they stand, to be read beside the
  // window: the grid measures a copy of its own when the journal changes meanwhile.
  std::shared_ptr<const WidthIndex> Widths(const JournalDocument& document);

  // The records of the selected rows, in shown order.
  std::vector<RecordIndex> SelectedRecords() const;
  // Adds the rows that show `records` (in shown order) to the selection; records not shown
  // are passed over.
  void SelectRecords(const std::vector<RecordIndex>& records);
  // Adds model rows first to last to the selection.
  void SelectRows(int first, int last);
  // Takes model rows first to last out of the selection.
  void DeselectRows(int first, int last);
  // Counts the views of rows: each reset of the model makes another.
  quint64 Generation() const { return generation_; }
  const RowRanges& SelectedRows() const { return selection_; }
  // Makes the cell of `row` and `column` current, its row selected alone, scrolls the cell
  // into view and marks it with a frame of its own until the current cell moves or the rows
  // change.
  void GoToMatch(ShownRow row, int column);
  // The marked cell, invalid when none.
  QModelIndex MarkedCell() const;
  // The marked records: a gutter shows them while there are any; without, the grid has none.
  void SetMarks(std::shared_ptr<const RecordMarks> marks);
  // The gutter of the marks; hidden while there are none.
  MarkGutter* Gutter() const { return gutter_; }
  // The rows a viewport shows, from the first; for the gutter and accessibility.
  int FirstRowInView() const { return rowAt(0); }
  // The row's top in viewport coordinates.
  int RowTop(int row) const { return row * kRowHeight - VerticalOffset(); }

  // The measure of the grid's font, and the width of a text as the grid draws it.
  const TextMeasure& Measure() const { return measure_; }
  int TextWidth(std::string_view bytes) const { return measure_.Width(bytes); }

  // As a table view's: model rows and columns, viewport coordinates.
  QHeaderView* horizontalHeader() const;
  int columnWidth(int column) const;
  void setColumnWidth(int column, int width);
  QModelIndex currentIndex() const;
  // The model row under viewport height `y`; -1 for none.
  int rowAt(int y) const;
  QModelIndex indexAt(const QPoint& point) const;
  QRect visualRect(const QModelIndex& index) const;
  // Model row `row` current and selected alone, brought into view.
  void selectRow(int row);
  void selectAll();
  void clearSelection();

 protected:
  void changeEvent(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  // The current row's frame follows the focus.
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  bool viewportEvent(QEvent* event) override;

 private:
  // The widest shown text of each column.
  std::vector<int> WidestTexts();
  // How far the rows are scrolled, in pixels.
  int VerticalOffset() const;
  // Rows wholly in view, at least 1.
  int RowsInView() const;
  void UpdateGeometries();
  void UpdateScrollBars();
  // Brings the scroll bars up to the rows after a reset.
  void Settle() const;
  // A reset makes other records of the same row numbers: selection, current row and mark go.
  void ForgetRows();
  // The current cell moves; the mark stays only on the cell it marks.
  void SetCurrent(int row, int column);
  void EnsureVisible(int row, int column);
  // Selection = `row` alone, the anchor of later extensions.
  void SelectOnly(int row);
  // Selection = what it was at the anchor's choosing, plus anchor to `row`.
  void ExtendTo(int row);
  void Toggle(int row);
  // A drag past the top or the bottom goes on scrolling while the button is held there.
  void DragScroll();
  // The drag's selection extended to the row under `y` (viewport coordinates).
  void DragTo(int y);

  JournalTableModel model_;
  TitleHeader* header_ = nullptr;
  RowRanges selection_;
  // The selection apart from the anchor's range, which a Shift key or a drag redraws.
  RowRanges kept_;
  int anchor_ = -1;
  int currentRow_ = -1;
  int currentColumn_ = 0;
  int markedRow_ = -1;
  int markedColumn_ = -1;
  // A press on a selected row selects it alone at the release, unless the mouse drags.
  int pressedRow_ = -1;
  bool selectOnRelease_ = false;
  // Where the held button last was, in viewport coordinates, and the timer that scrolls on.
  QPoint dragAt_;
  QTimer* dragScroll_ = nullptr;
  MarkGutter* gutter_ = nullptr;
  quint64 generation_ = 0;
  int fixedRows_ = 1;
  mutable bool layoutPending_ = false;
  // The pad of the last fit, for a double click on a column border.
  int pad_ = 50;
  TextMeasure measure_;
  // The widths of the shown document's records, in this grid's font.
  // Shared with a view selected beside the window while it measures it.
  std::shared_ptr<WidthIndex> widths_;
  const JournalDocument* measured_ = nullptr;
};

}  // namespace vantorel
