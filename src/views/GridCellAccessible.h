#pragma once
// One cell of the journal table, or one title of its header row, for a screen reader.
#include <QAccessibleInterface>

namespace vantorel {

class GridAccessible;

class GridCellAccessible : public QAccessibleInterface, public QAccessibleTableCellInterface {
 public:
  // Model row `row` (-1: the header's title) and `column` of `table`'s grid.
  GridCellAccessible(const GridAccessible* table, int row, int column);

  void* interface_cast(QAccessible::InterfaceType type) override;
  bool isValid() const override;
  QObject* object() const override { return nullptr; }
  QWindow* window() const override;
  QAccessibleInterface* childAt(int, int) const override { return nullptr; }
  QAccessibleInterface* parent() const override;
  QAccessibleInterface* child(int) const override { return nullptr; }
  int childCount() const override { return 0; }
  int indexOfChild(const QAccessibleInterface*) const override { return -1; }
  QString text(QAccessible::Text t) const override;
  void setText(QAccessible::Text, const QString&) override {}
  QRect rect() const override;
  QAccessible::Role role() const override;
  QAccessible::State state() const override;

  bool isSelected() const override;
  QList<QAccessibleInterface*> columnHeaderCells() const override;
  QList<QAccessibleInterface*> rowHeaderCells() const override { return {}; }
  int columnIndex() const override { return column_; }
  int rowIndex() const override { return row_; }
  int columnExtent() const override { return 1; }
  int rowExtent() const override { return 1; }
  QAccessibleInterface* table() const override;

 private:
  const GridAccessible* table_;
  int row_;
  int column_;
};

}  // namespace vantorel
