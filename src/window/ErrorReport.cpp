#include "window/ErrorReport.h"

#include <QMessageBox>

#include "window/CorvanelForm.h"

namespace vantorel {
namespace {

// A message box lays its whole text out before it shows, and a megabyte takes it half a
// minute: a longer message (the quoted field of a broken journal) keeps its start and end.
constexpr qsizetype kLongestShown = 4000;
constexpr qsizetype kShownEnd = 1000;

QString Shortened(const QString& text) {
  if (text.size() <= kLongestShown) return text;
  return text.left(kLongestShown - kShownEnd) + QStringLiteral(" \u2026 ") + text.right(kShownEnd);
}

}  // namespace

void ShowErrorBox(QWidget* parent, const QString& text) {
  QMessageBox box(QMessageBox::Critical, kApplicationTitle, Shortened(text), QMessageBox::Ok, parent);
  box.exec();
}

}  // namespace vantorel
