#pragma once
// Menu bar items that show their glyph and their caption side by side; the stock menu bar
// shows only the glyph of an item that has one.
#include <QProxyStyle>

namespace vantorel {

class MenuBarStyle : public QProxyStyle {
 public:
  using QProxyStyle::QProxyStyle;
  void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                   const QWidget* widget) const override;
  QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                         const QWidget* widget) const override;
};

}  // namespace vantorel
