#include "window/MenuGlyphs.h"

#include <QPainter>
#include <QPixmap>

namespace vantorel {
namespace {

QIcon Ring(double radius, double dotRadius) {
  QPixmap pixmap(16, 16);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(Qt::black, 1.5));
  painter.setBrush(Qt::NoBrush);
  const QPointF centre(8, 8);
  painter.drawEllipse(centre, radius, radius);
  if (dotRadius > 0) {
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    painter.drawEllipse(centre, dotRadius, dotRadius);
  }
  return QIcon(pixmap);
}

}  // namespace

std::array<QIcon, 4> MakeRingGlyphs() { return {Ring(6.5, 0), Ring(6.5, 3.5), Ring(4.0, 0), Ring(4.0, 2.0)}; }

}  // namespace vantorel
