// Vantorel: the viewer of the Ostrevane's journals.
#include <QApplication>

#include "window/CorvanelForm.h"
#include "window/SystemRegional.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(vantorel::kApplicationTitle);
  int status = 0;
  {
    vantorel::TCorvanelForm form(vantorel::SystemDateTimeRules());
    form.show();
    status = QApplication::exec();
  }
  return status;
}
