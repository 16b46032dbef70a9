#include "views/CellPainter.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QPainter>
#include <QPalette>

#include "views/JournalTableModel.h"
#include "views/StringGrid.h"

namespace vantorel {
namespace {

// Text drawn with its top-left corner at the rectangle's, no margin, not clipped to it.
void DrawText(QPainter* painter, const QRect& rect, const QFont& font, const QColor& colour, const QString& text) {
  painter->setFont(font);
  painter->setPen(colour);
  painter->setClipping(false);
  painter->drawText(QPoint(rect.left(), rect.top() + QFontMetrics(font).ascent()), text);
}

}  // namespace

void CellPainter::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
  const QRect rect = option.rect;
  painter->save();
  painter->fillRect(rect, index.data(Qt::BackgroundRole).value<QColor>());
  DrawText(painter, rect, option.font, index.data(Qt::ForegroundRole).value<QColor>(),
           index.data(JournalTableModel::kPaintRole).toString());
  // Vertical lines between data columns; none between data rows.
  painter->setPen(QApplication::palette().color(QPalette::Mid));
  painter->drawLine(rect.topRight(), rect.bottomRight());
  // The colours stay; a selected row, and the current row while the table has the focus,
  // are framed with a dotted line, each cell drawing its part of the row's frame.
  const auto* view = qobject_cast<const QAbstractItemView*>(option.widget);
  const bool selected = (option.state & QStyle::State_Selected) != 0;
  const bool current = view != nullptr && view->hasFocus() && view->currentIndex().row() == index.row();
  if (selected || current) {
    QPen dotted(QColor(0, 0, 0));
    dotted.setStyle(Qt::DotLine);
    painter->setPen(dotted);
    painter->drawLine(rect.topLeft(), rect.topRight());
    painter->drawLine(rect.bottomLeft(), rect.bottomRight());
    if (index.column() == 0) painter->drawLine(rect.topLeft(), rect.bottomLeft());
    if (index.column() == index.model()->columnCount() - 1) painter->drawLine(rect.topRight(), rect.bottomRight());
  }
  // The cell a search found: a solid frame of its own, inside the cell.
  const auto* grid = qobject_cast<const JournalGrid*>(option.widget);
  if (grid != nullptr && grid->MarkedCell() == index) {
    painter->setPen(QPen(QColor(0, 0, 0), 2));
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(QRectF(rect).adjusted(1, 1, -1, -1));
  }
  painter->restore();
}

QSize CellPainter::sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const { return {0, 19}; }

TitleHeader::TitleHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {}

void TitleHeader::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const {
  painter->save();
  const QAbstractItemModel* titles = model();
  painter->fillRect(rect, titles->headerData(logicalIndex, Qt::Horizontal, Qt::BackgroundRole).value<QColor>());
  DrawText(painter, rect, font(), titles->headerData(logicalIndex, Qt::Horizontal, Qt::ForegroundRole).value<QColor>(),
           titles->headerData(logicalIndex, Qt::Horizontal, Qt::DisplayRole).toString());
  painter->setPen(QApplication::palette().color(QPalette::Mid));
  painter->drawLine(rect.topRight(), rect.bottomRight());
  painter->drawLine(rect.bottomLeft(), rect.bottomRight());
  painter->restore();
}

}  // namespace vantorel
