// Vantorel: the viewer of the Ostrevane's journals.
//   vantorel [FILE...]   opens FILE at start as if it had been chosen in "Открыть журнал";
//                        several journals of one kind, or a folder's, open as one
//   vantorel --help | --version
//                        answered on the terminal, without a window or a display
#include <cstdio>

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "platform/SystemRegional.h"
#include "window/CommandLine.h"
#include "window/CorvanelForm.h"
#include "window/RussianQtWords.h"

namespace {

// Prints the answer of --help, --version or a refusal; its exit status, or -1 to go on.
int Answered(const vantorel::WindowCommandLine& line) {
  using Answer = vantorel::WindowCommandLine::Answer;
  if (line.answer == Answer::Help || line.answer == Answer::Version) {
    std::fputs(line.text.toLocal8Bit().constData(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
  }
  if (line.answer == Answer::Refuse) {
    std::fputs(line.text.toLocal8Bit().constData(), stderr);
    return 2;
  }
  return -1;
}

}  // namespace

int main(int argc, char** argv) {
  // The command line is read before QApplication, which would open the display: --help,
  // --version and bad options answer on a terminal without one.
  QStringList raw;
  for (int i = 0; i < argc; ++i) raw << QString::fromLocal8Bit(argv[i]);
  vantorel::WindowCommandLine line = vantorel::ReadCommandLine(raw);
  if (const int status = Answered(line); status >= 0) return status;

  QApplication app(argc, argv);
  if (line.answer == vantorel::WindowCommandLine::Answer::QtFirst) {
    // QApplication has taken Qt's own options: the rest are read again.
    line = vantorel::ReadCommandLine(QApplication::arguments());
    if (line.answer == vantorel::WindowCommandLine::Answer::QtFirst) line.answer = vantorel::WindowCommandLine::Answer::Refuse;
    if (const int status = Answered(line); status >= 0) return status;
  }
  QApplication::setApplicationName(vantorel::kApplicationTitle);
  // Qt's own dialogs, menus and calendar speak the system's language.
  QTranslator qtTexts;
  if (qtTexts.load(QLocale::system(), "qtbase", "_", QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    QApplication::installTranslator(&qtTexts);
  }
  // And the words that catalogue lacks, asked before it.
  vantorel::RussianQtWords ownTexts;
  if (QLocale::system().language() == QLocale::Russian) QApplication::installTranslator(&ownTexts);
  int status = 0;
  {
    vantorel::TCorvanelForm form(vantorel::SystemDateTimeRules());
    form.show();
    if (!line.files.isEmpty()) form.Guarded([&] { form.OpenFromOutside(line.files); });
    status = QApplication::exec();
  }
  return status;
}
