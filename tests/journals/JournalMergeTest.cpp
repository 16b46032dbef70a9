// Several journals as one: merged by moment, whatever order they are given in.
#include <gtest/gtest.h>

#include "journals/JournalMerge.h"
#include "journals/JournalSetLoad.h"
#include "support/CoreTestSupport.h"
#include "support/GeneratedJournal.h"
#include "support/TestFiles.h"

namespace vantorel {
namespace {

using test::W;

// What a merged journal holds, comparable: each record's moment, fields and journal, and the
// lists.
std::vector<std::string> Seen(const Journal& journal) {
  std::vector<std::string> seen;
  for (size_t i = 0; i < journal.size(); ++i) {
    std::string row = std::to_string(journal.records.times[i]) + "|" + test::Tabbed(test::Fields(journal, i));
    if (journal.Merged()) row += "|" + journal.journalNames[journal.journalOf[i]];
    seen.push_back(row);
  }
  for (int l = 0; l < journal.kind->listCount; ++l) {
    for (const std::string& item : test::Strings(journal.List(l))) seen.push_back("list " + std::to_string(l) + ": " + item);
  }
  seen.push_back("days " + std::to_string(journal.days.earliest) + " " + std::to_string(journal.days.latest));
  return seen;
}

std::vector<NamedJournal> Named(JournalKind kind, const std::vector<std::pair<std::string, std::string>>& files) {
  std::vector<NamedJournal> journals;
  for (const auto& [name, text] : files) journals.push_back({name, test::Parse(kind, text)});
  return journals;
}

TEST(MergeJournals, EqualMomentsGoByJournalThenLineWhateverTheOrderGiven) {
  const std::string title = W("Время\tГруппа\r\n");
  const std::vector<std::pair<std::string, std::string>> files = {
      {"b.alarms", title + W("25.11.2013 10:00:00\tb1\r\n25.11.2013 09:00:00\tb0\r\n25.11.2013 10:00:00\tb2\r\n")},
      {"a.alarms", title + W("25.11.2013 09:00:00\ta0\r\n25.11.2013 10:00:00\ta1\r\n")},
      {"c.alarms", title + W("25.11.2013 08:00:00\tc0\r\n25.11.2013 10:00:00\ta1\r\n")},
  };
  const Journal merged = MergeJournals(Named(JournalKind::Alarms, files));
  // c starts earliest; a and b start at 09:00, and a's name comes first. Within b, the file
  // order of its two 10:00 records stays.
  EXPECT_EQ(test::Column(merged, 1), (std::vector<std::string>{"c0", "a0", "b0", "a1", "a1", "b1", "b2"}));
  EXPECT_EQ(test::Strings(merged.List(0)), (std::vector<std::string>{W("Все группы"), "c0", "a0", "b0", "a1", "b1", "b2"}));
  EXPECT_EQ(merged.journalNames, (std::vector<std::string>{"c.alarms", "a.alarms", "b.alarms"}));
  EXPECT_EQ(merged.titles, test::Parse(JournalKind::Alarms, files[0].second).titles);
  const std::vector<std::pair<std::string, std::string>> reversed(files.rbegin(), files.rend());
  EXPECT_EQ(Seen(MergeJournals(Named(JournalKind::Alarms, reversed))), Seen(merged));
}

TEST(MergeJournals, AJournalCutIntoDaysMergesBackIntoItself) {
  for (JournalKind kind : {JournalKind::Alarms, JournalKind::Action, JournalKind::Param}) {
    SCOPED_TRACE(DescriptionOf(kind).extension);
    const std::string whole = test::GeneratedJournal(kind, 3000, 5);
    const Journal one = test::Parse(kind, whole);
    // The same records in three files by day, given in the wrong order.
    const size_t titleEnd = whole.find('\n') + 1;
    std::array<std::string, 3> days;
    for (std::string& day : days) day = whole.substr(0, titleEnd);
    for (size_t at = titleEnd, i = 0; at < whole.size(); ++i) {
      const size_t end = whole.find('\n', at) + 1;
      days[static_cast<size_t>(static_cast<int>(WholeDay(one.records.times[i]) - WholeDay(one.records.times[0])))] +=
          whole.substr(at, end - at);
      at = end;
    }
    Journal merged = MergeJournals(Named(kind, {{"3", days[2]}, {"1", days[0]}, {"2", days[1]}}));
    ASSERT_EQ(merged.size(), one.size());
    std::vector<std::string> seen = Seen(merged);
    for (size_t i = 0; i < merged.size(); ++i) seen[i] = seen[i].substr(0, seen[i].rfind('|'));
    EXPECT_EQ(seen, Seen(one));
  }
}

// The set's load, which parses every journal into one set of arrays and keeps them in place
// when the journals follow each other, against the merge of journals loaded one by one: days
// given out of order (kept in place, a long line among them), units of one day (merged), a
// journal whose records go back in time, and one without records.
TEST(MergeJournals, TheSetsLoadGivesTheMergeOfItsJournals) {
  const std::string title = W("Время\tГруппа\r\n");
  const std::string longLine = "25.11.2013 23:59:59\t" + std::string(size_t{17} << 20, 'x') + "\r\n";
  auto day = [](size_t records, uint64_t seed, int firstDay) {
    GenerateOptions options;
    options.records = records;
    options.seed = seed;
    options.days = 1;
    options.firstDay = firstDay;
    std::string text;
    GenerateJournal(options, [&text](std::string_view piece) { text += piece; });
    return text;
  };
  const std::vector<std::vector<std::pair<std::string, std::string>>> sets = {
      {{"d3", day(700, 3, 2)}, {"d1", day(900, 1, 0) + longLine}, {"d2", day(800, 2, 1)}},
      {{"u1", day(700, 1, 0)}, {"u2", day(900, 2, 0) + longLine}},
      {{"d2", day(500, 2, 1)}, {"back", title + W("26.11.2013 00:00:00\tb\r\n25.11.2013 10:00:00\tc\r\n")}},
      {{"empty", title}, {"d1", day(600, 1, 0)}, {"d2", day(600, 2, 1)}},
  };
  for (const auto& files : sets) {
    SCOPED_TRACE(files[0].first + " " + files[1].first);
    std::vector<std::unique_ptr<JournalSource>> sources;
    std::vector<std::string> names;
    for (const auto& [name, text] : files) {
      sources.push_back(std::make_unique<JournalSource>(test::WriteScratchFile(name + ".alarms", text)));
      names.push_back(name);
    }
    LoadOptions options;
    options.rules = test::JournalRules();
    SetSize size;
    const Journal set = LoadJournalSet(sources, names, JournalKind::Alarms, options, size);
    const Journal merged = MergeJournals(Named(JournalKind::Alarms, files));
    EXPECT_EQ(Seen(set), Seen(merged));
    EXPECT_EQ(set.journalNames, merged.journalNames);
    ASSERT_EQ(sources.size(), files.size());
    for (size_t j = 0; j < sources.size(); ++j) EXPECT_NE(sources[j]->Path().find(set.journalNames[j]), std::string::npos);
  }
}

}  // namespace
}  // namespace vantorel
