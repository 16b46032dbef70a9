#include "views/GridAccessible.h"

#include <QHeaderView>

#include "views/GridCellAccessible.h"
#include "views/StringGrid.h"

namespace vantorel {
namespace {

QAccessibleInterface* Factory(const QString& className, QObject* object) {
  if (className == QLatin1String("vantorel::JournalGrid") && object != nullptr && object->isWidgetType()) {
    return new GridAccessible(static_cast<JournalGrid*>(object));
  }
  return nullptr;
}

}  // namespace

GridAccessible::GridAccessible(JournalGrid* grid) : QAccessibleWidget(grid, QAccessible::Table) {}

GridAccessible::~GridAccessible() {
  for (const QAccessible::Id id : std::as_const(cells_)) QAccessible::deleteAccessibleInterface(id);
}

void GridAccessible::Install() {
  static const bool installed = [] {
    QAccessible::installFactory(&Factory);
    return true;
  }();
  (void)installed;
}

JournalGrid* GridAccessible::Grid() const { return static_cast<JournalGrid*>(widget()); }

void* GridAccessible::interface_cast(QAccessible::InterfaceType type) {
  if (type == QAccessible::TableInterface) return static_cast<QAccessibleTableInterface*>(this);
  return QAccessibleWidget::interface_cast(type);
}

void GridAccessible::Forget() const {
  if (generation_ == Grid()->Generation()) return;
  generation_ = Grid()->Generation();
  for (const QAccessible::Id id : std::as_const(cells_)) QAccessible::deleteAccessibleInterface(id);
  cells_.clear();
}

QAccessibleInterface* GridAccessible::Cell(int row, int column) const {
  Forget();
  if (column < 0 || column >= columnCount() || row < -1 || row >= rowCount()) return nullptr;
  const QPair<int, int> key(row, column);
  if (const auto found = cells_.constFind(key); found != cells_.constEnd()) return QAccessible::accessibleInterface(*found);
  auto* cell = new GridCellAccessible(this, row, column);
  cells_.insert(key, QAccessible::registerAccessibleInterface(cell));
  return cell;
}

int GridAccessible::columnCount() const { return Grid()->ColumnCount(); }
int GridAccessible::rowCount() const { return Grid()->Model().rowCount(); }

int GridAccessible::childCount() const {
  const long long cells = static_cast<long long>(rowCount() + 1) * columnCount();
  return static_cast<int>(std::min<long long>(cells, INT_MAX));
}

QAccessibleInterface* GridAccessible::child(int index) const {
  const int columns = columnCount();
  if (index < 0 || columns == 0) return nullptr;
  return Cell(index / columns - 1, index % columns);
}

int GridAccessible::indexOfChild(const QAccessibleInterface* child) const {
  const auto* cell = dynamic_cast<const GridCellAccessible*>(child);
  if (cell == nullptr) return -1;
  return (cell->rowIndex() + 1) * columnCount() + cell->columnIndex();
}

QAccessibleInterface* GridAccessible::childAt(int x, int y) const {
  const JournalGrid* grid = Grid();
  const QPoint inViewport = grid->viewport()->mapFromGlobal(QPoint(x, y));
  const int column = grid->horizontalHeader()->logicalIndexAt(inViewport.x());
  if (column < 0) return nullptr;
  if (inViewport.y() < 0) return Cell(-1, column);
  const int row = grid->rowAt(inViewport.y());
  return row < 0 ? nullptr : Cell(row, column);
}

QAccessibleInterface* GridAccessible::focusChild() const {
  const QModelIndex current = Grid()->currentIndex();
  return current.isValid() ? Cell(current.row(), current.column()) : nullptr;
}

QAccessibleInterface* GridAccessible::cellAt(int row, int column) const { return Cell(row, column); }

QString GridAccessible::columnDescription(int column) const { return Grid()->Model().Title(column); }

int GridAccessible::selectedRowCount() const {
  long long rows = 0;
  for (const auto& [first, last] : Grid()->SelectedRows().Spans()) rows += last - first + 1;
  return static_cast<int>(std::min<long long>(rows, INT_MAX));
}

QList<int> GridAccessible::selectedRows() const {
  QList<int> rows;
  for (const auto& [first, last] : Grid()->SelectedRows().Spans()) {
    for (int row = first; row <= last; ++row) rows.append(row);
  }
  return rows;
}

int GridAccessible::selectedCellCount() const {
  return static_cast<int>(std::min<long long>(static_cast<long long>(selectedRowCount()) * columnCount(), INT_MAX));
}

QList<QAccessibleInterface*> GridAccessible::selectedCells() const {
  QList<QAccessibleInterface*> cells;
  for (const int row : selectedRows()) {
    for (int column = 0; column < columnCount(); ++column) cells.append(Cell(row, column));
  }
  return cells;
}

bool GridAccessible::isRowSelected(int row) const { return Grid()->SelectedRows().Contains(row); }

bool GridAccessible::selectRow(int row) {
  if (row < 0 || row >= rowCount()) return false;
  Grid()->SelectRows(row, row);
  return true;
}

bool GridAccessible::unselectRow(int row) {
  if (row < 0 || row >= rowCount()) return false;
  Grid()->DeselectRows(row, row);
  return true;
}

}  // namespace vantorel
