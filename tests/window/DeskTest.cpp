// What the operator expects of a desktop table viewer, around the window's own controls:
// copy, save, find, open from outside, the keyboard, completion in the filter boxes.
#include <sys/resource.h>

#include <QApplication>
#include <csignal>
#include <QClipboard>
#include <QCompleter>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QStatusBar>
#include <QTimer>
#include <QUrl>

#include "support/FormFixture.h"

namespace vantorel::test {
namespace {

using Desk = FormTest;

const std::string kTitle = "Время\tГруппа\tКласс\tУзел\tПорт\tСообщение\tДетали\r\n";

std::string Line(const std::string& time, const std::string& group, const std::string& message,
                 const std::string& detail = "д") {
  return "25.11.2013 " + time + "\t" + group + "\tкласс\tузел\tпорт\t" + message + "\t" + detail + "\r\n";
}

const std::string kJournal = kTitle + Line("10:00:00", "Юг", "Норма") + Line("11:00:00", "Урал", "Авария, \"А\"") +
                             Line("12:00:00", "Юго-Запад", "Авария") + Line("13:00:00", "юг", "Норма", "ПОИСК");

std::string FileText(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return "<cannot read>";
  return file.readAll().toStdString();
}

// Finds `text` from the find bar as Enter (or Shift+Enter) would; the grid row found.
int Find(TCorvanelForm& form, const QString& text, bool forward) {
  form.ShowFindBar();
  form.FindEdit->setText(text);
  QEventLoop ended;
  QObject::connect(&form, &TCorvanelForm::FindEnded, &ended, &QEventLoop::quit);
  QTimer::singleShot(0, [&] { form.FindNext(forward); });
  QTimer::singleShot(5000, &ended, &QEventLoop::quit);
  ended.exec();
  return form.StringGrid->currentIndex().row() + 1;
}

TEST_F(Desk, CopyTakesTheSelectedRowsAsShownAndSelectAllTakesEvery) {
  OpenJournal("copy.alarms", kJournal);
  ASSERT_EQ(Count(), "Показано строк: 4 из 4");
  form->StringGrid->selectRow(2);
  form->StringGrid->SelectRows(0, 0);
  form->CopyRows->trigger();
  // Shown order, not the order of selecting.
  EXPECT_EQ(QApplication::clipboard()->text().toStdString(),
            "10:00:00\tЮг\tкласс\tузел\tпорт\tНорма\tд\n12:00:00\tЮго-Запад\tкласс\tузел\tпорт\tАвария\tд\n");
  form->StringGrid->setFocus();
  form->StringGrid->selectAll();
  form->CopyRowsWithTitles->trigger();
  const QStringList lines = QApplication::clipboard()->text().split('\n');
  ASSERT_EQ(lines.size(), 6);
  EXPECT_EQ(lines[0], "Время\tГруппа\tКласс\tУзел\tПорт\tСообщение\tДетали");
  EXPECT_EQ(lines[4], "13:00:00\tюг\tкласс\tузел\tпорт\tНорма\tПОИСК");
  EXPECT_EQ(lines[5], "");
  // The three commands are the table's context menu.
  EXPECT_EQ(form->StringGrid->contextMenuPolicy(), Qt::ActionsContextMenu);
  EXPECT_EQ(form->StringGrid->actions().mid(0, 3),
            (QList<QAction*>{form->CopyRows, form->CopyRowsWithTitles, form->SaveShownRows}));
}

TEST_F(Desk, SavingWritesTheShownRowsWholeOrLeavesTheEarlierFile) {
  const QString journal = OpenJournal("save.alarms", kJournal);
  // The rows are written beside the window.
  auto save = [&] {
    form->SaveShownRows->trigger();
    while (form->Saver->Busy()) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  };
  form->GroupCB->setCurrentIndex(2);
  emit form->GroupCB->UserChanged();
  ASSERT_EQ(Count(), "Показано строк: 1 из 4");
  QString target;
  form->runSaveDialog = [&](QFileDialog& dialog) {
    dialog.selectNameFilter(target.endsWith("csv") ? "CSV (*.csv)" : "Текст с разделителями-табуляциями (*.tsv)");
    return target;
  };
  target = QString::fromStdString(MissingScratchPath("rows.csv"));
  save();
  EXPECT_TRUE(errors.isEmpty()) << errors.join("\n").toStdString();
  EXPECT_EQ(FileText(target),
            "Время,Группа,Класс,Узел,Порт,Сообщение,Детали\r\n11:00:00,Урал,класс,узел,порт,\"Авария, \"\"А\"\"\",д\r\n");

  // A spreadsheet on a Russian desk: the byte-order mark and ';'.
  QString filter = "CSV для Excel (*.csv)";
  form->runSaveDialog = [&](QFileDialog& dialog) {
    dialog.selectNameFilter(filter);
    return target;
  };
  target = QString::fromStdString(MissingScratchPath("rows-excel"));
  save();
  EXPECT_EQ(FileText(target + ".csv"), "\xEF\xBB\xBFВремя;Группа;Класс;Узел;Порт;Сообщение;Детали\r\n"
                                       "11:00:00;Урал;класс;узел;порт;\"Авария, \"\"А\"\"\";д\r\n");
  filter = "Текст с разделителями-табуляциями (*.tsv)";

  target = QString::fromStdString(MissingScratchPath("rows"));
  save();
  EXPECT_EQ(FileText(target + ".tsv"), "Время\tГруппа\tКласс\tУзел\tПорт\tСообщение\tДетали\n"
                                       "11:00:00\tУрал\tкласс\tузел\tпорт\tАвария, \"А\"\tд\n");

  // The open journal is never written over.
  target = journal;
  save();
  ASSERT_EQ(errors.size(), 1);
  EXPECT_TRUE(errors[0].startsWith("Нельзя сохранить строки поверх открытого журнала")) << errors[0].toStdString();
  EXPECT_EQ(FileText(journal), W(kJournal));

  // A write that fails (the file-size limit stands in for a full disk) reports it and leaves
  // the earlier file whole, with no temporary file beside it.
  const QString folder = QString(VANTOREL_TEST_SCRATCH) + "/save-fails";
  QDir(folder).removeRecursively();
  QDir().mkpath(folder);
  target = folder + "/earlier.tsv";
  {
    QFile earlier(target);
    ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
    earlier.write("earlier");
  }
  rlimit limit{}, small{};
  getrlimit(RLIMIT_FSIZE, &limit);
  small = limit;
  small.rlim_cur = 16;
  const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  setrlimit(RLIMIT_FSIZE, &small);
  save();
  setrlimit(RLIMIT_FSIZE, &limit);
  std::signal(SIGXFSZ, oldHandler);
  ASSERT_EQ(errors.size(), 2);
  EXPECT_TRUE(errors[1].startsWith("Не удалось сохранить файл")) << errors[1].toStdString();
  EXPECT_EQ(FileText(target), "earlier");
  EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{"earlier.tsv"});
}

TEST_F(Desk, AWorkbookIsWrittenBesideTheWindowWithItsProgressInTheStatusBar) {
  OpenJournal("book.alarms", kJournal);
  const QString target = QString::fromStdString(MissingScratchPath("rows-book"));
  form->runSaveDialog = [&](QFileDialog& dialog) {
    EXPECT_TRUE(dialog.nameFilters().contains("Книга Excel (*.xlsx)"));
    dialog.selectNameFilter("Книга Excel (*.xlsx)");
    return target;
  };
  QEventLoop saved;
  size_t rows = 0;
  QObject::connect(form->Saver, &RowSaver::Finished, &saved, [&](size_t written) {
    rows = written;
    saved.quit();
  });
  form->SaveShownRows->trigger();
  EXPECT_TRUE(form->Saver->Busy());
  if (form->Saver->Busy()) saved.exec();
  EXPECT_TRUE(errors.isEmpty()) << errors.join("\n").toStdString();
  EXPECT_EQ(rows, 4u);
  EXPECT_TRUE(form->StatusBar->currentMessage().startsWith("Книга сохранена")) << form->StatusBar->currentMessage().toStdString();
  // A zip archive, named with the suffix the dialog's choice gives.
  EXPECT_EQ(FileText(target + ".xlsx").substr(0, 2), "PK");
}

TEST_F(Desk, FindMovesToTheNextMatchLetterCaseAsideAndSaysWhenThereIsNone) {
  OpenJournal("find.alarms", kJournal);
  form->show();
  QCoreApplication::processEvents();
  auto find = [&](const QString& text, bool forward) { return Find(*form, text, forward); };
  // "ЮГ" matches "Юг", "Юго-Запад" and "юг"; the search wraps round the ends.
  EXPECT_EQ(find("ЮГ", true), 1);
  EXPECT_TRUE(form->FindBar->isVisible());
  EXPECT_EQ(find("ЮГ", true), 3);
  EXPECT_EQ(find("ЮГ", true), 4);
  EXPECT_EQ(find("ЮГ", true), 1);
  EXPECT_EQ(find("ЮГ", false), 4);
  EXPECT_EQ(form->StringGrid->SelectedRecords(), std::vector<RecordIndex>{{3}});
  // The time column is searched as it is shown; a text that is nowhere says so.
  EXPECT_EQ(find("11:00", true), 2);
  EXPECT_EQ(find("поиск", true), 4);
  find("Сибирь", true);
  EXPECT_EQ(form->FindStatus->text(), "Не найдено");
  EXPECT_EQ(form->StringGrid->currentIndex().row() + 1, 4);
  form->HideFindBar();
  EXPECT_FALSE(form->FindBar->isVisible());
}

TEST_F(Desk, FindMarksTheFoundCellInViewAndForgetsWhatItSaidOnAnyChange) {
  OpenJournal("mark.alarms", kJournal);
  form->show();
  for (int c = 0; c < 7; ++c) form->StringGrid->setColumnWidth(c, 400);
  QCoreApplication::processEvents();
  auto find = [&](const QString& text) { Find(*form, text, true); };
  // "ПОИСК" is in the last column, far to the right: its cell is marked and brought into view.
  find("поиск");
  const QModelIndex cell = form->StringGrid->Model().index(3, 6);
  EXPECT_EQ(form->StringGrid->MarkedCell(), cell);
  EXPECT_EQ(form->StringGrid->currentIndex(), cell);
  EXPECT_TRUE(form->StringGrid->viewport()->rect().contains(form->StringGrid->visualRect(cell)));

  // Esc in the table closes the bar too.
  form->StringGrid->setFocus();
  QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QApplication::sendEvent(form->StringGrid, &escape);
  EXPECT_FALSE(form->FindBar->isVisible());

  // "Не найдено" goes with a change of the filters.
  find("Сибирь");
  ASSERT_EQ(form->FindStatus->text(), "Не найдено");
  form->GroupCB->setCurrentIndex(2);
  emit form->GroupCB->UserChanged();
  EXPECT_EQ(form->FindStatus->text(), "");
  EXPECT_FALSE(form->StringGrid->MarkedCell().isValid());
}

TEST_F(Desk, CopyingManyRowsLeavesTheWindowLiveAndSetsTheClipboardAtTheEnd) {
  std::string journal = kTitle;
  const int rows = 5000;
  for (int i = 0; i < rows; ++i) journal += Line("10:00:00", "Юг", "Норма", std::to_string(i));
  OpenJournal("many.alarms", journal);
  ASSERT_EQ(Count(), QString("Показано строк: %1 из %1").arg(rows));
  QApplication::clipboard()->setText("before");
  form->StringGrid->selectAll();
  form->CopyRows->trigger();
  ASSERT_TRUE(form->Copier->Busy());
  EXPECT_EQ(QApplication::clipboard()->text(), "before");
  EXPECT_TRUE(form->StatusBar->currentMessage().startsWith("Копирование строк: ")) << form->StatusBar->currentMessage().toStdString();
  QElapsedTimer waited;
  waited.start();
  while (form->Copier->Busy() && waited.elapsed() < 30000) QCoreApplication::processEvents();
  const QStringList lines = QApplication::clipboard()->text().split('\n');
  ASSERT_EQ(lines.size(), rows + 1);
  EXPECT_EQ(lines[rows - 1], QString("10:00:00\tЮг\tкласс\tузел\tпорт\tНорма\t%1").arg(rows - 1));
  EXPECT_EQ(form->StatusBar->currentMessage(), "");

  // A view that changes the rows drops the copy under way.
  QApplication::clipboard()->setText("before");
  form->CopyRows->trigger();
  ASSERT_TRUE(form->Copier->Busy());
  form->StartTime->setTime(QTime(11, 0, 0));
  EXPECT_FALSE(form->Copier->Busy());
  QCoreApplication::processEvents();
  EXPECT_EQ(QApplication::clipboard()->text(), "before");
  EXPECT_EQ(form->StatusBar->currentMessage(), "");
}

TEST_F(Desk, TimePickersAreOneTabStopEachAndTakeDigitsWhereClicked) {
  OpenJournal("pickers.alarms", kJournal);
  form->show();
  form->activateWindow();
  QCoreApplication::processEvents();
  auto tab = [] {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
    QApplication::sendEvent(QApplication::focusWidget(), &press);
    QCoreApplication::processEvents();
    return QApplication::focusWidget();
  };
  form->EndTime->setFocus();
  QCoreApplication::processEvents();
  EXPECT_EQ(tab(), form->StartTime);
  QWidget* after = tab();
  EXPECT_NE(after, form->StartTime);
  EXPECT_NE(after, form->EndTime);

  // A click in the hours of "00:00:00", then "1" "2": 12:00:00.
  QLineEdit* edit = form->StartTime->findChild<QLineEdit*>();
  ASSERT_NE(edit, nullptr);
  form->StartTime->setFocus();
  edit->setCursorPosition(1);
  const QPoint hours = edit->inputMethodQuery(Qt::ImCursorRectangle).toRect().center();
  edit->setCursorPosition(7);
  QMouseEvent press(QEvent::MouseButtonPress, hours, edit->mapToGlobal(hours), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(edit, &press);
  QMouseEvent release(QEvent::MouseButtonRelease, hours, edit->mapToGlobal(hours), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(edit, &release);
  for (const QString digit : {"1", "2"}) {
    QKeyEvent key(QEvent::KeyPress, Qt::Key_1 + (digit == "2"), Qt::NoModifier, digit);
    QApplication::sendEvent(form->StartTime, &key);
  }
  EXPECT_EQ(form->StartTime->time(), QTime(12, 0, 0));
  EXPECT_EQ(Count(), "Показано строк: 2 из 4");
}

TEST_F(Desk, OpensAJournalNamedOnTheCommandLineOrDropped) {
  const QString path = QString::fromStdString(WriteScratchFile("outside.alarms", W(kJournal)));
  form->OpenFile(path);
  WaitForLoad();
  EXPECT_EQ(form->StatusText(0), "Открыт файл: outside.alarms");
  EXPECT_EQ(form->CurrentLogFile(), path);
  EXPECT_EQ(Count(), "Показано строк: 4 из 4");
  EXPECT_TRUE(dialogDirectories.isEmpty());

  const QString other = QString::fromStdString(WriteScratchFile("dropped.alarms", W(kTitle + Line("10:00:00", "Юг", "Норма"))));
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(other)});
  QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(form.get(), &enter);
  EXPECT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(form.get(), &drop);
  WaitForLoad();
  EXPECT_EQ(form->CurrentLogFile(), other);
  EXPECT_EQ(Count(), "Показано строк: 1 из 1");
}

TEST_F(Desk, KeyboardCompletionAndColumnBorders) {
  OpenJournal("keys.alarms", kJournal);
  form->show();
  form->activateWindow();
  QCoreApplication::processEvents();

  // Tab leaves the table for the next control; it does not move a cell.
  form->StringGrid->setFocus();
  ASSERT_TRUE(form->StringGrid->hasFocus());
  QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
  QApplication::sendEvent(form->StringGrid, &tab);
  EXPECT_FALSE(form->StringGrid->hasFocus());

  // Typing "Ур" completes the box to "Урал": the table shows that group at once.
  form->GroupCB->setFocus();
  form->GroupCB->lineEdit()->selectAll();
  for (const QString key : {"У", "р"}) {
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, key);
    QApplication::sendEvent(form->GroupCB->lineEdit(), &press);
  }
  QCoreApplication::processEvents();
  EXPECT_EQ(form->GroupCB->currentText(), "Урал");
  EXPECT_EQ(Count(), "Показано строк: 1 из 4");
  // Typed in another letter case, the box takes the item's own text.
  form->GroupCB->lineEdit()->selectAll();
  for (const QString key : {"у", "р"}) {
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, key);
    QApplication::sendEvent(form->GroupCB->lineEdit(), &press);
  }
  QCoreApplication::processEvents();
  EXPECT_EQ(form->GroupCB->currentText(), "Урал");
  EXPECT_EQ(form->GroupCB->lineEdit()->selectedText(), "ал");
  EXPECT_EQ(Count(), "Показано строк: 1 из 4");

  // A double click on a column border fits it to its widest text plus the pad.
  form->StringGrid->setColumnWidth(5, 10);
  emit form->StringGrid->horizontalHeader()->sectionHandleDoubleClicked(5);
  EXPECT_EQ(form->StringGrid->columnWidth(5), std::max(50, form->StringGrid->TextWidth(W("Авария, \"А\""))) + 50);
}

TEST_F(Desk, NothingOfTheOpenDialogOutlivesIt) {
  // The window's own dialog runner, with the dialog's completion popup shown before it ends.
  TCorvanelForm plain(JournalRules());
  QFileDialog& dialog = *plain.OpenDialog();
  QWidget* popup = nullptr;
  QTimer::singleShot(0, [&] {
    for (QCompleter* completer : dialog.findChildren<QCompleter*>()) {
      completer->complete();
      if (completer->popup() != nullptr && popup == nullptr) popup = completer->popup();
    }
    // The completion's popup is up when the dialog ends.
    if (popup != nullptr) popup->show();
    EXPECT_TRUE(popup != nullptr && popup->isVisible());
    dialog.reject();
  });
  plain.runOpenDialog(dialog);
  ASSERT_NE(popup, nullptr);
  EXPECT_FALSE(popup->isVisible());
}

}  // namespace
}  // namespace vantorel::test
