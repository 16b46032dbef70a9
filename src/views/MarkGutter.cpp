#include "views/MarkGutter.h"

#include <QMouseEvent>
#include <QPainter>

#include "views/JournalTableModel.h"
#include "views/StringGrid.h"

namespace vantorel {

MarkGutter::MarkGutter(JournalGrid* grid) : QWidget(grid), grid_(grid) {
  setObjectName("MarkGutter");
  setCursor(Qt::PointingHandCursor);
}

void MarkGutter::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), ButtonFace());
  const JournalTableModel& model = grid_->Model();
  const int first = grid_->FirstRowInView();
  if (first < 0) return;
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(0, 0, 128));
  for (int row = first; row < model.rowCount(); ++row) {
    const int top = grid_->RowTop(row);
    if (top >= height()) break;
    if (!model.Marked(ShownRow{static_cast<uint32_t>(row)})) continue;
    // A small disc, in the middle of the row's height.
    const int size = 7;
    painter.drawEllipse(QRect((width() - size) / 2, top + (JournalGrid::kRowHeight - size) / 2, size, size));
  }
}

void MarkGutter::mousePressEvent(QMouseEvent* event) {
  const int row = grid_->rowAt(static_cast<int>(event->position().y()));
  if (row >= 0 && event->button() == Qt::LeftButton) emit RowClicked(row);
}

}  // namespace vantorel
