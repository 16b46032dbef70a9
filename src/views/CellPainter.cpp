#include "views/CellPainter.h"

#include <QApplication>
#include <QPainter>
#include <QPalette>
#include <algorithm>

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

QColor HighlightColour() { return QColor(255, 230, 0); }

void PaintCell(QPainter* painter, const QRect& rect, const QFont& font, const QColor& background,
               const QColor& text, const QString& content, CellFrame frame, const std::vector<TextSpan>& spans) {
  painter->save();
  painter->fillRect(rect, background);
  if (!spans.empty()) {
    const QFontMetrics metrics(font);
    for (const TextSpan& span : spans) {
      const auto begin = static_cast<qsizetype>(std::min<size_t>(span.begin, static_cast<size_t>(content.size())));
      const auto end = static_cast<qsizetype>(std::min<size_t>(span.end, static_cast<size_t>(content.size())));
      const int left = metrics.horizontalAdvance(content.left(begin));
      const int width = metrics.horizontalAdvance(content.mid(begin, end - begin));
      if (left >= rect.width()) break;
      painter->fillRect(QRect(rect.left() + left, rect.top(), std::min(width, rect.width() - left), rect.height()),
                        HighlightColour());
    }
  }
  DrawText(painter, rect, font, text, content);
  // Vertical lines between data columns; none between data rows.
  painter->setPen(QApplication::palette().color(QPalette::Mid));
  painter->drawLine(rect.topRight(), rect.bottomRight());
  // The colours stay; a framed row gets a dotted line (the current row a solid one), each cell
  // drawing its part.
  if (frame.row || frame.current) {
    QPen line(QColor(0, 0, 0));
    line.setStyle(frame.current ? Qt::SolidLine : Qt::DotLine);
    painter->setPen(line);
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
