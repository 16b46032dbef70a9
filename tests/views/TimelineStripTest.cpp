// The timeline strip's time window: seen over bars of any height, and not at all when its
// start is later than its end.
#include <gtest/gtest.h>

#include <QImage>

#include "views/TimelineStrip.h"

namespace vantorel {
namespace {

TEST(TimelineStrip, TheWindowShowsOverFullBarsAndOneThatEndsBeforeItStartsShadesNothing) {
  TimelineStrip strip;
  strip.resize(40 + 4 + kTimelineBins * 4, TimelineStrip::kHeight);
  TimelineCounts counts{};
  // Bars from 08:00 to 16:00, all of the strip's height.
  for (int bin = 32; bin < 64; ++bin) counts[static_cast<size_t>(bin)].tones[static_cast<size_t>(TextTone::Plain)] = 100;
  TimelineClickRows clicks{};
  clicks[37] = 35;
  strip.SetCounts(counts, clicks, false);
  const QRect bars = strip.Bars();
  const int band = bars.top() + 2, low = bars.bottom() - 2;
  auto xAt = [&bars](double hours) { return bars.left() + static_cast<int>(hours / 24 * bars.width()); };

  strip.SetWindow(9 * 3600, 12 * 3600 - 1);
  QImage image = strip.grab().toImage();
  auto at = [&image, &xAt](double hours, int y) { return image.pixelColor(xAt(hours), y); };
  EXPECT_NE(at(10.5, band), at(15.0, band));
  EXPECT_NE(at(10.5, low), at(15.0, low));

  strip.SetWindow(22 * 3600, 3 * 3600 - 1);
  image = strip.grab().toImage();
  for (double hours : {23.0, 1.0}) {
    EXPECT_EQ(at(hours, band), at(5.0, band)) << hours;
    EXPECT_EQ(at(hours, low), at(5.0, low)) << hours;
  }
  EXPECT_EQ(strip.ToolTipAt(xAt(9.3)),
            "09:15–09:30: записей 100; по щелчку строк: 35\n"
            "Время «ОТ» (22:00:00) позже времени «ДО» (02:59:59): окно времени не переходит через полночь, "
            "поэтому на шкале ничего не затенено");
}

}  // namespace
}  // namespace vantorel
