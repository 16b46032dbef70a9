#pragma once
// The journal table: one title row (the header) above the data rows of the model.
#include <QHeaderView>
#include <QTableView>
#include <memory>
#include <vector>

#include "views/JournalTableModel.h"
#include "views/TextWidths.h"

namespace vantorel {

class CellPainter;

// Grid rows count the title row: grid row r > 0 is model row r - 1.
class JournalGrid : public QTableView {
  Q_OBJECT
 public:
  explicit JournalGrid(QWidget* parent = nullptr);
  ~JournalGrid() override;

  JournalTableModel& Model() { return model_; }
  CellPainter& Painter() { return *painter_; }
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
  // Column width = max(pad, widest data text) + pad; the title is not measured.
  void FitColumnWidth(int column, int pad);
  // FitColumnWidth for every column, in one pass over the rows.
  void FitColumnWidths(int pad);
  // Shows `rows` of `table` after a view has picked them.
  void ShowRows(const JournalTable* table, std::vector<uint32_t> rows);

  // The width of a text as the grid draws it.
  int TextWidth(std::string_view bytes) const { return widths_->Width(bytes); }

 protected:
  void changeEvent(QEvent* event) override;

 private:
  int DataTextWidth(size_t dataRow, int column);
  // The measured widths of a record's cells, measuring those not measured yet.
  const uint16_t* RecordWidths(size_t record);

  JournalTableModel model_;
  CellPainter* painter_;
  int fixedRows_ = 1;
  std::unique_ptr<TextWidths> widths_;
  // Width of each record's cells, measured once per journal: a filter change only takes
  // maxima. 0xFFFF marks a width not measured yet.
  const JournalTable* measuredTable_ = nullptr;
  std::vector<uint16_t> recordWidths_;
};

}  // namespace vantorel
