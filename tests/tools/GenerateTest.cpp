#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "generate/Generate.h"
#include "journals/JournalLoad.h"
#include "support/CoreTestSupport.h"
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

Journal Parse(JournalKind kind, DateStyle dates) {
  LoadOptions options;
  options.rules = RulesFor(dates);
  options.threads = 1;
  return ParseJournal(JournalBytesOf(Generate(kind, dates)), kind, options, "generated");
}

// Days 41603 (25 November 2013) to 41605, in time order.
void ExpectDaysInOrder(const Journal& journal, const char* what) {
  ASSERT_FALSE(journal.empty()) << what;
  const auto& times = journal.records.times;
  EXPECT_EQ(static_cast<int>(times[0]), 41603) << what;
  EXPECT_EQ(static_cast<int>(times[journal.size() - 1]), 41605) << what;
  for (size_t i = 1; i < journal.size(); ++i) {
    if (times[i] < times[i - 1]) {
      ADD_FAILURE() << what << ": record " << i << " is earlier than the one before";
      return;
    }
  }
}

TEST(GenerateTest, JournalsOfEveryKindAndDateStyleLoadWithManyDistinctValues) {
  for (DateStyle dates : {DateStyle::Russian, DateStyle::StandIn}) {
    const char* style = dates == DateStyle::Russian ? "russian" : "stand-in";

    // Groups, nodes, ports.
    const Journal alarms = Parse(JournalKind::Alarms, dates);
    EXPECT_EQ(alarms.size(), 3000u) << style;
    ExpectDaysInOrder(alarms, style);
    EXPECT_GT(alarms.List(0).size(), 40u);
    EXPECT_GT(alarms.List(1).size(), 500u);
    EXPECT_GT(alarms.List(2).size(), 100u);
    const Literals& words = Cp1251Literals();
    const std::vector<std::string> messages = test::Column(alarms, kAlarmKind.messageField);
    for (const std::string* message : {&words.toReserve, &words.clockMismatch, &words.normal, &words.linkRestored,
                                       &words.internetRestored}) {
      EXPECT_NE(std::find(messages.begin(), messages.end(), *message), messages.end()) << style;
    }

    // Users, actions.
    const Journal actions = Parse(JournalKind::Action, dates);
    EXPECT_EQ(actions.size(), 3000u) << style;
    ExpectDaysInOrder(actions, style);
    EXPECT_GT(actions.List(0).size(), 20u);
    EXPECT_GT(actions.List(1).size(), 10u);

    for (JournalKind kind : {JournalKind::Param, JournalKind::Stat}) {
      const Journal params = Parse(kind, dates);
      EXPECT_EQ(params.size(), 3000u) << style;
      ExpectDaysInOrder(params, style);
      EXPECT_EQ(static_cast<int>(params.days.earliest), 41603);
      EXPECT_EQ(static_cast<int>(params.days.latest), 41605);
      EXPECT_GT(params.List(3).size(), 7u);
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
