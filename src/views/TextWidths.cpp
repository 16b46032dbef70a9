#include "views/TextWidths.h"

#include <QFontMetricsF>
#include <cmath>

#include "uStrUtils/Cp1251.h"

namespace vantorel {

TextMeasure MeasureOf(const QFont& font) {
  const QFontMetricsF metrics(font);
  TextMeasure measure;
  for (int b = 0; b < 256; ++b) {
    const char32_t cp = Cp1251CodePoint(static_cast<unsigned char>(b));
    const double advance = metrics.horizontalAdvance(QString(QChar(static_cast<char16_t>(cp))));
    // Fonts measure in 1/64 pixel: the advance is a whole number of them.
    measure.advance[static_cast<size_t>(b)] = static_cast<uint32_t>(std::lround(std::max(0.0, advance) * 64));
  }
  return measure;
}

}  // namespace vantorel
