#pragma once
// Paints every cell of the grid: alternating row backgrounds, and for alarm journals the
// text colour of each row's message.
#include <QColor>
#include <QHeaderView>
#include <QStyledItemDelegate>
#include <functional>

namespace vantorel {

class JournalGrid;

// The colours of one cell, grid row 0 being the title row.
struct CellColours {
  QColor background;
  QColor text;
};

class CellPainter : public QStyledItemDelegate {
  Q_OBJECT
 public:
  explicit CellPainter(JournalGrid* grid);

  // True while the current journal is an alarm journal; set by the window.
  void SetIsAlarmJournal(std::function<bool()> isAlarmJournal) { isAlarmJournal_ = std::move(isAlarmJournal); }

  // StringGridDrawCell's choice for grid cell (column, row); selection plays no part.
  CellColours ColoursOf(int row) const;

  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

 private:
  JournalGrid* grid_;
  std::function<bool()> isAlarmJournal_;
};

// The title row: button face, black text at the cell's top-left corner, framed.
class TitleHeader : public QHeaderView {
  Q_OBJECT
 public:
  explicit TitleHeader(JournalGrid* grid);

 protected:
  void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;

 private:
  JournalGrid* grid_;
};

// The system button-face colour.
QColor ButtonFace();

}  // namespace vantorel
