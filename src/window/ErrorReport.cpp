#include "window/ErrorReport.h"

#include <QMessageBox>

#include "window/CorvanelForm.h"

namespace vantorel {

void ShowErrorBox(QWidget* parent, const QString& text) {
  QMessageBox box(QMessageBox::Critical, kApplicationTitle, text, QMessageBox::Ok, parent);
  box.exec();
}

}  // namespace vantorel
