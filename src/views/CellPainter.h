#pragma once
// Paints the grid's cells and titles with what the model gives: background, text colour and
// the start of the text at the cell's top-left corner.
#include <QHeaderView>
#include <vector>

#include "document/TextMatcher.h"

class QPainter;

namespace vantorel {

// What a data cell shows besides its colours and text.
struct CellFrame {
  // The cell's row is selected: a dotted frame.
  bool row = false;
  // The cell's row is the current row while the grid has the focus: a solid frame, told
  // apart from the selection's.
  bool current = false;
  // The row's frame closes at this cell's left or right side.
  bool first = false;
  bool last = false;
  // The cell a search found.
  bool found = false;
};

// The colour behind the places of a text filter's text in a cell.
QColor HighlightColour();

// `spans`: places in `content` (by character) to mark with the highlight colour.
void PaintCell(QPainter* painter, const QRect& rect, const QFont& font, const QColor& background,
               const QColor& text, const QString& content, CellFrame frame, const std::vector<TextSpan>& spans = {});

// The title row: the model's titles and colours, framed.
class TitleHeader : public QHeaderView {
  Q_OBJECT
 public:
  explicit TitleHeader(QWidget* parent);

 protected:
  void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;
};

}  // namespace vantorel
