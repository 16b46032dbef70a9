#pragma once
// The widths of Windows-1251 texts in a font, as the table draws them.
#include <QFont>

#include "document/ColumnWidths.h"

namespace vantorel {

// Each byte's advance in `font`. The grid's font draws without kerning, so a text measures
// the sum of its characters wherever it stands.
TextMeasure MeasureOf(const QFont& font);

}  // namespace vantorel
