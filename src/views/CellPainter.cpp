#include "views/CellPainter.h"

#include <QApplication>
#include <QPainter>
#include <QPalette>

#include "views/AlarmColour.h"
#include "views/JournalTableModel.h"
#include "views/StringGrid.h"

namespace vantorel {

QColor ButtonFace() { return QApplication::palette().color(QPalette::Button); }

CellPainter::CellPainter(JournalGrid* grid) : QStyledItemDelegate(grid), grid_(grid) {}

CellColours CellPainter::ColoursOf(int row) const {
  CellColours colours{row % 2 == 0 ? ButtonFace() : QColor(255, 255, 255), QColor(0, 0, 0)};
  if (row > 0 && isAlarmJournal_ && isAlarmJournal_()) {
    std::string scratch;
    switch (AlarmTextColour(grid_->Model().CellBytes(row - 1, 5, scratch))) {
      case AlarmColour::Olive: colours.text = QColor(128, 128, 0); break;
      case AlarmColour::Green: colours.text = QColor(0, 128, 0); break;
      case AlarmColour::Maroon: colours.text = QColor(128, 0, 0); break;
    }
  }
  return colours;
}

void CellPainter::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
  const CellColours colours = ColoursOf(index.row() + 1);
  const QRect rect = option.rect;
  painter->save();
  painter->fillRect(rect, colours.background);
  painter->setFont(grid_->font());
  painter->setPen(colours.text);
  // Top-left corner, no margin, not clipped to the cell.
  painter->setClipping(false);
  const QFontMetrics metrics(grid_->font());
  painter->drawText(QPoint(rect.left(), rect.top() + metrics.ascent()), index.data(JournalTableModel::kPaintRole).toString());
  // Vertical lines between data columns; none between data rows.
  painter->setPen(QApplication::palette().color(QPalette::Mid));
  painter->drawLine(rect.topRight(), rect.bottomRight());
  painter->restore();
}

QSize CellPainter::sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const { return {0, 19}; }

TitleHeader::TitleHeader(JournalGrid* grid) : QHeaderView(Qt::Horizontal, grid), grid_(grid) {}

void TitleHeader::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const {
  painter->save();
  painter->fillRect(rect, ButtonFace());
  painter->setFont(grid_->font());
  painter->setPen(QColor(0, 0, 0));
  const QFontMetrics metrics(grid_->font());
  painter->drawText(QPoint(rect.left(), rect.top() + metrics.ascent()), grid_->Model().Title(logicalIndex));
  painter->setPen(QApplication::palette().color(QPalette::Mid));
  painter->drawLine(rect.topRight(), rect.bottomRight());
  painter->drawLine(rect.bottomLeft(), rect.bottomRight());
  painter->restore();
}

}  // namespace vantorel
