#pragma once
// The active text filters, and "Только отмеченные", as a row of chips: a chip names its
// filter, and a click on it removes that filter.
#include <QString>
#include <QWidget>
#include <vector>

#include "document/TextFilter.h"

class QHBoxLayout;

namespace vantorel {

class FilterChips : public QWidget {
  Q_OBJECT
 public:
  explicit FilterChips(QWidget* parent = nullptr);

  // Shows a chip for each of `texts` and, with `markedOnly`, one for the marks; the row hides
  // while it has none.
  void Show(const std::vector<TextFilter>& texts, bool markedOnly);
  // A chip's text: "+ текст" for a text to show, "− текст" for one to hide, "/…/" round a
  // regular expression, "Aa" after one whose letter case counts.
  static QString ChipText(const TextFilter& text);

 signals:
  // The person clicked the chip of text `index`.
  void TextRemoved(int index);
  // The person clicked the chip of the marks.
  void MarkedOnlyRemoved();

 private:
  QHBoxLayout* row_;
};

}  // namespace vantorel
