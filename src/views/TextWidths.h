#pragma once
// Pixel widths of Windows-1251 texts in one font.
#include <QFont>
#include <array>
#include <string_view>

namespace vantorel {

// A text's width is the sum of its characters' advances: the grid's font draws without
// kerning, so a text measures the same wherever it stands, and a width costs one table
// look-up per byte.
class TextWidths {
 public:
  explicit TextWidths(const QFont& font);
  int Width(std::string_view bytes) const;

 private:
  std::array<double, 256> advance_{};
};

}  // namespace vantorel
