#pragma once
// Paints the grid's cells and titles with what the model gives: background, text colour and
// the start of the text at the cell's top-left corner.
#include <QHeaderView>
#include <QStyledItemDelegate>

namespace vantorel {

class CellPainter : public QStyledItemDelegate {
  Q_OBJECT
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

// The title row: the model's titles and colours, framed.
class TitleHeader : public QHeaderView {
  Q_OBJECT
 public:
  explicit TitleHeader(QWidget* parent);

 protected:
  void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;
};

}  // namespace vantorel
