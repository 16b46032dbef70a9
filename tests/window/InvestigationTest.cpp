// The operator's investigation in the window: text filters from the find bar as chips, their
// places highlighted, marks in a gutter, a merged set of days narrowed to a day, a big
// journal's view selected beside the window; and the dialogs and panels around them.
#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QLineEdit>
#include <QToolButton>
#include <fstream>

#include "support/FormFixture.h"
#include "views/MarkGutter.h"
#include "window/ChosenFiles.h"
#include "window/ElidedLabel.h"
#include "window/RussianFileSizes.h"
#include "window/RussianQtWords.h"

namespace vantorel::test {
namespace {

using Investigation = FormTest;

const std::string kTitle = "Время\tГруппа\tКласс\tУзел\tПорт\tСообщение\tДетали\r\n";

std::string Line(const std::string& moment, const std::string& group, const std::string& message) {
  return moment + "\t" + group + "\tкласс\tузел\tSTM-1 #2\t" + message + "\tд\r\n";
}

const std::string kJournal = kTitle + Line("25.11.2013 10:00:00", "Юг", "Норма") +
                             Line("25.11.2013 11:00:00", "Урал", "Авария питания") +
                             Line("25.11.2013 12:00:00", "Юг", "Связь с устройством восстановлена") +
                             Line("25.11.2013 13:00:00", "Урал", "Отказ платы") +
                             Line("25.11.2013 14:00:00", "Юг", "Авария питания");

QStringList Chips(TCorvanelForm& form) {
  QStringList chips;
  for (QToolButton* chip : form.Chips->findChildren<QToolButton*>()) {
    if (!chip->isHidden()) chips.append(chip->text());
  }
  return chips;
}

TEST_F(Investigation, TextFiltersComeFromTheFindBarAsChipsAndStayThroughRefresh) {
  OpenJournal("texts.alarms", kJournal);
  form->show();
  ASSERT_EQ(Count(), "Показано строк: 5 из 5");
  form->ShowFindBar();
  form->FindEdit->setText("АВАРИЯ");
  form->ShowMatching->click();
  EXPECT_EQ(Count(), "Показано строк: 2 из 5");
  form->FindEdit->setText("юг");
  form->HideMatching->click();
  EXPECT_EQ(Count(), "Показано строк: 1 из 5");
  EXPECT_EQ(Cell(0, 1), "11:00:00");
  EXPECT_EQ(Chips(*form), (QStringList{"+ АВАРИЯ  ✕", "− юг  ✕"}));
  // The places of a text to show are marked in the painted cells.
  std::vector<TextSpan> spans;
  form->StringGrid->Model().Highlights(ShownRow{0}, 5, spans);
  EXPECT_EQ(spans, (std::vector<TextSpan>{{0, 6}}));
  // The count, copy and the timeline follow; F5 keeps the filters.
  form->StringGrid->selectAll();
  form->CopyRows->trigger();
  EXPECT_EQ(QApplication::clipboard()->text().count('\n'), 1);
  form->ShowTimeline->trigger();
  EXPECT_EQ(form->Timeline->Counts()[44].Total(), 1u);
  form->Refresh->trigger();
  WaitForLoad();
  EXPECT_EQ(Count(), "Показано строк: 1 из 5");
  // A chip's click removes its filter alone.
  form->Chips->findChild<QToolButton*>("TextChip1")->click();
  EXPECT_EQ(Count(), "Показано строк: 2 из 5");
  EXPECT_EQ(Chips(*form), (QStringList{"+ АВАРИЯ  ✕"}));
  // A regular expression, its letter case counting; one RE2 refuses is told, no chip made.
  form->Chips->findChild<QToolButton*>("TextChip0")->click();
  form->FindRegex->setChecked(true);
  form->FindCase->setChecked(true);
  form->FindEdit->setText("^Авария|^Отказ");
  form->ShowMatching->click();
  EXPECT_EQ(Count(), "Показано строк: 3 из 5");
  form->FindEdit->setText("(Авария");
  form->ShowMatching->click();
  ASSERT_EQ(errors.size(), 1);
  EXPECT_TRUE(errors[0].startsWith("Ошибка в регулярном выражении")) << errors[0].toStdString();
  EXPECT_EQ(Chips(*form), (QStringList{"+ /^Авария|^Отказ/ Aa  ✕"}));
  // Enter finds with the same options.
  form->FindEdit->setText("^отказ");
  QEventLoop ended;
  QObject::connect(form.get(), &TCorvanelForm::FindEnded, &ended, &QEventLoop::quit);
  form->FindNext(true);
  ended.exec();
  EXPECT_EQ(form->FindStatus->text(), "Не найдено");
}

TEST_F(Investigation, MarksGoWithTheirRecordsAndShowAlone) {
  const QString path = OpenJournal("marks.alarms", kJournal);
  form->show();
  EXPECT_FALSE(form->StringGrid->Gutter()->isVisible());
  form->StringGrid->selectRow(1);
  form->StringGrid->SelectRows(3, 3);
  form->MarkRows->trigger();
  EXPECT_EQ(form->Session().Marks()->Count(), 2u);
  EXPECT_TRUE(form->StringGrid->Gutter()->isVisible());
  // F2 and Shift+F2 go round the marked rows.
  form->StringGrid->selectRow(0);
  form->NextMark->trigger();
  EXPECT_EQ(form->StringGrid->currentIndex().row(), 1);
  form->NextMark->trigger();
  EXPECT_EQ(form->StringGrid->currentIndex().row(), 3);
  form->NextMark->trigger();
  EXPECT_EQ(form->StringGrid->currentIndex().row(), 1);
  form->PreviousMark->trigger();
  EXPECT_EQ(form->StringGrid->currentIndex().row(), 3);
  // Marked rows alone, through a filter change and F5, with their chip.
  form->MarkedOnly->trigger();
  EXPECT_EQ(Count(), "Показано строк: 2 из 5");
  EXPECT_EQ(Chips(*form), (QStringList{"Только отмеченные  ✕"}));
  form->ShowOlive->trigger();
  EXPECT_EQ(Count(), "Показано строк: 2 из 5");
  form->Refresh->trigger();
  WaitForLoad();
  EXPECT_EQ(Count(), "Показано строк: 2 из 5");
  // Copied with their marks when asked.
  form->CopyWithMarks->trigger();
  form->MarkedOnly->trigger();
  form->StringGrid->selectAll();
  form->CopyRowsWithTitles->trigger();
  const QStringList lines = QApplication::clipboard()->text().split('\n');
  ASSERT_EQ(lines.size(), 7);
  EXPECT_EQ(lines[0], "Отметка\tВремя\tГруппа\tКласс\tУзел\tПорт\tСообщение\tДетали");
  EXPECT_TRUE(lines[2].startsWith("*\t11:00:00")) << lines[2].toStdString();
  EXPECT_TRUE(lines[3].startsWith("\t12:00:00")) << lines[3].toStdString();
  // Ctrl+M on marked rows unmarks them; the gutter goes with the last mark.
  form->StringGrid->selectRow(1);
  form->MarkRows->trigger();
  form->StringGrid->selectRow(3);
  form->MarkRows->trigger();
  EXPECT_FALSE(form->StringGrid->Gutter()->isVisible());
  // Another journal opened anew has none.
  form->StringGrid->selectRow(2);
  form->MarkRows->trigger();
  Open(path);
  EXPECT_TRUE(form->Session().Marks()->empty());
  EXPECT_FALSE(form->MarkedOnly->isChecked());
}

TEST_F(Investigation, AWeekOfJournalsShowsItsDatesAndNarrowsToADay) {
  QStringList days;
  for (int day = 25; day <= 27; ++day) {
    const std::string date = std::to_string(day) + ".11.2013 ";
    days.append(QString::fromStdString(WriteScratchFile("week-" + std::to_string(day) + ".alarms",
                                                        W(kTitle + Line(date + "10:00:00", "Юг", "Норма") +
                                                          Line(date + "15:00:00", "Урал", "Авария питания")))));
  }
  form->OpenFiles(days);
  WaitForLoad();
  ASSERT_TRUE(errors.isEmpty()) << errors.join("\n").toStdString();
  EXPECT_FALSE(form->DataBox->isHidden());
  EXPECT_EQ(form->StartDate->date(), QDate(2013, 11, 25));
  EXPECT_EQ(form->EndDate->date(), QDate(2013, 11, 27));
  EXPECT_EQ(Cell(0, 3), "26.11.2013 10:00:00");
  form->StartDate->setDate(QDate(2013, 11, 26));
  form->EndDate->setDate(QDate(2013, 11, 26));
  EXPECT_EQ(Count(), "Показано строк: 2 из 6");
  // One journal of one day looks as the window's own.
  OpenJournal("one-day.alarms", kJournal);
  EXPECT_TRUE(form->DataBox->isHidden());
  EXPECT_EQ(Cell(0, 1), "10:00:00");
  EXPECT_EQ(Count(), "Показано строк: 5 из 5");
}

TEST_F(Investigation, ABigJournalsViewIsSelectedBesideTheWindowTheLatestChangeWinning) {
  OpenJournal("beside.alarms", kJournal);
  form->viewInPlaceRecords = 1;
  form->FindEdit->setText("авария");
  form->AddTextFilter(false);
  // The table keeps its rows until the new ones come.
  EXPECT_EQ(Count(), "Показано строк: 5 из 5");
  form->FindEdit->setText("юг");
  form->AddTextFilter(true);
  QEventLoop shown;
  QObject::connect(form.get(), &TCorvanelForm::ViewShown, &shown, &QEventLoop::quit);
  shown.exec();
  EXPECT_EQ(Count(), "Показано строк: 1 из 5");
  QCoreApplication::processEvents();
  EXPECT_EQ(panel1History.count("Показано строк: 2 из 5"), 0);
  // The widths measured beside the window are those the window's thread measures.
  std::vector<int> beside;
  for (int c = 0; c < form->StringGrid->ColumnCount(); ++c) beside.push_back(form->StringGrid->columnWidth(c));
  form->viewInPlaceRecords = 1000;
  form->RefreshView();
  EXPECT_EQ(Count(), "Показано строк: 1 из 5");
  for (int c = 0; c < form->StringGrid->ColumnCount(); ++c) EXPECT_EQ(form->StringGrid->columnWidth(c), beside[static_cast<size_t>(c)]) << c;
  // A journal opened anew shows the rows its load chose, whatever marks the last one had:
  // they are not chosen a second time, into a second row array.
  form->MarkClick();
  form->viewInPlaceRecords = 1;
  OpenJournal("beside-too.alarms", kJournal);
  EXPECT_FALSE(form->Views->Busy());
  EXPECT_EQ(Count(), "Показано строк: 1 из 5");
  // So are the widths of its columns: as the window's thread measures them.
  beside.clear();
  for (int c = 0; c < form->StringGrid->ColumnCount(); ++c) beside.push_back(form->StringGrid->columnWidth(c));
  form->viewInPlaceRecords = 1000;
  form->RefreshView();
  for (int c = 0; c < form->StringGrid->ColumnCount(); ++c) EXPECT_EQ(form->StringGrid->columnWidth(c), beside[static_cast<size_t>(c)]) << c;
  EXPECT_TRUE(errors.isEmpty()) << errors.join("\n").toStdString();
}

TEST_F(Investigation, DialogsAndPanelsSpeakRussianAndTellTheWholeStory) {
  // Journals of two kinds typed together come back both, whatever the dialog's name filter,
  // and are refused with the message.
  QFileDialog* dialog = form->OpenDialog();
  dialog->setDirectory(QString(VANTOREL_TEST_SCRATCH));
  dialog->findChild<QLineEdit*>("fileNameEdit")->setText("\"a.alarms\" \"b.action\"");
  const QString scratch = QDir(QString(VANTOREL_TEST_SCRATCH)).absolutePath();
  EXPECT_EQ(ChosenFiles(*dialog), (QStringList{scratch + "/a.alarms", scratch + "/b.action"}));
  EXPECT_EQ(TypedNames("journal.alarms"), QStringList{"journal.alarms"});
  const auto chooses = form->runOpenDialog;
  form->runOpenDialog = [](QFileDialog& d) { return ChosenFiles(d); };
  form->Open->trigger();
  ASSERT_EQ(errors.size(), 1);
  EXPECT_TRUE(errors[0].startsWith("Журналы разных видов нельзя открыть вместе")) << errors[0].toStdString();
  form->runOpenDialog = chooses;
  // Qt's words that Debian's catalogue lacks, and the sizes of the file dialogs.
  RussianQtWords words;
  QCoreApplication::installTranslator(&words);
  EXPECT_EQ(QCoreApplication::translate("QAbstractFileIconProvider", "Folder", "All other platforms"), "Папка");
  QCoreApplication::removeTranslator(&words);
  EXPECT_EQ(RussianFileSizes::Russian("35,92 KiB"), "35,92 КиБ");
  EXPECT_EQ(RussianFileSizes::Russian("512 bytes"), "512 байт");
  // Panel 0 cut in its middle, whole in its tooltip; the pickers named by their labels.
  const std::string name = "a-rather-long-name-of-a-journal-of-the-unit-in-the-north-2013-11-22.alarms";
  OpenJournal(name, kJournal);
  form->show();
  QCoreApplication::processEvents();
  auto* panel = qobject_cast<ElidedLabel*>(form->StatusPanels[0]);
  ASSERT_NE(panel, nullptr);
  ASSERT_GT(panel->width(), 200) << panel->width() << " " << panel->contentsRect().width();
  EXPECT_EQ(form->StatusText(0), QString::fromStdString("Открыт файл: " + name));
  EXPECT_TRUE(panel->ShownText().startsWith("Открыт файл: a")) << panel->ShownText().toStdString();
  EXPECT_TRUE(panel->ShownText().endsWith("22.alarms")) << panel->ShownText().toStdString();
  EXPECT_TRUE(panel->ShownText().contains(QChar(0x2026)));
  EXPECT_EQ(panel->toolTip(), form->StatusText(0));
  OpenJournal("short.alarms", kJournal);
  EXPECT_EQ(panel->ShownText(), "Открыт файл: short.alarms");
  EXPECT_TRUE(panel->toolTip().isEmpty());
  EXPECT_EQ(form->StartTime->accessibleName(), "ОТ");
  EXPECT_EQ(form->EndTime->accessibleName(), "ДО");
  EXPECT_EQ(QAccessible::queryAccessibleInterface(form->StringGrid)->text(QAccessible::Name), "Записи журнала");
}

}  // namespace
}  // namespace vantorel::test
