#include <gtest/gtest.h>

#include "support/FormFixture.h"
#include "views/JournalTableModel.h"

namespace vantorel::test {
namespace {

using CellPainterTest = FormTest;

const QColor kBlack(0, 0, 0), kOlive(128, 128, 0), kGreen(0, 128, 0), kMaroon(128, 0, 0), kWhite(255, 255, 255);

std::string AlarmLine(const std::string& message) {
  return "25.11.2013 10:00:00\tG\tc\tN\tP\t" + message + "\td\r\n";
}

TEST_F(CellPainterTest, AlarmRowsTakeTheColourOfTheirMessage) {
  form->ShowOlive->trigger();  // show the unimportant alarms too
  const std::vector<std::pair<std::string, QColor>> cases = {
      {"Переход на резерв", kOlive},
      {"Рассхождение в системном времени", kOlive},
      {"Норма", kGreen},
      {"Связь с устройством восстановлена", kGreen},
      {"Интернет-соединение восстановлено", kGreen},
      {"норма", kMaroon},
      {"Норма ", kMaroon},
      {"Переход на резерв ", kMaroon},
      {"Потеря сигнала", kMaroon},
  };
  std::string journal = "T\tG\tC\tN\tP\tM\tD\r\n";
  for (const auto& c : cases) journal += AlarmLine(c.first);
  journal += "25.11.2013 10:00:00\tG\tc\tN\tP\r\n";  // no message: maroon
  OpenJournal("colours.alarms", journal);
  ASSERT_TRUE(errors.isEmpty());
  ASSERT_EQ(form->StringGrid->RowCount(), static_cast<int>(cases.size()) + 2);
  for (size_t i = 0; i < cases.size(); ++i) {
    EXPECT_EQ(Colours(static_cast<int>(i) + 1).text, cases[i].second) << cases[i].first;
  }
  EXPECT_EQ(Colours(static_cast<int>(cases.size()) + 1).text, kMaroon);
  // The title row is black on button face; data rows alternate white and button face.
  EXPECT_EQ(Colours(0).text, kBlack);
  EXPECT_EQ(Colours(0).background, ButtonFace());
  EXPECT_EQ(Colours(1).background, kWhite);
  EXPECT_EQ(Colours(2).background, ButtonFace());
}

TEST_F(CellPainterTest, ColoursFollowTheRowNumberAfterAFilterChange) {
  OpenJournal("rows.alarms", "T\tG\tC\tN\tP\tM\tD\r\n" + AlarmLine("Норма") +
                                 "25.11.2013 11:00:00\tG\tc\tN\tP\tАвария\td\r\n");
  ASSERT_EQ(Colours(2).text, kMaroon);
  // Selection plays no part.
  form->StringGrid->selectRow(1);
  EXPECT_EQ(Colours(2).background, ButtonFace());
  form->StartTime->setTime(QTime(11, 0, 0));
  ASSERT_EQ(form->StringGrid->RowCount(), 2);
  EXPECT_EQ(Colours(1).text, kMaroon);
  EXPECT_EQ(Colours(1).background, kWhite);
}

TEST_F(CellPainterTest, AFoundCellHasAFrameOfItsOwnAndTheRowKeepsItsColours) {
  OpenJournal("found.alarms", "T\tG\tC\tN\tP\tM\tD\r\n" + AlarmLine("Норма") + AlarmLine("Авария"));
  form->show();
  JournalGrid* grid = form->StringGrid;
  grid->GoToMatch(ShownRow{0}, 2);
  const QImage image = grid->viewport()->grab().toImage();
  const QRect found = grid->visualRect(grid->Model().index(0, 2));
  const QRect beside = grid->visualRect(grid->Model().index(0, 4));
  EXPECT_EQ(image.pixelColor(found.left() + 1, found.bottom() - 3), kBlack);
  EXPECT_EQ(image.pixelColor(found.right() - 5, found.bottom() - 4), kWhite);
  EXPECT_EQ(image.pixelColor(beside.left() + 1, beside.bottom() - 3), kWhite);
  EXPECT_EQ(Colours(1).background, kWhite);
}

TEST_F(CellPainterTest, OtherJournalsAreBlack) {
  OpenJournal("black.action", "U\tT\tA\tB\tC\tD\r\nu\t25.11.2013 10:00:00\tx\ty\tz\tНорма\r\n");
  ASSERT_TRUE(errors.isEmpty());
  EXPECT_EQ(Colours(1).text, kBlack);
  EXPECT_EQ(Colours(1).background, kWhite);
}

}  // namespace
}  // namespace vantorel::test
