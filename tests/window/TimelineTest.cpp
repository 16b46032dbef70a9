// The timeline strip: hidden it leaves the window as it is; shown, it sets the time window
// by a drag, a click or a double click, and runs the view as the pickers would.
#include <QApplication>
#include <QMouseEvent>

#include "support/FormFixture.h"

namespace vantorel::test {
namespace {

using TimelineWindow = FormTest;

void Mouse(QWidget* widget, QEvent::Type type, int x, Qt::MouseButtons buttons = Qt::LeftButton) {
  const QPointF at(x, 20);
  QMouseEvent event(type, at, widget->mapToGlobal(at), Qt::LeftButton, buttons, Qt::NoModifier);
  QApplication::sendEvent(widget, &event);
}

void Drag(TimelineStrip* strip, int from, int to) {
  Mouse(strip, QEvent::MouseButtonPress, from);
  Mouse(strip, QEvent::MouseMove, (from + to) / 2);
  Mouse(strip, QEvent::MouseButtonRelease, to, Qt::NoButton);
}

TEST_F(TimelineWindow, HiddenStripLeavesTheLayoutAndShownItSetsTheTimeWindow) {
  form->show();
  OpenJournal("day.alarms", "T\tG\tC\tN\tP\tM\tD\r\n25.11.2013 00:10:00\tG\tc\tN\tP\tНорма\td\r\n"
                            "25.11.2013 10:20:00\tG\tc\tN\tP\tАвария\td\r\n25.11.2013 23:50:00\tG\tc\tN\tP\tНорма\td\r\n");
  QCoreApplication::processEvents();
  const QRect grid = form->StringGrid->geometry();
  EXPECT_FALSE(form->Timeline->isVisible());
  EXPECT_EQ(grid.top(), form->Panel->geometry().bottom() + 1);

  form->ShowTimeline->trigger();
  QCoreApplication::processEvents();
  ASSERT_TRUE(form->Timeline->isVisible());
  EXPECT_EQ(form->Timeline->height(), 56);
  EXPECT_EQ(form->StringGrid->geometry().top(), grid.top() + 56);
  EXPECT_EQ(form->Timeline->Counts()[41].tones[static_cast<size_t>(TextTone::Maroon)], 1u);

  TimelineStrip* strip = form->Timeline;
  const QRect bars = strip->Bars();
  auto xAt = [&bars](double hours) { return bars.left() + static_cast<int>(hours / 24 * bars.width()); };
  // A drag sets the dragged span in whole minutes and runs the view.
  Drag(strip, xAt(10.0), xAt(12.0));
  EXPECT_EQ(form->StartTime->time().second(), 0);
  EXPECT_NEAR(form->StartTime->time().msecsSinceStartOfDay(), 10 * 3600000, 60000 * 3);
  EXPECT_NEAR(form->EndTime->time().msecsSinceStartOfDay(), 12 * 3600000, 60000 * 3);
  EXPECT_EQ(Count(), "Показано строк: 1 из 3");
  // Backwards, and out past the strip's right end: to the end of the day.
  Drag(strip, xAt(23.0), bars.right() + 40);
  EXPECT_EQ(form->EndTime->time(), QTime(23, 59, 59));
  EXPECT_EQ(Count(), "Показано строк: 1 из 3");
  Drag(strip, xAt(1.0), bars.left() - 30);
  EXPECT_EQ(form->StartTime->time(), QTime(0, 0, 0));
  EXPECT_EQ(Count(), "Показано строк: 1 из 3");
  // A click sets the quarter of an hour under it; a double click the whole day.
  Mouse(strip, QEvent::MouseButtonPress, xAt(10.3));
  Mouse(strip, QEvent::MouseButtonRelease, xAt(10.3), Qt::NoButton);
  EXPECT_EQ(form->StartTime->time(), QTime(10, 15, 0));
  EXPECT_EQ(form->EndTime->time(), QTime(10, 29, 59));
  EXPECT_EQ(Count(), "Показано строк: 1 из 3");
  Mouse(strip, QEvent::MouseButtonDblClick, xAt(5.0));
  EXPECT_EQ(form->StartTime->time(), QTime(0, 0, 0));
  EXPECT_EQ(form->EndTime->time(), QTime(23, 59, 59));
  EXPECT_EQ(Count(), "Показано строк: 3 из 3");

  form->ShowTimeline->trigger();
  QCoreApplication::processEvents();
  EXPECT_FALSE(form->Timeline->isVisible());
  EXPECT_EQ(form->StringGrid->geometry(), grid);
}

TEST_F(TimelineWindow, ATooltipGivesTheBarsRecordsAndTheRowsItsClickShows) {
  form->show();
  OpenJournal("days.param", "T\tG\tC\tN\tP\tR\tB\tA\r\n01.12.2013 10:00:00\tG\tk\tN\tP\tR\t1\t2\r\n"
                            "01.12.2013 11:00:00\tG\tk\tN\tP\tR\t1\t2\r\n02.12.2013 09:20:00\tG\tk\tN\tP\tR\t1\t2\r\n");
  form->ShowTimeline->trigger();
  QCoreApplication::processEvents();
  TimelineStrip* strip = form->Timeline;
  const int x = strip->Bars().left() + static_cast<int>(9.3 / 24 * strip->Bars().width());
  // The end time bounds the end day only: the earlier day's later records show too.
  EXPECT_EQ(strip->ToolTipAt(x), "09:15–09:30: записей 1; по щелчку строк: 3");
  Mouse(strip, QEvent::MouseButtonPress, x);
  Mouse(strip, QEvent::MouseButtonRelease, x, Qt::NoButton);
  EXPECT_EQ(Count(), "Показано строк: 3 из 3");
}

TEST(TimelineStrip, RoundsToWholeMinutesAndKeepsTheEndInsideTheDay) {
  EXPECT_EQ(RoundToMinute(29), 0);
  EXPECT_EQ(RoundToMinute(30), 60);
  EXPECT_EQ(RoundToMinute(86399), 86399);
  EXPECT_EQ(RoundToMinute(86400), 86399);
}

}  // namespace
}  // namespace vantorel::test
