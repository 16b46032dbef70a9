#include <QDir>

#include "support/FormFixture.h"
#include "uStrUtils/AppError.h"
#include "views/JournalTableModel.h"

namespace vantorel::test {
namespace {

using Commands = FormTest;

const char* kAlarms =
    "Время\tГруппа\tКласс\tУзел\tПорт\tСообщение\tДетали\r\n"
    "25.11.2013 10:00:00\tG1\tc\tN1\tP1\tНорма\td\r\n"
    "25.11.2013 11:00:00\tG2\tc\tN2\tP2\tАвария\td\r\n";

TEST_F(Commands, DialogStartsInTheLogDirectoryBesideTheProgramDirectory) {
  const QString root = QString(VANTOREL_TEST_SCRATCH) + "/dialog-root";
  QDir(root).removeRecursively();
  QDir().mkpath(root + "/bin");
  form->programDirectory = root + "/bin";
  EXPECT_EQ(form->StartDirectory(), root + "/bin/");
  QDir().mkpath(root + "/Log");
  EXPECT_EQ(form->StartDirectory(), root + "/Log/");

  nextChoice.clear();
  form->Open->trigger();
  ASSERT_EQ(dialogDirectories.size(), 1);
  EXPECT_EQ(dialogDirectories[0], root + "/Log");
}

TEST_F(Commands, CancelledDialogOnlyEmptiesPanelZero) {
  const QString path = OpenJournal("commands.alarms", kAlarms);
  ASSERT_EQ(form->StatusText(0), "Открыт файл: commands.alarms");
  const QString count = Count();
  nextChoice.clear();
  form->Open->trigger();
  EXPECT_EQ(form->StatusText(0), "");
  EXPECT_EQ(form->CurrentLogFile(), path);
  EXPECT_EQ(Count(), count);
  EXPECT_EQ(form->StringGrid->RowCount(), 3);
  EXPECT_FALSE(form->FilterBoxAlert->isHidden());
  EXPECT_TRUE(errors.isEmpty());
}

TEST_F(Commands, UnknownExtensionLoadsNothingAndStopsFilterChanges) {
  OpenJournal("known.alarms", kAlarms);
  ASSERT_EQ(Count(), "Показано строк: 2 из 2");
  for (const char* name : {"other.Alarms", "other.txt", "noextension"}) {
    const QString path = QString::fromStdString(WriteScratchFile(name, W(kAlarms)));
    Open(path);
    EXPECT_EQ(form->CurrentLogFile(), path);
    EXPECT_EQ(form->StatusText(0), QString("Открыт файл: ") + name);
    EXPECT_EQ(form->StringGrid->RowCount(), 3);
    EXPECT_FALSE(form->FilterBoxAlert->isHidden());
    // A filter change no longer rebuilds the table.
    form->EndTime->setTime(QTime(10, 30, 0));
    EXPECT_EQ(form->StringGrid->RowCount(), 3);
    EXPECT_EQ(Count(), "Показано строк: 2 из 2");
    form->EndTime->setTime(QTime(23, 59, 59));
  }
  // Alarm colours follow the current file's extension only.
  EXPECT_EQ(Colours(1).text, QColor(0, 0, 0));
  EXPECT_TRUE(errors.isEmpty());
}

TEST_F(Commands, ErrorsReachTheReportWithTheFullStopRuleAndTheProgramGoesOn) {
  const QString missing = QString::fromStdString(MissingScratchPath("missing.alarms"));
  Open(missing);
  ASSERT_EQ(errors.size(), 1);
  EXPECT_EQ(errors[0], "File not found.");
  EXPECT_EQ(form->CurrentLogFile(), missing);
  EXPECT_EQ(form->StringGrid->ColumnCount(), 7);
  EXPECT_TRUE(form->ProgressBar->isHidden());

  form->Guarded([] { throw AppError("Plain message!"); });
  ASSERT_EQ(errors.size(), 2);
  EXPECT_EQ(errors[1], "Plain message!");
  // A quoted field may hold a NUL byte; the report still shows the whole message.
  form->Guarded([] { throw AppError(std::string("'a\0b' is not a valid date and time", 34)); });
  ASSERT_EQ(errors.size(), 3);
  EXPECT_EQ(errors[2].size(), 35);
  EXPECT_TRUE(errors[2].endsWith("time."));

  // The window still answers: a good journal opens.
  OpenJournal("after-error.alarms", kAlarms);
  EXPECT_EQ(Count(), "Показано строк: 2 из 2");
  EXPECT_EQ(errors.size(), 3);
}

TEST_F(Commands, FilterChangesBeforeAnyFileChangeNothing) {
  form->StartTime->setTime(QTime(5, 0, 0));
  form->GroupCB->setEditText("x");
  emit form->GroupCB->UserChanged();
  EXPECT_EQ(form->StringGrid->RowCount(), 2);
  EXPECT_EQ(form->StatusText(1), "");
  EXPECT_TRUE(errors.isEmpty());
}

TEST_F(Commands, ExitClosesTheWindow) {
  form->show();
  ASSERT_TRUE(form->isVisible());
  form->ExitMenu->trigger();
  EXPECT_FALSE(form->isVisible());
}

}  // namespace
}  // namespace vantorel::test
