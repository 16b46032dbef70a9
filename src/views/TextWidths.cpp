#include "views/TextWidths.h"

#include <QFontMetricsF>
#include <cmath>

#include "uStrUtils/Cp1251.h"

namespace vantorel {

TextWidths::TextWidths(const QFont& font) {
  const QFontMetricsF metrics(font);
  for (int b = 0; b < 256; ++b) {
    const char32_t cp = Cp1251CodePoint(static_cast<unsigned char>(b));
    advance_[static_cast<size_t>(b)] = metrics.horizontalAdvance(QString(QChar(static_cast<char16_t>(cp))));
  }
}

int TextWidths::Width(std::string_view bytes) const {
  double sum = 0;
  for (char c : bytes) sum += advance_[static_cast<unsigned char>(c)];
  return static_cast<int>(std::ceil(sum - 1e-6));
}

}  // namespace vantorel
