#include "window/TimePicker.h"

#include <QLineEdit>
#include <QMouseEvent>

namespace vantorel {

TimePicker::TimePicker(QWidget* parent) : QTimeEdit(parent) { lineEdit()->installEventFilter(this); }

bool TimePicker::focusNextPrevChild(bool next) { return QWidget::focusNextPrevChild(next); }

bool TimePicker::eventFilter(QObject* watched, QEvent* event) {
  // A click leaves only a cursor in the section, where a digit would make it too long and be
  // refused: the whole section is selected, so that digits replace it.
  if (watched == lineEdit() && event->type() == QEvent::MouseButtonRelease &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton && !lineEdit()->hasSelectedText()) {
    const bool handled = QTimeEdit::eventFilter(watched, event);
    setSelectedSection(currentSection());
    return handled;
  }
  return QTimeEdit::eventFilter(watched, event);
}

}  // namespace vantorel
