#include "window/ElidedLabel.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOption>

namespace vantorel {

ElidedLabel::ElidedLabel(QWidget* parent) : QLabel(parent) {}

void ElidedLabel::SetWholeText(const QString& text) {
  setText(text);
  UpdateToolTip();
}

QString ElidedLabel::ShownText() const {
  return fontMetrics().elidedText(text(), Qt::ElideMiddle, std::max(0, contentsRect().width()));
}

void ElidedLabel::UpdateToolTip() { setToolTip(ShownText() == text() ? QString() : text()); }

void ElidedLabel::paintEvent(QPaintEvent* event) {
  // The frame as a label draws it, the text cut to fit.
  QFrame::paintEvent(event);
  QPainter painter(this);
  const QRect area = contentsRect();
  style()->drawItemText(&painter, area, static_cast<int>(alignment()), palette(), isEnabled(), ShownText(), foregroundRole());
}

void ElidedLabel::resizeEvent(QResizeEvent* event) {
  QLabel::resizeEvent(event);
  UpdateToolTip();
}

}  // namespace vantorel
