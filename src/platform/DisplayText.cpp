#include "platform/DisplayText.h"

#include "uStrUtils/Cp1251.h"

namespace vantorel {

QString FromCp1251(std::string_view bytes) {
  QString text(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
  QChar* out = text.data();
  for (char c : bytes) *out++ = QChar(static_cast<char16_t>(Cp1251CodePoint(static_cast<unsigned char>(c))));
  return text;
}

std::string ToCp1251(const QString& text) { return Utf8ToCp1251(text.toStdString()); }

}  // namespace vantorel
