#include <QHeaderView>
#include <QApplication>
#include <QDir>

#include "support/FormFixture.h"

namespace vantorel::test {
namespace {

using StartState = FormTest;

TEST_F(StartState, WindowControlsAndGridAsTheOperatorFirstSeesThem) {
  EXPECT_EQ(form->windowTitle(), "Vantorel for Ostrevane v.1.5");
  EXPECT_EQ(form->objectName(), "CorvanelForm");
  // The client area below the menu bar is 719 x 451.
  EXPECT_EQ(form->width(), 719);
  EXPECT_EQ(form->height() - form->MainMenu->sizeHint().height(), 451);
  EXPECT_EQ(form->Panel->height(), 121);

  // Only the empty box shows on the right, with its greyed caption.
  EXPECT_FALSE(form->EmptyBox->isHidden());
  EXPECT_TRUE(form->FilterBoxAlert->isHidden());
  EXPECT_TRUE(form->FilterBoxAct->isHidden());
  EXPECT_TRUE(form->FilterBoxParam->isHidden());
  EXPECT_TRUE(form->DataBox->isHidden());
  EXPECT_EQ(form->Label6->text(), "Фильтры отсутствуют");
  EXPECT_FALSE(form->Label6->isEnabled());
  EXPECT_TRUE(form->ProgressBar->isHidden());

  EXPECT_EQ(form->StartTime->time(), QTime(0, 0, 0));
  EXPECT_EQ(form->EndTime->time(), QTime(23, 59, 59));
  EXPECT_EQ(form->StartDate->date(), QDate(2013, 11, 25));
  EXPECT_EQ(form->GroupCB->currentText(), "Все группы");
  EXPECT_EQ(form->UserCB->currentText(), "Все пользователи");
  EXPECT_EQ(form->ParamCB->currentText(), "Все параметры");
  EXPECT_EQ(form->GroupCB->count(), 0);

  EXPECT_EQ(form->StringGrid->ColumnCount(), 6);
  EXPECT_EQ(form->StringGrid->RowCount(), 2);
  EXPECT_EQ(form->StringGrid->FixedRows(), 1);
  for (int c = 0; c < 6; ++c) {
    EXPECT_EQ(form->StringGrid->columnWidth(c), 108);
    EXPECT_EQ(Cell(c, 0), "");
    EXPECT_EQ(Cell(c, 1), "");
  }
  EXPECT_EQ(form->StringGrid->visualRect(form->StringGrid->Model().index(0, 0)).height(), 19);

  EXPECT_EQ(form->StatusPanels[0]->minimumWidth(), 250);
  EXPECT_EQ(form->StatusPanels[1]->minimumWidth(), 150);
  EXPECT_EQ(form->StatusText(0), "");
  EXPECT_EQ(form->StatusText(1), "");
}

TEST_F(StartState, MenuAndOpenDialogAsConfigured) {
  const QList<QAction*> actions = form->MainMenu->actions();
  ASSERT_EQ(actions.size(), 3);
  EXPECT_EQ(actions[0]->text(), "Открыть журнал");
  EXPECT_EQ(actions[1]->text(), "Показывать неважные аварии");
  EXPECT_EQ(actions[2]->text(), "Выход");
  EXPECT_TRUE(form->ShowOlive->isCheckable());
  EXPECT_FALSE(form->Open->isCheckable());
  // The creation handler turned the stored checked state off and set the small empty ring.
  EXPECT_FALSE(form->ShowOlive->isChecked());
  EXPECT_EQ(form->ShowOlive->icon().cacheKey(), form->ImageList1[2].cacheKey());

  EXPECT_EQ(form->OpenDialog()->windowTitle(), "Открыть журнал");
  EXPECT_EQ(QString(kOpenDialogFilter),
            "Журнал аварий (*.alarms)|*.alarms|Журнал действий (*.action)|*.action|"
            "Журнал изменений параметров (*.param)|*.param|Журнал статистики (*.stat)|*.stat");
  EXPECT_EQ(form->OpenDialog()->nameFilters(),
            (QStringList{"Журнал аварий (*.alarms)", "Журнал действий (*.action)",
                         "Журнал изменений параметров (*.param)", "Журнал статистики (*.stat)", kRotatedJournalsFilter}));
  EXPECT_EQ(form->OpenDialog()->selectedNameFilter(), "Журнал аварий (*.alarms)");
  EXPECT_EQ(form->OpenDialog()->fileMode(), QFileDialog::AnyFile);
}

TEST_F(StartState, ShowOliveFlipsItsStateAndGlyph) {
  form->ShowOlive->trigger();
  EXPECT_TRUE(form->ShowOlive->isChecked());
  EXPECT_EQ(form->ShowOlive->icon().cacheKey(), form->ImageList1[3].cacheKey());
  form->ShowOlive->trigger();
  EXPECT_FALSE(form->ShowOlive->isChecked());
  EXPECT_EQ(form->ShowOlive->icon().cacheKey(), form->ImageList1[2].cacheKey());
  // Nothing is open: the table is untouched.
  EXPECT_EQ(form->StringGrid->RowCount(), 2);
  EXPECT_EQ(form->StatusText(1), "");
}

TEST_F(StartState, RightBoxStartsBesideTheTimeBoxOrTheDateBox) {
  form->show();
  QApplication::processEvents();
  EXPECT_EQ(form->EmptyBox->x(), 136);
  form->HideFilterBoxes();
  form->DataBox->show();
  form->FilterBoxParam->show();
  QApplication::processEvents();
  EXPECT_EQ(form->FilterBoxParam->x(), 289);
  EXPECT_EQ(form->DataBox->x(), 136);
}

TEST_F(StartState, WindowCannotShrinkBelowItsSmallestSize) {
  form->show();
  form->resize(300, 200);
  QApplication::processEvents();
  EXPECT_GE(form->width(), 664);
  EXPECT_EQ(form->Panel->height(), 121);
  form->resize(1000, 800);
  QApplication::processEvents();
  EXPECT_EQ(form->Panel->height(), 121);
  EXPECT_EQ(form->Panel->width(), 1000);
  EXPECT_GT(form->StringGrid->height(), 400);
}

}  // namespace
}  // namespace vantorel::test
