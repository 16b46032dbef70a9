#include "views/GridCellAccessible.h"

#include <QHeaderView>

#include "views/GridAccessible.h"
#include "views/StringGrid.h"

namespace vantorel {

GridCellAccessible::GridCellAccessible(const GridAccessible* table, int row, int column)
    : table_(table), row_(row), column_(column) {}

void* GridCellAccessible::interface_cast(QAccessible::InterfaceType type) {
  if (type == QAccessible::TableCellInterface) return static_cast<QAccessibleTableCellInterface*>(this);
  return nullptr;
}

bool GridCellAccessible::isValid() const {
  const JournalGrid* grid = table_->Grid();
  return grid != nullptr && column_ < grid->ColumnCount() && row_ < grid->Model().rowCount();
}

QWindow* GridCellAccessible::window() const { return table_->window(); }

QAccessibleInterface* GridCellAccessible::parent() const { return const_cast<GridAccessible*>(table_); }

QAccessibleInterface* GridCellAccessible::table() const { return const_cast<GridAccessible*>(table_); }

QString GridCellAccessible::text(QAccessible::Text t) const {
  if (t != QAccessible::Name && t != QAccessible::Value) return {};
  // The grid's row 0 is the header's titles.
  return table_->Grid()->Cell(column_, row_ + 1);
}

QRect GridCellAccessible::rect() const {
  const JournalGrid* grid = table_->Grid();
  if (row_ < 0) {
    const QHeaderView* header = grid->horizontalHeader();
    const QRect section(header->sectionViewportPosition(column_), 0, header->sectionSize(column_), header->height());
    return QRect(header->viewport()->mapToGlobal(section.topLeft()), section.size());
  }
  const QRect cell = grid->visualRect(grid->Model().index(row_, column_));
  return QRect(grid->viewport()->mapToGlobal(cell.topLeft()), cell.size());
}

QAccessible::Role GridCellAccessible::role() const { return row_ < 0 ? QAccessible::ColumnHeader : QAccessible::Cell; }

QAccessible::State GridCellAccessible::state() const {
  QAccessible::State state;
  const JournalGrid* grid = table_->Grid();
  if (row_ < 0) return state;
  state.selectable = true;
  state.focusable = true;
  state.selected = isSelected();
  const QModelIndex current = grid->currentIndex();
  state.focused = grid->hasFocus() && current.isValid() && current.row() == row_ && current.column() == column_;
  const QRect shown = grid->visualRect(grid->Model().index(row_, column_));
  state.invisible = !shown.intersects(grid->viewport()->rect());
  return state;
}

bool GridCellAccessible::isSelected() const { return row_ >= 0 && table_->Grid()->SelectedRows().Contains(row_); }

QList<QAccessibleInterface*> GridCellAccessible::columnHeaderCells() const {
  if (row_ < 0) return {};
  return {table_->Cell(-1, column_)};
}

}  // namespace vantorel
