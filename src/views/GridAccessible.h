#pragma once
// The journal table as a screen reader meets it: a table of rows and columns, its titles a
// header row, its cells' texts as shown, its selection by rows; not an empty scroll area.
#include <QAccessibleWidget>
#include <QHash>
#include <QPair>

namespace vantorel {

class JournalGrid;

class GridAccessible : public QAccessibleWidget, public QAccessibleTableInterface {
 public:
  explicit GridAccessible(JournalGrid* grid);
  ~GridAccessible() override;

  // The factory Qt asks for the interface of a JournalGrid; installed once.
  static void Install();

  void* interface_cast(QAccessible::InterfaceType type) override;
  // The children: the header's cells, then each row's cells, row by row.
  int childCount() const override;
  QAccessibleInterface* child(int index) const override;
  int indexOfChild(const QAccessibleInterface* child) const override;
  QAccessibleInterface* childAt(int x, int y) const override;
  QAccessibleInterface* focusChild() const override;

  QAccessibleInterface* caption() const override { return nullptr; }
  QAccessibleInterface* summary() const override { return nullptr; }
  QAccessibleInterface* cellAt(int row, int column) const override;
  int selectedCellCount() const override;
  QList<QAccessibleInterface*> selectedCells() const override;
  QString columnDescription(int column) const override;
  QString rowDescription(int) const override { return {}; }
  int selectedColumnCount() const override { return 0; }
  int selectedRowCount() const override;
  int columnCount() const override;
  int rowCount() const override;
  QList<int> selectedColumns() const override { return {}; }
  QList<int> selectedRows() const override;
  bool isColumnSelected(int) const override { return false; }
  bool isRowSelected(int row) const override;
  bool selectRow(int row) override;
  bool selectColumn(int) override { return false; }
  bool unselectRow(int row) override;
  bool unselectColumn(int) override { return false; }
  void modelChange(QAccessibleTableModelChangeEvent*) override {}

  JournalGrid* Grid() const;
  // The interface of a cell, row -1 being the header's; made once per view of the rows.
  QAccessibleInterface* Cell(int row, int column) const;

 private:
  // Forgets the cells of rows that another view now holds.
  void Forget() const;

  mutable QHash<QPair<int, int>, QAccessible::Id> cells_;
  mutable quint64 generation_ = 0;
};

}  // namespace vantorel
