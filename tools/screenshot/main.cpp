// Takes a picture of the viewer with a journal open, for the README:
//   vantorel-screenshot JOURNAL OUT.png
#include <QApplication>
#include <QPixmap>
#include <QTimer>
#include <cstdio>

#include "window/CorvanelForm.h"
#include "platform/SystemRegional.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: vantorel-screenshot JOURNAL OUT.png\n");
    return 2;
  }
  QApplication app(argc, argv);
  QApplication::setApplicationName(vantorel::kApplicationTitle);
  vantorel::TCorvanelForm form(vantorel::SystemDateTimeRules());
  const QString journal = QString::fromLocal8Bit(argv[1]);
  form.runOpenDialog = [journal](QFileDialog&) { return journal; };
  form.showErrorReport = [](const QString& text) { std::fprintf(stderr, "%s\n", qPrintable(text)); };
  form.show();
  int status = 1;
  // The picture is taken once the load beside the window has ended and the window painted.
  QObject::connect(&form, &vantorel::TCorvanelForm::LoadEnded, [&] {
    QTimer::singleShot(300, [&] {
      status = form.grab().save(QString::fromLocal8Bit(argv[2])) ? 0 : 1;
      QApplication::quit();
    });
  });
  form.Guarded([&form] { form.OpenClick(); });
  QApplication::exec();
  return status;
}
