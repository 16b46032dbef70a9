#include "support/FormFixture.h"

namespace vantorel::test {
namespace {

using AlarmWindow = FormTest;

const std::string kTitle = "Время\tГруппа\tКласс\tУзел\tПорт\tСообщение\tДетали\r\n";

std::string Line(const std::string& time, const std::string& group, const std::string& node,
                 const std::string& port, const std::string& message) {
  return "25.11.2013 " + time + "\t" + group + "\tкласс\t" + node + "\t" + port + "\t" + message + "\tд\r\n";
}

TEST_F(AlarmWindow, ThreeLineJournalShowsLiveProgressThenTheView) {
  OpenJournal("three.alarms", kTitle + Line("10:00:00", "G", "N", "P", "Норма") +
                                  Line("11:00:00", "G", "N", "P", "Авария"));
  ASSERT_TRUE(errors.isEmpty()) << errors.join("\n").toStdString();
  EXPECT_EQ(panel1History, (QStringList{"Записей: 1/2", "Записей: 2/2", "Показано строк: 2 из 2"}));
  EXPECT_EQ(form->StringGrid->ColumnCount(), 7);
  EXPECT_EQ(Cell(0, 0), "Время");
  EXPECT_EQ(Cell(6, 0), "Детали");
  EXPECT_EQ(Cell(0, 1), "10:00:00");
  EXPECT_EQ(Cell(5, 2), "Авария");
  EXPECT_EQ(form->StringGrid->FixedRows(), 1);
  EXPECT_TRUE(form->ProgressBar->isHidden());
  EXPECT_FALSE(form->FilterBoxAlert->isHidden());
  EXPECT_TRUE(form->EmptyBox->isHidden());
  EXPECT_EQ(form->ProgressBar->maximum(), 3);
}

TEST_F(AlarmWindow, FiltersAndTheUnimportantSwitchRebuildTheTable) {
  OpenJournal("filters.alarms",
              kTitle + Line("09:59:59", "Юг", "N1", "P1", "Норма") + Line("10:00:00", "Юг", "N2", "P2", "Авария") +
                  Line("11:00:00", "Урал", "N1", "P1", "Переход на резерв") +
                  Line("12:00:00", "Урал", "N2", "P1", "Переход на резерв ") +
                  Line("12:00:01", "юг", "N1", "P2", "Рассхождение в системном времени"));
  ASSERT_TRUE(errors.isEmpty());
  EXPECT_EQ(Count(), "Показано строк: 3 из 5");
  EXPECT_EQ(form->GroupCB->count(), 4);
  EXPECT_EQ(form->GroupCB->itemText(1), "Юг");
  EXPECT_EQ(form->GroupCB->itemText(3), "юг");

  form->ShowOlive->trigger();
  EXPECT_EQ(Count(), "Показано строк: 5 из 5");

  form->StartTime->setTime(QTime(10, 0, 0));
  form->EndTime->setTime(QTime(12, 0, 0));
  EXPECT_EQ(Count(), "Показано строк: 3 из 5");

  form->GroupCB->setCurrentIndex(2);  // Урал
  emit form->GroupCB->UserChanged();
  EXPECT_EQ(Count(), "Показано строк: 2 из 5");
  form->NameCB->setCurrentIndex(1);  // N1
  emit form->NameCB->UserChanged();
  EXPECT_EQ(Count(), "Показано строк: 1 из 5");
  EXPECT_EQ(Cell(0, 1), "11:00:00");

  // Typed text that names no item keeps only records whose field is empty.
  form->GroupCB->setEditText("Ура");
  emit form->GroupCB->UserChanged();
  EXPECT_EQ(form->GroupCB->SelectedIndex(), -1);
  EXPECT_EQ(Count(), "Показано строк: 0 из 5");
  EXPECT_EQ(form->StringGrid->FixedRows(), 0);
  for (int c = 0; c < 7; ++c) EXPECT_EQ(form->StringGrid->columnWidth(c), 100);

  // A window that would wrap past midnight shows nothing.
  form->GroupCB->setCurrentIndex(0);
  form->NameCB->setCurrentIndex(0);
  form->StartTime->setTime(QTime(22, 0, 0));
  form->EndTime->setTime(QTime(2, 0, 0));
  EXPECT_EQ(Count(), "Показано строк: 0 из 5");
}

TEST_F(AlarmWindow, ColumnWidthsFollowTheWidestDataTextNotTheTitle) {
  const std::string wide(60, 'W');
  OpenJournal("widths.alarms", "Очень длинный заголовок первой колонки журнала\tГ\tК\tУ\tП\tС\tД\r\n" +
                                   Line("10:00:00", wide, "N", "P", "Норма"));
  ASSERT_TRUE(errors.isEmpty());
  JournalGrid& grid = *form->StringGrid;
  EXPECT_EQ(grid.columnWidth(0), std::max(50, grid.TextWidth("10:00:00")) + 50);
  EXPECT_EQ(grid.columnWidth(1), grid.TextWidth(wide) + 50);
  EXPECT_GT(grid.columnWidth(1), 250);
  EXPECT_EQ(grid.columnWidth(3), 100);
}

TEST_F(AlarmWindow, FailedLoadShowsTheErrorAndLeavesNoRecordsBehind) {
  OpenJournal("good.alarms", kTitle + Line("10:00:00", "Старая", "N", "P", "Норма"));
  ASSERT_EQ(Count(), "Показано строк: 1 из 1");
  OpenJournal("bad.alarms", "A\tB\tC\tD\tE\tF\tG\r\n" + Line("10:00:00", "Новая", "N", "P", "Норма") +
                                Line("11:00:00", "Новая", "N", "P", "Норма") +
                                "31.02.2013 10:00:00\tНовая\tк\tN\tP\tНорма\tд\r\n");
  ASSERT_EQ(errors.size(), 1);
  EXPECT_EQ(errors[0], "'31.02.2013 10:00:00' is not a valid date and time.");
  EXPECT_TRUE(form->ProgressBar->isHidden());
  EXPECT_TRUE(form->Alarms().empty());
  // The new titles stand; the lists were not refilled.
  EXPECT_EQ(Cell(0, 0), "A");
  EXPECT_EQ(form->StringGrid->RowCount(), 1);
  EXPECT_EQ(form->GroupCB->itemText(1), "Старая");
  // A later filter change shows nothing of the earlier journal.
  form->ShowOlive->trigger();
  EXPECT_EQ(Count(), "Показано строк: 0 из 0");
  EXPECT_EQ(form->StringGrid->RowCount(), 1);
}

TEST_F(AlarmWindow, TitleOnlyAndEmptyFiles) {
  OpenJournal("title-only.alarms", kTitle);
  ASSERT_TRUE(errors.isEmpty());
  EXPECT_EQ(panel1History, QStringList{"Показано строк: 0 из 0"});
  EXPECT_EQ(form->GroupCB->count(), 1);
  EXPECT_EQ(form->PortCB->itemText(0), "Все платы/порты");
  EXPECT_EQ(form->StringGrid->FixedRows(), 0);

  OpenJournal("empty.alarms", "");
  ASSERT_EQ(errors.size(), 1);
  EXPECT_EQ(errors[0], "Range check error.");
  EXPECT_TRUE(form->ProgressBar->isHidden());
}

}  // namespace
}  // namespace vantorel::test
