#pragma once
// The narrow strip left of the table's rows that shows which records are marked.
#include <QWidget>

namespace vantorel {

class JournalGrid;

class MarkGutter : public QWidget {
  Q_OBJECT
 public:
  explicit MarkGutter(JournalGrid* grid);

 protected:
  void paintEvent(QPaintEvent* event) override;
  // A click on a row's place marks or unmarks that row alone.
  void mousePressEvent(QMouseEvent* event) override;

 signals:
  // The person clicked the gutter beside model row `row`.
  void RowClicked(int row);

 private:
  JournalGrid* grid_;
};

}  // namespace vantorel
