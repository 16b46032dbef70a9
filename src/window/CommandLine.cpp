#include "window/CommandLine.h"

#include <algorithm>

#include <QCommandLineParser>

namespace vantorel {
namespace {

// The options QGuiApplication, QApplication and the X11 platform take for themselves, without
// the leading dash; QApplication removes them (and their values) from its arguments.
const char* const kQtOptions[] = {
    "platform", "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry", "qwindowicon",
    "qwindowtitle", "geometry", "title", "icon", "reverse", "session", "testability", "style",
    "stylesheet", "widgetcount", "qmljsdebugger", "display", "name", "visual", "nograb", "dograb",
};

bool IsQtOption(const QString& name) {
  for (const char* qt : kQtOptions) {
    if (name == QLatin1String(qt)) return true;
  }
  return false;
}

}  // namespace

QString WindowHelpText() {
  return QStringLiteral(
      "Usage: vantorel [OPTION...] [FILE...]\n"
      "The viewer of the journals of the Ostrevane network supervision unit.\n"
      "\n"
      "Each FILE opens at start as if it had been chosen in \"Открыть журнал\": a journal\n"
      "(.alarms, .action, .param or .stat); several journals of one kind, or a folder (its\n"
      "journals of the kind of its newest one), open as one table. An argument after \"--\"\n"
      "is a FILE whatever it begins with.\n"
      "\n"
      "Options:\n"
      "  -h, --help     this text\n"
      "  -v, --version  the program's name and version\n"
      "The options of Qt programs (-platform, -style, ...) are taken too.\n"
      "\n"
      "Dates and times are read and shown by the system's regional settings (LC_ALL,\n"
      "LC_TIME, LANG).\n");
}

QString WindowVersionText() { return QStringLiteral("vantorel " VANTOREL_VERSION "\n"); }

WindowCommandLine ReadCommandLine(const QStringList& arguments) {
  QCommandLineParser parser;
  // "-platform" is one option, as Qt spells its own, not "-p -l -a ...".
  parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
  const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
  const QCommandLineOption version(QStringList{QStringLiteral("v"), QStringLiteral("version")});
  parser.addOption(help);
  parser.addOption(version);
  parser.addPositionalArgument(QStringLiteral("FILE"), QString(), QStringLiteral("[FILE...]"));

  WindowCommandLine line;
  if (!parser.parse(arguments)) {
    const QStringList unknown = parser.unknownOptionNames();
    const bool onlyQt = !unknown.isEmpty() && std::all_of(unknown.begin(), unknown.end(), IsQtOption);
    line.answer = onlyQt ? WindowCommandLine::Answer::QtFirst : WindowCommandLine::Answer::Refuse;
    line.text = QStringLiteral("vantorel: ") + parser.errorText() + QStringLiteral("\n") +
                QStringLiteral("Usage: vantorel [OPTION...] [FILE...]; vantorel --help tells more.\n");
    return line;
  }
  if (parser.isSet(help)) {
    line.answer = WindowCommandLine::Answer::Help;
    line.text = WindowHelpText();
  } else if (parser.isSet(version)) {
    line.answer = WindowCommandLine::Answer::Version;
    line.text = WindowVersionText();
  } else {
    line.files = parser.positionalArguments();
  }
  return line;
}

}  // namespace vantorel
