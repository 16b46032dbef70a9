#pragma once
// A time picker that is one stop of the window's tab order, and whose section under a click
// takes the digits typed next.
#include <QTimeEdit>

namespace vantorel {

class TimePicker : public QTimeEdit {
  Q_OBJECT
 public:
  explicit TimePicker(QWidget* parent = nullptr);

 protected:
  // Tab and Shift+Tab leave the picker; the arrow keys and the separator move between its
  // hours, minutes and seconds.
  bool focusNextPrevChild(bool next) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace vantorel
