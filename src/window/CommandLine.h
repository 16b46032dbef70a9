#pragma once
// vantorel's command line, read with QCommandLineParser: --help and --version are answered on
// the terminal before anything of a display is touched; the rest are the journals to open.
#include <QString>
#include <QStringList>

namespace vantorel {

struct WindowCommandLine {
  enum class Answer {
    Open,     // start the window, opening `files` (none: an empty window)
    Help,     // print `text` on standard output, exit 0
    Version,  // the same
    Refuse,   // print `text` on standard error, exit 2
    QtFirst,  // options of Qt's own are on the line: read it again once QApplication took them
  };
  Answer answer = Answer::Open;
  QStringList files;
  QString text;
};

// Reads `arguments`, the program's name first. Every argument that is no option is a FILE, as
// is every argument after "--".
WindowCommandLine ReadCommandLine(const QStringList& arguments);

// The text of --help and of --version.
QString WindowHelpText();
QString WindowVersionText();

}  // namespace vantorel
