#include "views/CellPainter.h"

#include <QApplication>
#include <QPainter>
#include <QPalette>

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

void PaintCell(QPainter* painter, const QRect& rect, const QFont& font, const QColor& background,
               const QColor& text, const QString& content, CellFrame frame) {
  painter->save();
  painter->fillRect(rect, background);
  DrawText(painter, rect, font, text, content);
  // Vertical lines between data columns; none between data rows.
  painter->setPen(QApplication::palette().color(QPalette::Mid));
  painter->drawLine(rect.topRight(), rect.bottomRight());
  // The colours stay; a framed row gets a dotted line, each cell drawing its part.
  if (frame.row) {
    QPen dotted(QColor(0, 0, 0));
    dotted.setStyle(Qt::DotLine);
    painter->setPen(dotted);
    painter->drawLine(rect.topLeft(), rect.topRight());
    painter->drawLine(rect.bottomLeft(), rect.bottomRight());
    if (frame.first) painter->drawLine(rect.topLeft(), rect.bottomLeft());
    if (frame.last) painter->drawLine(rect.topRight(), rect.bottomRight());
  }
  // The found cell: a solid frame of its own, inside the cell.
  if (frame.found) {
    painter->setPen(QPen(QColor(0, 0, 0), 2));
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(QRectF(rect).adjusted(1, 1, -1, -1));
  }
  painter->restore();
}

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
