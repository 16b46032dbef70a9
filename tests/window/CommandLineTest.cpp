// vantorel's command line: --help and --version answered before any display, FILEs and
// folders as the window opened them before there were options, Qt's own options left to
// QApplication, anything else refused.
#include <gtest/gtest.h>

#include "window/CommandLine.h"

namespace vantorel {
namespace {

using Answer = WindowCommandLine::Answer;

WindowCommandLine Read(QStringList arguments) {
  arguments.prepend(QStringLiteral("vantorel"));
  return ReadCommandLine(arguments);
}

TEST(CommandLineTest, FilesAndFoldersAreOpenedInTheirOrder) {
  EXPECT_EQ(Read({}).answer, Answer::Open);
  EXPECT_TRUE(Read({}).files.isEmpty());
  const WindowCommandLine line = Read({"Log/sample.alarms", "unit7/", "/tmp/x y.alarms", "-", "Журнал.param"});
  EXPECT_EQ(line.answer, Answer::Open);
  EXPECT_EQ(line.files, (QStringList{"Log/sample.alarms", "unit7/", "/tmp/x y.alarms", "-", "Журнал.param"}));
  // After "--" a name that begins with a dash is a FILE too.
  EXPECT_EQ(Read({"a.alarms", "--", "--help", "-v.alarms"}).files, (QStringList{"a.alarms", "--help", "-v.alarms"}));
}

TEST(CommandLineTest, HelpAndVersionAnswerWhereverTheyStand) {
  for (const QStringList& arguments :
       {QStringList{"--help"}, QStringList{"-h"}, QStringList{"a.alarms", "--help"}, QStringList{"--help", "--version"}}) {
    const WindowCommandLine line = Read(arguments);
    EXPECT_EQ(line.answer, Answer::Help) << arguments.join(' ').toStdString();
    EXPECT_EQ(line.text, WindowHelpText());
  }
  for (const QStringList& arguments : {QStringList{"--version"}, QStringList{"-v"}, QStringList{"x.stat", "-v"}}) {
    const WindowCommandLine line = Read(arguments);
    EXPECT_EQ(line.answer, Answer::Version) << arguments.join(' ').toStdString();
    EXPECT_EQ(line.text, QStringLiteral("vantorel 1.5\n"));
  }
  EXPECT_TRUE(WindowHelpText().startsWith("Usage: vantorel [OPTION...] [FILE...]\n"));
  EXPECT_TRUE(WindowHelpText().contains("--version"));
}

TEST(CommandLineTest, QtsOwnOptionsWaitForQApplicationAndOthersAreRefused) {
  for (const QStringList& arguments :
       {QStringList{"-platform", "offscreen", "a.alarms"}, QStringList{"--style=fusion"}, QStringList{"-reverse", "-style", "x"}}) {
    EXPECT_EQ(Read(arguments).answer, Answer::QtFirst) << arguments.join(' ').toStdString();
  }
  for (const QStringList& arguments :
       {QStringList{"--bogus"}, QStringList{"-x.alarms"}, QStringList{"-platform", "offscreen", "--bogus"}, QStringList{"--help=yes"}}) {
    const WindowCommandLine line = Read(arguments);
    EXPECT_EQ(line.answer, Answer::Refuse) << arguments.join(' ').toStdString();
    EXPECT_TRUE(line.text.startsWith("vantorel: ")) << line.text.toStdString();
    EXPECT_TRUE(line.text.contains("vantorel --help")) << line.text.toStdString();
  }
}

}  // namespace
}  // namespace vantorel
