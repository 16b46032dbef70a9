#include "support/FormFixture.h"

namespace vantorel::test {
namespace {

using ParamWindow = FormTest;

const std::string kTitle = "Время\tГруппа\tКласс\tУзел\tПорт\tПараметр\tБыло\tСтало\r\n";

std::string Line(const std::string& stamp, const std::string& group, const std::string& param) {
  return stamp + "\t" + group + "\tк\tN\tP\t" + param + "\t1\t2\r\n";
}

TEST_F(ParamWindow, ParamJournalSetsTheDateRangeAndFiltersByDayAndTime) {
  OpenJournal("range.param", kTitle + Line("03.12.2013 10:00:00", "G", "Порог") +
                                 Line("01.12.2013 00:00:00", "G", "Порог") +
                                 Line("02.12.2013 23:00:00", "Все группы", "Уровень") +
                                 Line("03.12.2013 12:00:01", "H", "Уровень"));
  ASSERT_TRUE(errors.isEmpty()) << errors.join("\n").toStdString();
  EXPECT_FALSE(form->DataBox->isHidden());
  EXPECT_FALSE(form->FilterBoxParam->isHidden());
  EXPECT_EQ(form->StartDate->date(), QDate(2013, 12, 1));
  EXPECT_EQ(form->EndDate->date(), QDate(2013, 12, 3));
  EXPECT_EQ(form->StartDate->time(), QTime(0, 0, 0));
  EXPECT_EQ(Count(), "Показано строк: 4 из 4");
  EXPECT_EQ(panel1History.first(), "Записей: 1/4");
  EXPECT_EQ(panel1History[panel1History.size() - 2], "Записей: 4/4");
  EXPECT_EQ(form->ProgressBar->maximum(), 5);
  EXPECT_EQ(Cell(0, 1), "03.12.2013 10:00:00");
  EXPECT_EQ(Cell(0, 2), "01.12.2013");
  // "Все группы" in the journal is not listed twice.
  EXPECT_EQ(form->GroupCB2->count(), 3);

  // The start time holds on every day, the end time on the end day only.
  form->StartTime->setTime(QTime(10, 0, 0));
  form->EndTime->setTime(QTime(12, 0, 0));
  EXPECT_EQ(Count(), "Показано строк: 2 из 4");
  EXPECT_EQ(Cell(0, 1), "03.12.2013 10:00:00");
  EXPECT_EQ(Cell(0, 2), "02.12.2013 23:00:00");

  form->StartDate->setDate(QDate(2013, 12, 4));
  EXPECT_EQ(Count(), "Показано строк: 0 из 4");
}

TEST_F(ParamWindow, StatJournalKeepsTheDateBoxHiddenAndFiltersDaily) {
  form->StartDate->setDate(QDate(2020, 1, 2));
  OpenJournal("daily.stat", kTitle + Line("01.12.2013 10:00:00", "G", "p") + Line("02.12.2013 10:00:00", "G", "p") +
                                 Line("03.12.2013 13:00:00", "G", "q"));
  ASSERT_TRUE(errors.isEmpty());
  EXPECT_TRUE(form->DataBox->isHidden());
  EXPECT_EQ(form->StartDate->date(), QDate(2020, 1, 2));
  EXPECT_EQ(Cell(0, 1), "10:00:00");
  form->StartTime->setTime(QTime(9, 0, 0));
  form->EndTime->setTime(QTime(12, 0, 0));
  EXPECT_EQ(Count(), "Показано строк: 2 из 3");
  form->ParamCB->setCurrentIndex(2);  // q
  emit form->ParamCB->UserChanged();
  EXPECT_EQ(Count(), "Показано строк: 0 из 3");
}

TEST_F(ParamWindow, TitleOnlyParamPutsBothPickersOnTheStartDay) {
  form->StartDate->setDate(QDate(2015, 6, 7));
  OpenJournal("title.param", kTitle);
  ASSERT_TRUE(errors.isEmpty());
  EXPECT_EQ(form->StartDate->date(), QDate(2015, 6, 7));
  EXPECT_EQ(form->EndDate->date(), QDate(2015, 6, 7));
  EXPECT_EQ(Count(), "Показано строк: 0 из 0");
}

TEST_F(ParamWindow, DayThePickerCannotHoldFailsTheLoad) {
  OpenJournal("ancient.param", kTitle + Line("01.01.1500 10:00:00", "G", "p"));
  ASSERT_EQ(errors.size(), 1);
  EXPECT_EQ(errors[0], "Failed to set calendar date or time.");
  EXPECT_TRUE(form->Params().empty());
  EXPECT_TRUE(form->ProgressBar->isHidden());
}

}  // namespace
}  // namespace vantorel::test
