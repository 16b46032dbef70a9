#pragma once
// Paints the grid's cells and titles with what the model gives: background, text colour and
// the start of the text at the cell's top-left corner.
#include <QHeaderView>

class QPainter;

namespace vantorel {

// What a data cell shows besides its colours and text.
struct CellFrame {
  // The cell's row is selected, or is the current row while the grid has the focus.
  bool row = false;
  // The row's frame closes at this cell's left or right side.
  bool first = false;
  bool last = false;
  // The cell a search found.
  bool found = false;
};

void PaintCell(QPainter* painter, const QRect& rect, const QFont& font, const QColor& background,
               const QColor& text, const QString& content, CellFrame frame);

// The title row: the model's titles and colours, framed.
class TitleHeader : public QHeaderView {
  Q_OBJECT
 public:
  explicit TitleHeader(QWidget* parent);

 protected:
  void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;
};

}  // namespace vantorel
