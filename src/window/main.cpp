// Vantorel: the viewer of the Ostrevane's journals.
//   vantorel [FILE...]   opens FILE at start as if it had been chosen in "Открыть журнал";
//                        several journals of one kind, or a folder's, open as one
#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "platform/SystemRegional.h"
#include "window/CorvanelForm.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(vantorel::kApplicationTitle);
  // Qt's own dialogs, menus and calendar speak the system's language.
  QTranslator qtTexts;
  if (qtTexts.load(QLocale::system(), "qtbase", "_", QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    QApplication::installTranslator(&qtTexts);
  }
  int status = 0;
  {
    vantorel::TCorvanelForm form(vantorel::SystemDateTimeRules());
    form.show();
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() > 1) form.Guarded([&] { form.OpenFromOutside(arguments.mid(1)); });
    status = QApplication::exec();
  }
  return status;
}
