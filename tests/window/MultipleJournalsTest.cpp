#include <sys/time.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>
#include <fstream>

#include "support/FormFixture.h"

namespace vantorel::test {
namespace {

using MultipleJournals = FormTest;

const std::string kTitle = "Время\tГруппа\tКласс\tУзел\tПорт\tСообщение\tДетали\r\n";

std::string Line(const std::string& moment, const std::string& group) {
  return moment + "\t" + group + "\tкласс\tN\tP\tАвария\tд\r\n";
}

QString Write(const std::string& name, const std::string& utf8Text) {
  return QString::fromStdString(WriteScratchFile(name, W(utf8Text)));
}

void SetModified(const QString& path, time_t seconds) {
  const timeval times[2] = {{seconds, 0}, {seconds, 0}};
  ASSERT_EQ(::utimes(QFile::encodeName(path).constData(), times), 0);
}

TEST_F(MultipleJournals, ChosenTogetherTheyShowAsOneWithTheirNames) {
  const QString x = Write("x.alarms", kTitle + Line("25.11.2013 10:00:00", "Юг") + Line("25.11.2013 12:00:00", "Юг"));
  const QString y = Write("y.alarms", kTitle + Line("24.11.2013 23:59:00", "Урал"));
  const QString z = Write("z.alarms", kTitle + Line("25.11.2013 11:00:00", "Сибирь"));
  // The dialog lets several files be chosen, and a typed name that does not exist still.
  auto* list = form->OpenDialog()->findChild<QAbstractItemView*>("listView");
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->selectionMode(), QAbstractItemView::ExtendedSelection);
  EXPECT_EQ(form->OpenDialog()->fileMode(), QFileDialog::AnyFile);
  form->runOpenDialog = [&](QFileDialog&) { return QStringList{z, x, y}; };
  form->Open->trigger();
  WaitForLoad();
  ASSERT_TRUE(errors.isEmpty()) << errors.join("\n").toStdString();
  // The first and last by their first records, the first one's path current.
  EXPECT_EQ(form->StatusText(0), "Открыто журналов: 3 (y.alarms … z.alarms)");
  EXPECT_EQ(form->CurrentLogFile(), y);
  EXPECT_EQ(form->JournalFiles(), (QStringList{y, x, z}));
  EXPECT_EQ(Count(), "Показано строк: 4 из 4");
  ASSERT_EQ(form->StringGrid->ColumnCount(), 8);
  EXPECT_EQ(Cell(6, 0), "Детали");
  EXPECT_EQ(Cell(7, 0), "Журнал");
  EXPECT_EQ((QStringList{Cell(7, 1), Cell(7, 2), Cell(7, 3), Cell(7, 4)}),
            (QStringList{"y.alarms", "x.alarms", "z.alarms", "x.alarms"}));
  EXPECT_EQ(Cell(1, 3), "Сибирь");
  EXPECT_EQ(form->GroupCB->count(), 4);
  EXPECT_GT(form->StringGrid->columnWidth(7), 0);

