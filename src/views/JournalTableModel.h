#pragma once
// The grid's model: row 0 of the table is the header, every data row an index into the
// records of the current kind; cell texts are made when a cell asks for them.
#include <QAbstractTableModel>
#include <QStringList>
#include <cstdint>
#include <string>
#include <vector>

#include "views/CellTexts.h"

namespace vantorel {

class JournalTableModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  // The start of a cell's text, as much as a screen can show: what the painter draws. A
  // field of megabytes is neither decoded nor laid out whole on every repaint.
  static constexpr int kPaintRole = Qt::UserRole + 1;
  static constexpr size_t kPaintedBytes = 4096;

  explicit JournalTableModel(QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

  void SetColumnCount(int count);
  // Empties the titles of the shown columns and every data row.
  void ClearColumns();
  // Drops every data row; the titles stay.
  void ClearRows();
  // Writes titles into row 0 from column 0 on; titles past the column count are kept.
  void WriteTitles(const QStringList& titles);
  // Shows `rows`, indices into `table`'s records (null: rows of empty cells).
  void SetRows(const JournalTable* table, std::vector<uint32_t> rows);
  // Rows of empty cells, as the grid has before any journal.
  void SetEmptyRows(int count);

  // The cell's text in journal bytes; empty for rows without a record.
  std::string_view CellBytes(int dataRow, int column, std::string& scratch) const;
  QString Title(int column) const;
  const JournalTable* Table() const { return table_; }
  const std::vector<uint32_t>& Rows() const { return rows_; }

 private:
  QStringList titles_;
  int columns_ = 0;
  const JournalTable* table_ = nullptr;
  std::vector<uint32_t> rows_;
  int emptyRows_ = 0;
  mutable std::string scratch_;
};

}  // namespace vantorel
