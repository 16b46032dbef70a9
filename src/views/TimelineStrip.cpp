#include "views/TimelineStrip.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTime>
#include <QToolTip>
#include <algorithm>

#include "views/JournalTableModel.h"

namespace vantorel {
namespace {

constexpr int kScaleWidth = 40;
constexpr int kLabelsHeight = 13;
constexpr int kSecondsPerDay = 86400;
// Below this many pixels a press and release are a click, not a drag.
constexpr int kDragSlack = 3;
// The top of the bars' area that no bar reaches: the time window's band shows there whatever
// the bars' height.
constexpr int kBandHeight = 4;

QString Clock(int second) {
  return QString("%1:%2").arg(second / 3600, 2, 10, QChar('0')).arg(second / 60 % 60, 2, 10, QChar('0'));
}

}  // namespace

int RoundToMinute(int second) {
  const int rounded = (second + 30) / 60 * 60;
  return std::min(rounded, kSecondsPerDay - 1);
}

TimelineStrip::TimelineStrip(QWidget* parent) : QWidget(parent) {
  setFixedHeight(kHeight);
  setMouseTracking(true);
  setAutoFillBackground(true);
}

QRect TimelineStrip::Bars() const { return QRect(kScaleWidth, 2, std::max(1, width() - kScaleWidth - 4), kHeight - 4 - kLabelsHeight); }

int TimelineStrip::SecondAt(int x) const {
  const QRect bars = Bars();
  const double share = std::clamp(static_cast<double>(x - bars.left()) / bars.width(), 0.0, 1.0);
  return static_cast<int>(share * kSecondsPerDay + 0.5);
}

int TimelineStrip::BinAt(int x) const { return std::min(kTimelineBins - 1, SecondAt(x) * kTimelineBins / kSecondsPerDay); }

void TimelineStrip::SetCounts(const TimelineCounts& counts, const TimelineClickRows& clickRows, bool coloured) {
  counts_ = counts;
  clickRows_ = clickRows;
  coloured_ = coloured;
  update();
}

void TimelineStrip::SetWindow(int startSecond, int endSecond) {
  windowStart_ = startSecond;
  windowEnd_ = endSecond;
  update();
}

void TimelineStrip::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QRect bars = Bars();
  painter.fillRect(bars, QColor(255, 255, 255));
  auto xOf = [&bars](double second) { return bars.left() + static_cast<int>(second * bars.width() / kSecondsPerDay); };

  uint32_t tallest = 0;
  for (const BinCounts& bin : counts_) tallest = std::max(tallest, bin.Total());
  if (tallest > 0) {
    // Stacked from the bottom: maroon, green, olive; a journal that is not coloured in one colour.
    const TextTone order[] = {TextTone::Maroon, TextTone::Green, TextTone::Olive, TextTone::Plain};
    const int room = bars.height() - 1 - kBandHeight;
    for (int i = 0; i < kTimelineBins; ++i) {
      const int left = xOf(static_cast<double>(i) * kBinMs / 1000), right = xOf(static_cast<double>(i + 1) * kBinMs / 1000) - 1;
      int bottom = bars.bottom();
      uint32_t below = 0;
      for (TextTone tone : order) {
        const uint32_t n = counts_[static_cast<size_t>(i)].tones[static_cast<size_t>(tone)];
        if (n == 0) continue;
        below += n;
        const int top = bars.bottom() - static_cast<int>(static_cast<double>(below) * room / tallest);
        painter.fillRect(QRect(QPoint(left, top), QPoint(std::max(left, right), bottom)),
                         coloured_ ? ToneColour(tone) : QColor(64, 64, 128));
        bottom = top - 1;
      }
    }
  }

  // The time window over the bars: a light veil, and a band above them that no bar covers.
  if (windowStart_ <= windowEnd_) {
    const int left = xOf(windowStart_), right = std::max(left, xOf(windowEnd_ + 1) - 1);
    painter.fillRect(QRect(QPoint(left, bars.top()), QPoint(right, bars.bottom())), QColor(0, 0, 128, 40));
    painter.fillRect(QRect(QPoint(left, bars.top()), QPoint(right, bars.top() + kBandHeight - 1)), QColor(0, 0, 160));
  }