  // A bad record is told with its journal's name; one journal alone shows the table as before.
  const QString bad = Write("bad.alarms", kTitle + Line("вчера", "Юг"));
  form->runOpenDialog = [&](QFileDialog&) { return QStringList{x, bad}; };
  form->Open->trigger();
  WaitForLoad();
  EXPECT_EQ(errors, (QStringList{"bad.alarms: 'вчера' is not a valid date and time."}));
  form->runOpenDialog = [&](QFileDialog&) { return x; };
  form->Open->trigger();
  WaitForLoad();
  EXPECT_EQ(form->StatusText(0), "Открыт файл: x.alarms");
  EXPECT_EQ(form->StringGrid->ColumnCount(), 7);
  EXPECT_EQ(Count(), "Показано строк: 2 из 2");
}

TEST_F(MultipleJournals, JournalsOfDifferentKindsAreRefusedAndNothingIsLost) {
  const QString alarms = Write("one.alarms", kTitle + Line("25.11.2013 10:00:00", "Юг"));
  const QString param = Write("one.param", "T\tG\tC\tN\tP\tPar\tO\tN\r\n");
  Open(alarms);
  form->runOpenDialog = [&](QFileDialog&) { return QStringList{alarms, param}; };
  form->Open->trigger();
  EXPECT_FALSE(form->IsLoading());
  EXPECT_EQ(errors, (QStringList{"Журналы разных видов нельзя открыть вместе: .alarms, .param."}));
  EXPECT_EQ(form->StatusText(0), "Открыт файл: one.alarms");
  EXPECT_EQ(form->CurrentLogFile(), alarms);
  EXPECT_EQ(Count(), "Показано строк: 1 из 1");
  EXPECT_EQ(Cell(1, 1), "Юг");
}

TEST_F(MultipleJournals, AFolderDroppedOpensTheJournalsOfItsNewestKind) {
  const QString oldParam = Write("a.param", "T\tG\tC\tN\tP\tPar\tO\tN\r\n");
  const QString first = Write("b.alarms", kTitle + Line("25.11.2013 10:00:00", "Юг"));
  const QString second = Write("c.alarms", kTitle + Line("26.11.2013 10:00:00", "Юг"));
  Write("d.ALARMS", kTitle + Line("27.11.2013 10:00:00", "Юг"));
  SetModified(oldParam, 2000000000);
  SetModified(first, 1000000000);
  SetModified(second, 1900000000);
  // A file of no journal kind, however new, says nothing of the folder's kind.
  SetModified(Write("notes.txt", "x"), 2100000000);

  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(QFileInfo(first).absolutePath())});
  auto drop = [&] {
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form.get(), &enter);
    QDropEvent dropped(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form.get(), &dropped);
    WaitForLoad();
  };
  drop();
  ASSERT_TRUE(errors.isEmpty()) << errors.join("\n").toStdString();
  EXPECT_EQ(form->CurrentLogFile(), oldParam);
  EXPECT_EQ(form->StatusText(0), "Открыт файл: a.param");

  SetModified(second, 2200000000);
  drop();
  ASSERT_TRUE(errors.isEmpty()) << errors.join("\n").toStdString();
  EXPECT_EQ(form->JournalFiles(), (QStringList{first, second}));
  EXPECT_EQ(form->StatusText(0), "Открыто журналов: 2 (b.alarms … c.alarms)");
  EXPECT_EQ(Count(), "Показано строк: 2 из 2");
}

TEST_F(MultipleJournals, AFolderOfRotatedAndCompressedJournalsOpensAsOneSet) {
  const QString folder = QString(VANTOREL_TEST_SCRATCH) + "/unit7";
  QDir(folder).removeRecursively();
  QDir().mkpath(folder);
  auto write = [&](const QString& name, const std::string& text) {
    std::ofstream(QFile::encodeName(folder + "/" + name).toStdString(), std::ios::binary) << W(text);
  };
  write("u.alarms.2", kTitle + Line("23.11.2013 10:00:00", "Юг") + Line("23.11.2013 11:00:00", "Юг"));
  ASSERT_EQ(std::system(("gzip -f '" + QFile::encodeName(folder).toStdString() + "/u.alarms.2'").c_str()), 0);
  write("u.alarms.1", kTitle + Line("24.11.2013 10:00:00", "Урал"));
  write("u.alarms", kTitle + Line("25.11.2013 10:00:00", "Сибирь"));
  form->OpenFromOutside({folder});
  WaitForLoad();
  ASSERT_TRUE(errors.isEmpty()) << errors.join("\n").toStdString();
  EXPECT_EQ(form->StatusText(0), "Открыто журналов: 3 (u.alarms.2.gz … u.alarms)");
  EXPECT_EQ(Count(), "Показано строк: 4 из 4");
  EXPECT_EQ((QStringList{Cell(7, 1), Cell(7, 3), Cell(7, 4)}), (QStringList{"u.alarms.2.gz", "u.alarms.1", "u.alarms"}));
}

