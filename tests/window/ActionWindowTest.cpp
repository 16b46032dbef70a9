#include "support/FormFixture.h"

namespace vantorel::test {
namespace {

using ActionWindow = FormTest;

const std::string kTitle = "Пользователь\tВремя\tУзел\tАдрес\tИтог\tДействие\r\n";

TEST_F(ActionWindow, LoadsShowsCountAndFiltersByUserAndAction) {
  OpenJournal("users.action", kTitle +
                                  "Иванов\t25.11.2013 10:00:00\tN1\ta\tok\tВход\r\n"
                                  "иванов\t25.11.2013 10:30:00\tN1\ta\tok\tВыход\r\n"
                                  "Иванов\t26.11.2013 11:00:00\tN2\ta\tok\tВыход\n"
                                  "admin\t26.11.2013 12:00:00\tN2\ta\tok\tВход");
  ASSERT_TRUE(errors.isEmpty()) << errors.join("\n").toStdString();
  EXPECT_EQ(panel1History, (QStringList{"Считано строк: 4", "Показано строк: 4 из 4"}));
  EXPECT_EQ(form->ProgressBar->maximum(), 5);
  EXPECT_FALSE(form->FilterBoxAct->isHidden());
  EXPECT_EQ(form->StringGrid->ColumnCount(), 6);
  EXPECT_EQ(Cell(0, 1), "Иванов");
  EXPECT_EQ(Cell(1, 3), "11:00:00");
  EXPECT_EQ(Cell(5, 4), "Вход");
  EXPECT_EQ(form->UserCB->count(), 4);

  form->UserCB->setCurrentIndex(1);  // Иванов, not иванов
  emit form->UserCB->UserChanged();
  EXPECT_EQ(Count(), "Показано строк: 2 из 4");
  form->ActCB->setCurrentIndex(2);  // Выход
  emit form->ActCB->UserChanged();
  EXPECT_EQ(Count(), "Показано строк: 1 из 4");
  EXPECT_EQ(Cell(1, 1), "11:00:00");

  form->UserCB->setCurrentIndex(0);
  form->StartTime->setTime(QTime(10, 30, 0));
  form->EndTime->setTime(QTime(11, 0, 0));
  EXPECT_EQ(Count(), "Показано строк: 2 из 4");
}

TEST_F(ActionWindow, BlankLineStopsTheLoadWithAnEmptyConversionError) {
  OpenJournal("blank.action", kTitle + "u\t25.11.2013 10:00:00\ta\tb\tc\td\r\n\r\nu\t25.11.2013 10:00:01\ta\tb\tc\td\r\n");
  ASSERT_EQ(errors.size(), 1);
  EXPECT_EQ(errors[0], "'' is not a valid date and time.");
  EXPECT_TRUE(form->Actions().empty());
  EXPECT_TRUE(form->ProgressBar->isHidden());
  EXPECT_TRUE(form->FilterBoxAct->isHidden());
  EXPECT_FALSE(form->EmptyBox->isHidden());
}

TEST_F(ActionWindow, EmptyAndTitleOnlyFilesShowNoRows) {
  for (const char* text : {"", "Пользователь\tВремя\r\n"}) {
    panel1History.clear();
    OpenJournal("none.action", text);
    ASSERT_TRUE(errors.isEmpty());
    EXPECT_EQ(Count(), "Показано строк: 0 из 0");
    EXPECT_EQ(form->UserCB->count(), 1);
    EXPECT_EQ(form->ActCB->itemText(0), "Все действия");
    EXPECT_FALSE(form->FilterBoxAct->isHidden());
  }
}

}  // namespace
}  // namespace vantorel::test
