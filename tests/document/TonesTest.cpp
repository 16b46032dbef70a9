#include <gtest/gtest.h>

#include "document/JournalDocument.h"
#include "journals/AlarmMessages.h"
#include "support/CoreTestSupport.h"
#include "support/TestFiles.h"

namespace vantorel {
namespace {

using test::W;

TEST(ToneOfMessage, ToneByExactMessage) {
  EXPECT_EQ(ToneOfMessage(W("Переход на резерв")), TextTone::Olive);
  EXPECT_EQ(ToneOfMessage(W("Рассхождение в системном времени")), TextTone::Olive);
  EXPECT_EQ(ToneOfMessage(W("Норма")), TextTone::Green);
  EXPECT_EQ(ToneOfMessage(W("Связь с устройством восстановлена")), TextTone::Green);
  EXPECT_EQ(ToneOfMessage(W("Интернет-соединение восстановлено")), TextTone::Green);
  EXPECT_EQ(ToneOfMessage(W("Потеря связи с устройством")), TextTone::Maroon);
  EXPECT_EQ(ToneOfMessage(""), TextTone::Maroon);
}

TEST(ToneOfMessage, LookAlikesAreMaroon) {
  for (const char* text : {"переход на резерв", "Переход на резерв ", " Норма", "НОРМА", "норма", "Норма ",
                           "Связь с устройством восстановлена.", "Интернет-соединение восстановлен",
                           "Расхождение в системном времени"}) {
    EXPECT_EQ(ToneOfMessage(W(text)), TextTone::Maroon) << text;
  }
  // The UTF-8 bytes of a message are not its Windows-1251 bytes.
  EXPECT_EQ(ToneOfMessage("Норма"), TextTone::Maroon);
}

TEST(JournalDocumentTone, AlarmsTakeTheirMessagesToneOtherKindsArePlain) {
  // The same line in every kind: an unimportant alarm message stands in the alarms' message
  // field, and in the action and parameter fields of the other kinds.
  const std::string line = W("25.11.2013 10:00:00\tG\tc\tN\tПереход на резерв\tПереход на резерв\tx\ty\r\n");
  const JournalDocument alarms = test::Document(JournalKind::Alarms, "title\r\n" + line);
  ASSERT_EQ(alarms.RecordCount(), 1u);
  EXPECT_EQ(alarms.Tone(0), TextTone::Olive);
  for (JournalKind kind : {JournalKind::Param, JournalKind::Stat}) {
    const JournalDocument document = test::Document(kind, "title\r\n" + line);
    ASSERT_EQ(document.RecordCount(), 1u);
    EXPECT_EQ(document.Tone(0), TextTone::Plain);
  }
  const JournalDocument actions =
      test::Document(JournalKind::Action, "title\r\nu\t25.11.2013 10:00:00\to\tp\tv\t" + W("Переход на резерв") + "\r\n");
  ASSERT_EQ(actions.RecordCount(), 1u);
  EXPECT_EQ(actions.Tone(0), TextTone::Plain);
}

}  // namespace
}  // namespace vantorel