TEST_F(MultipleJournals, RefreshAndFollowingReadTheWholeSetAgain) {
  const QString early = Write("early.alarms", kTitle + Line("25.11.2013 10:00:00", "Юг") + Line("25.11.2013 11:00:00", "Урал"));
  const QString late = Write("late.alarms", kTitle + Line("26.11.2013 10:00:00", "Урал"));
  form->OpenFromOutside({late, early});
  WaitForLoad();
  ASSERT_EQ(Count(), "Показано строк: 3 из 3");
  form->GroupCB->setCurrentIndex(form->GroupCB->findText("Урал"));
  emit form->GroupCB->UserChanged();
  ASSERT_EQ(Count(), "Показано строк: 2 из 3");

  std::ofstream(QFile::encodeName(late).toStdString(), std::ios::app | std::ios::binary) << W(Line("26.11.2013 12:00:00", "Урал"));
  form->Refresh->trigger();
  WaitForLoad();
  EXPECT_EQ(form->GroupCB->currentText(), "Урал");
  EXPECT_EQ(Count(), "Показано строк: 3 из 4");
  EXPECT_EQ(Cell(7, 3), "late.alarms");

  // Followed, a row that goes before others takes its place among them; one gone stops the
  // following.
  JournalSession::Clock::time_point now{};
  form->Session().clock = [&now] { return now; };
  form->FollowFile->trigger();
  std::ofstream(QFile::encodeName(early).toStdString(), std::ios::app | std::ios::binary) << W(Line("25.11.2013 12:00:00", "Урал"));
  form->Guarded([this] { form->FollowCheck(); });
  EXPECT_FALSE(form->IsLoading());
  EXPECT_EQ(Count(), "Показано строк: 4 из 5");
  // The set spans two days: its date-time column shows the date.
  EXPECT_EQ(Cell(0, 2), "25.11.2013 12:00:00");
  EXPECT_EQ(Cell(7, 2), "early.alarms");
  ASSERT_EQ(std::remove(QFile::encodeName(early).constData()), 0);
  form->Guarded([this] { form->FollowCheck(); });
  EXPECT_TRUE(form->FollowFile->isChecked());
  now += JournalFollower::kGoneAfter;
  form->Guarded([this] { form->FollowCheck(); });
  EXPECT_FALSE(form->FollowFile->isChecked());
  EXPECT_EQ(form->StatusText(0), "Файл удалён: early.alarms");
  EXPECT_EQ(Count(), "Показано строк: 4 из 5");
  EXPECT_TRUE(errors.isEmpty()) << errors.join("\n").toStdString();
}

TEST_F(MultipleJournals, FollowedARowAfterAllOthersIsAddedWithoutAReading) {
  const QString early = Write("early.alarms", kTitle + Line("25.11.2013 10:00:00", "Юг"));
  const QString late = Write("late.alarms", kTitle + Line("25.11.2013 11:00:00", "Урал"));
  form->OpenFromOutside({late, early});
  WaitForLoad();
  form->FollowFile->trigger();
  ASSERT_TRUE(form->FollowFile->isChecked());
  std::ofstream(QFile::encodeName(early).toStdString(), std::ios::app | std::ios::binary) << W(Line("25.11.2013 12:00:00", "Сибирь"));
  form->Guarded([this] { form->FollowCheck(); });
  // Shown at once: a reading would still be under way.
  EXPECT_FALSE(form->IsLoading());
  EXPECT_EQ(Count(), "Показано строк: 3 из 3");
  EXPECT_EQ(Cell(7, 3), "early.alarms");
  // A bad row is told once with its journal's name; the set shows no records, as a fresh open
  // of it would, and is followed on.
  std::ofstream(QFile::encodeName(late).toStdString(), std::ios::app | std::ios::binary) << W(Line("вчера", "Юг"));
  for (int look = 0; look < 3; ++look) {
    form->Guarded([this] { form->FollowCheck(); });
    QCoreApplication::processEvents();
    WaitForLoad();
  }
  EXPECT_EQ(errors, (QStringList{"late.alarms: 'вчера' is not a valid date and time."}));
  EXPECT_TRUE(form->FollowFile->isChecked());
  EXPECT_EQ(Count(), "Показано строк: 0 из 0");
}

}  // namespace
}  // namespace vantorel::test