  // Hour marks every three hours, and the scale at the left.
  painter.setPen(palette().color(QPalette::WindowText));
  QFont small = font();
  small.setPointSizeF(std::max(6.0, small.pointSizeF() - 1));
  painter.setFont(small);
  for (int hour = 0; hour <= 24; hour += 3) {
    const int x = xOf(hour * 3600.0);
    painter.drawLine(x, bars.bottom(), x, bars.bottom() + 3);
    const QString label = QString("%1").arg(hour % 24, 2, 10, QChar('0'));
    if (hour < 24) painter.drawText(QPoint(x + 2, kHeight - 3), label);
  }
  painter.drawText(QRect(0, bars.top(), kScaleWidth - 4, 14), Qt::AlignRight | Qt::AlignTop, QString::number(tallest));
  painter.setPen(palette().color(QPalette::Mid));
  painter.drawRect(bars.adjusted(0, 0, -1, -1));

  if (dragFrom_ >= 0 && std::abs(dragTo_ - dragFrom_) >= kDragSlack) {
    painter.fillRect(QRect(QPoint(std::min(dragFrom_, dragTo_), bars.top()), QPoint(std::max(dragFrom_, dragTo_), bars.bottom())),
                     QColor(0, 0, 128, 60));
  }
}

void TimelineStrip::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  dragFrom_ = dragTo_ = event->position().toPoint().x();
}

void TimelineStrip::mouseMoveEvent(QMouseEvent* event) {
  if (dragFrom_ < 0) return;
  dragTo_ = event->position().toPoint().x();
  update();
}

void TimelineStrip::mouseReleaseEvent(QMouseEvent* event) {
  if (dragFrom_ < 0 || event->button() != Qt::LeftButton) return;
  const int from = dragFrom_, to = event->position().toPoint().x();
  dragFrom_ = dragTo_ = -1;
  update();
  if (std::abs(to - from) < kDragSlack) {
    // A click: the quarter of an hour under it.
    const int bin = BinAt(from);
    emit WindowChosen(BinStartSecond(bin), BinEndSecond(bin));
    return;
  }
  emit WindowChosen(RoundToMinute(SecondAt(std::min(from, to))), RoundToMinute(SecondAt(std::max(from, to))));
}

void TimelineStrip::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  dragFrom_ = dragTo_ = -1;
  emit WindowChosen(0, kSecondsPerDay - 1);
}

QString TimelineStrip::ToolTipAt(int x) const {
  QStringList lines;
  if (x >= Bars().left() && x <= Bars().right()) {
    const int bin = BinAt(x);
    lines.append(QString("%1–%2: записей %3; по щелчку строк: %4")
                     .arg(Clock(BinStartSecond(bin)), Clock(BinEndSecond(bin) + 1))
                     .arg(counts_[static_cast<size_t>(bin)].Total())
                     .arg(clickRows_[static_cast<size_t>(bin)]));
  }
  if (windowStart_ > windowEnd_) {
    lines.append(QString("Время «ОТ» (%1) позже времени «ДО» (%2): окно времени не переходит через полночь, "
                         "поэтому на шкале ничего не затенено")
                     .arg(QTime::fromMSecsSinceStartOfDay(windowStart_ * 1000).toString("HH:mm:ss"),
                          QTime::fromMSecsSinceStartOfDay(windowEnd_ * 1000).toString("HH:mm:ss")));
  }
  return lines.join('\n');
}

bool TimelineStrip::event(QEvent* event) {
  if (event->type() == QEvent::ToolTip) {
    const auto* help = static_cast<QHelpEvent*>(event);
    const QString text = ToolTipAt(help->pos().x());
    if (text.isEmpty()) {
      QToolTip::hideText();
    } else {
      QToolTip::showText(help->globalPos(), text, this);
    }
    return true;
  }
  return QWidget::event(event);
}

}  // namespace vantorel
