#pragma once
// The application's error report.
#include <QString>

class QWidget;

namespace vantorel {

// A message box captioned with the application title, an error icon and one button.
void ShowErrorBox(QWidget* parent, const QString& text);

}  // namespace vantorel
