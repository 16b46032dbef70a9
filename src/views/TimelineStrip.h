#pragma once
// A strip across the window that shows how the records of the day fall into its quarters of
// an hour, and sets the time window by a drag, a click or a double click.
#include <QWidget>

#include "document/Timeline.h"

namespace vantorel {

class TimelineStrip : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kHeight = 56;

  explicit TimelineStrip(QWidget* parent = nullptr);

  // The bars, and the rows a click on each bar shows; `coloured` stacks each bar by the
  // colours of alarm rows.
  void SetCounts(const TimelineCounts& counts, const TimelineClickRows& clickRows, bool coloured);
  // The time window, in seconds of the day, shaded over the bars. A window whose start is
  // later than its end passes no time of day: nothing is shaded, and the tooltip says why.
  void SetWindow(int startSecond, int endSecond);
  const TimelineCounts& Counts() const { return counts_; }
  // What the tooltip at x says.
  QString ToolTipAt(int x) const;

  // The second of the day at x, and the bin under x, for the strip's width; x outside the
  // bars is taken as their nearest end.
  int SecondAt(int x) const;
  int BinAt(int x) const;
  // The area of the bars.
  QRect Bars() const;

 signals:
  // The person chose a time window, in seconds of the day, both ends inclusive.
  void WindowChosen(int startSecond, int endSecond);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  bool event(QEvent* event) override;

 private:
  TimelineCounts counts_{};
  TimelineClickRows clickRows_{};
  bool coloured_ = false;
  int windowStart_ = 0;
  int windowEnd_ = 86399;
  // The drag under way: where it began and where it is, in x; -1 when none.
  int dragFrom_ = -1;
  int dragTo_ = -1;
};

// A second of the day rounded to the nearest whole minute; the end of the day stays inside it.
int RoundToMinute(int second);

}  // namespace vantorel
