#include "views/AlarmColour.h"

#include <gtest/gtest.h>

#include "support/TestFiles.h"

namespace vantorel {
namespace {

using test::W;

TEST(AlarmTextColour, ColourByExactMessage) {
  EXPECT_EQ(AlarmTextColour(W("Переход на резерв")), AlarmColour::Olive);
  EXPECT_EQ(AlarmTextColour(W("Рассхождение в системном времени")), AlarmColour::Olive);
  EXPECT_EQ(AlarmTextColour(W("Норма")), AlarmColour::Green);
  EXPECT_EQ(AlarmTextColour(W("Связь с устройством восстановлена")), AlarmColour::Green);
  EXPECT_EQ(AlarmTextColour(W("Интернет-соединение восстановлено")), AlarmColour::Green);
  EXPECT_EQ(AlarmTextColour(W("Потеря связи с устройством")), AlarmColour::Maroon);
  EXPECT_EQ(AlarmTextColour(""), AlarmColour::Maroon);
}

TEST(AlarmTextColour, LookAlikesAreMaroon) {
  for (const char* text : {"переход на резерв", "Переход на резерв ", " Норма", "НОРМА", "норма", "Норма ",
                           "Связь с устройством восстановлена.", "Интернет-соединение восстановлен",
                           "Расхождение в системном времени"}) {
    EXPECT_EQ(AlarmTextColour(W(text)), AlarmColour::Maroon) << text;
  }
  // The UTF-8 bytes of a message are not its Windows-1251 bytes.
  EXPECT_EQ(AlarmTextColour("Норма"), AlarmColour::Maroon);
}

}  // namespace
}  // namespace vantorel
