#include <gtest/gtest.h>

#include <string>

#include "generate/Generate.h"
#include "journals/ActionLog.h"
#include "journals/AlarmLog.h"
#include "journals/FileBytes.h"
#include "journals/ParamStatLog.h"
#include "uStrUtils/Literals.h"

namespace vantorel {
namespace {

std::string Generate(JournalKind kind, DateStyle dates, uint64_t seed = 5, size_t records = 3000) {
  GenerateOptions options;
  options.kind = kind;
  options.records = records;
  options.seed = seed;
  options.days = 3;
  options.dates = dates;
  std::string text;
  GenerateJournal(options, [&text](std::string_view bytes) { text += bytes; });
  return text;
}

FileBytes Bytes(const std::string& text) {
  FileBytes bytes;
  bytes.data = std::make_unique<char[]>(text.size() + 1);
  std::copy(text.begin(), text.end(), bytes.data.get());
  bytes.size = text.size();
  return bytes;
}

DateTimeRules RulesFor(DateStyle dates) {
  DateTimeRules rules;
  rules.currentYear = 2026;
  if (dates == DateStyle::Russian) {
    rules.regional.shortDateFormat = "dd/mm/yyyy";
    rules.regional.dateSeparator = '.';
    rules.regional.clock24 = true;
    rules.regional.hourLeadingZero = true;
  }
  return rules;
}

// Days 41603 (25 November 2013) to 41605, in time order.
template <typename Records>
void ExpectDaysInOrder(const Records& records, const char* what) {
  ASSERT_FALSE(records.empty()) << what;
  EXPECT_EQ(static_cast<int>(records.front().DateTime), 41603) << what;
  EXPECT_EQ(static_cast<int>(records.back().DateTime), 41605) << what;
  for (size_t i = 1; i < records.size(); ++i) {
    if (records[i].DateTime < records[i - 1].DateTime) {
      ADD_FAILURE() << what << ": record " << i << " is earlier than the one before";
      return;
    }
  }
}

TEST(GenerateTest, JournalsOfEveryKindAndDateStyleLoadWithManyDistinctValues) {
  SilentLoad silent;
  for (DateStyle dates : {DateStyle::Russian, DateStyle::StandIn}) {
    const DateTimeRules rules = RulesFor(dates);
    const char* style = dates == DateStyle::Russian ? "russian" : "stand-in";

    const AlarmLoad alarms = ParseAlarmLog(Bytes(Generate(JournalKind::Alarms, dates)), rules, silent);
    EXPECT_EQ(alarms.records.size(), 3000u) << style;
    ExpectDaysInOrder(alarms.records.records, style);
    EXPECT_GT(alarms.lists.groups.size(), 40u);
    EXPECT_GT(alarms.lists.nodes.size(), 500u);
    EXPECT_GT(alarms.lists.ports.size(), 100u);
    const Literals& words = Cp1251Literals();
    for (const std::string* message : {&words.toReserve, &words.clockMismatch, &words.normal, &words.linkRestored,
                                       &words.internetRestored}) {
      bool found = false;
      for (const AlarmRecord& r : alarms.records.records) found = found || alarms.records.Text(r.Message) == *message;
      EXPECT_TRUE(found) << style;
    }

    const ActionLoad actions = ParseActionLog(Bytes(Generate(JournalKind::Action, dates)), rules, silent);
    EXPECT_EQ(actions.records.size(), 3000u) << style;
    ExpectDaysInOrder(actions.records.records, style);
    EXPECT_GT(actions.lists.users.size(), 20u);
    EXPECT_GT(actions.lists.actions.size(), 10u);

    for (JournalKind kind : {JournalKind::Param, JournalKind::Stat}) {
      const ParamLoad params = ParseParamStatLog(Bytes(Generate(kind, dates)), 0, rules, silent);
      EXPECT_EQ(params.records.size(), 3000u) << style;
      ExpectDaysInOrder(params.records.records, style);
      EXPECT_EQ(static_cast<int>(params.earliest), 41603);
      EXPECT_EQ(static_cast<int>(params.latest), 41605);
      EXPECT_GT(params.lists.params.size(), 7u);
    }
  }
}

TEST(GenerateTest, TheSeedDecidesTheBytes) {
  const std::string first = Generate(JournalKind::Alarms, DateStyle::Russian, 11);
  EXPECT_EQ(first, Generate(JournalKind::Alarms, DateStyle::Russian, 11));
  EXPECT_NE(first, Generate(JournalKind::Alarms, DateStyle::Russian, 12));
  // Lines end in CR LF; a million records make about a hundred megabytes.
  EXPECT_NE(first.find("\r\n"), std::string::npos);
  const size_t perRecord = first.size() / 3000;
  EXPECT_GT(perRecord, 80u);
  EXPECT_LT(perRecord, 130u);
}

}  // namespace
}  // namespace vantorel
