#include "window/MenuBarStyle.h"

#include <QPainter>
#include <QStyleOptionMenuItem>

namespace vantorel {
namespace {
constexpr int kGlyph = 16;
constexpr int kGap = 4;
}  // namespace

void MenuBarStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                               const QWidget* widget) const {
  const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
  if (element != CE_MenuBarItem || item == nullptr || item->icon.isNull() || item->text.isEmpty()) {
    QProxyStyle::drawControl(element, option, painter, widget);
    return;
  }
  // Draw the item as a text item, then put the glyph into the room left at its left side.
  QStyleOptionMenuItem textItem(*item);
  textItem.icon = QIcon();
  textItem.rect.adjust(kGlyph + kGap, 0, 0, 0);
  QStyleOptionMenuItem background(*item);
  background.icon = QIcon();
  background.text.clear();
  QProxyStyle::drawControl(element, &background, painter, widget);
  QProxyStyle::drawControl(element, &textItem, painter, widget);
  const QRect glyph(item->rect.left() + kGap, item->rect.center().y() - kGlyph / 2, kGlyph, kGlyph);
  item->icon.paint(painter, glyph);
}

QSize MenuBarStyle::sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                                     const QWidget* widget) const {
  const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
  if (type != CT_MenuBarItem || item == nullptr || item->icon.isNull() || item->text.isEmpty()) {
    return QProxyStyle::sizeFromContents(type, option, size, widget);
  }
  QStyleOptionMenuItem textItem(*item);
  textItem.icon = QIcon();
  const QSize textSize = item->fontMetrics.size(Qt::TextShowMnemonic, item->text);
  QSize result = QProxyStyle::sizeFromContents(type, &textItem, textSize, widget);
  result.rwidth() += kGlyph + kGap;
  result.setHeight(std::max(result.height(), kGlyph + 4));
  return result;
}

}  // namespace vantorel
