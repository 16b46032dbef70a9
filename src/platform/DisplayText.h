#pragma once
// Journal bytes (Windows-1251) to the text a person sees, and back.
#include <QString>
#include <string>
#include <string_view>

namespace vantorel {

QString FromCp1251(std::string_view bytes);
// Characters the code page lacks become '?'.
std::string ToCp1251(const QString& text);

}  // namespace vantorel
