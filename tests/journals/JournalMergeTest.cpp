// Several journals as one: merged by moment, whatever order they are given in.
#include <gtest/gtest.h>

#include <map>
#include <random>

#include "journals/JournalGrowth.h"
#include "journals/JournalMerge.h"
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


// The index of the journal named `name` among a merged journal's.
size_t JournalIndex(const Journal& merged, const std::string& name) {
  return static_cast<size_t>(std::find(merged.journalNames.begin(), merged.journalNames.end(), name) -
                             merged.journalNames.begin());
}

TEST(GrowMerged, JournalsGrownInPiecesEqualTheMergeOfTheirWholeTexts) {
  std::mt19937 random(5);
  auto chance = [&random](unsigned in) { return random() % in == 0; };
  for (JournalKind kind : {JournalKind::Alarms, JournalKind::Action, JournalKind::Param}) {
    SCOPED_TRACE(DescriptionOf(kind).extension);
    const std::string whole = test::GeneratedJournal(kind, 2000, 9);
    const Journal one = test::Parse(kind, whole);
    const size_t titleEnd = whole.find('\n') + 1;
    std::vector<std::string> lines;
    for (size_t at = titleEnd; at < whole.size();) {
      const size_t end = whole.find('\n', at) + 1;
      lines.push_back(whole.substr(at, end - at));
      at = end;
    }
    ASSERT_EQ(lines.size(), one.size());
    // The records in runs, each run written by one unit; a run ends where the moment
    // changes, so units of any rank meet in the right order. Each unit has records when
    // the set is loaded.
    const std::vector<std::string> names = {"c", "a", "b"};
    struct Run {
      size_t unit;
      std::string text;
      size_t records = 0;
    };
    std::vector<Run> runs;
    for (size_t i = 0; i < lines.size(); ++i) {
      if (i == 0 || (one.records.times[i] > one.records.times[i - 1] && chance(12))) {
        runs.push_back({runs.size() < 3 ? runs.size() : (runs.back().unit + 1 + random() % 2) % 3, ""});
      }
      runs.back().text += lines[i];
      ++runs.back().records;
    }
    const size_t loadedRuns = runs.size() / 4;
    size_t loadedRecords = 0;
    for (size_t r = 0; r < loadedRuns; ++r) loadedRecords += runs[r].records;
    std::map<std::string, std::string> loaded, texts;
    for (const std::string& name : names) loaded[name] = texts[name] = whole.substr(0, titleEnd);
    for (size_t r = 0; r < runs.size(); ++r) (r < loadedRuns ? loaded : texts)[names[runs[r].unit]] += runs[r].text;
    for (const std::string& name : names) texts[name] = loaded[name] + texts[name].substr(titleEnd);
    // A journal read up to the CR of its last line end: the LF comes with its growth.
    const bool wholeFile = DescriptionOf(kind).lines == LineRule::WholeFile;
    if (wholeFile) loaded["c"].pop_back();
    Journal merged = MergeJournals(Named(kind, {{"a", loaded["a"]}, {"b", loaded["b"]}, {"c", loaded["c"]}}));
    size_t added = 0;
    auto grow = [&](const std::vector<MemberBytes>& pieces) {
      const Growth growth = GrowMerged(merged, pieces, test::JournalRules());
      ASSERT_FALSE(growth.reload);
      ASSERT_EQ(growth.error, "");
      added += growth.added;
    };
    if (wholeFile) grow({{JournalIndex(merged, "c"), "\n"}});
    for (size_t r = loadedRuns; r < runs.size(); ++r) {
      const size_t j = JournalIndex(merged, names[runs[r].unit]);
      if (r + 1 < runs.size() && chance(3)) {
        // Two units in one look, the later one named first.
        grow({{JournalIndex(merged, names[runs[r + 1].unit]), runs[r + 1].text}, {j, runs[r].text}});
        ++r;
        continue;
      }
      // Pieces that cut lines anywhere, CR and LF of one line end apart too.
      for (size_t at = 0; at < runs[r].text.size();) {
        const size_t piece = 1 + random() % 40;
        grow({{j, std::string_view(runs[r].text).substr(at, piece)}});
        at += piece;
      }
    }
    const Journal fresh = MergeJournals(Named(kind, {{"b", texts["b"]}, {"c", texts["c"]}, {"a", texts["a"]}}));
    EXPECT_EQ(added, one.size() - loadedRecords);
    EXPECT_EQ(Seen(merged), Seen(fresh));
    for (size_t j = 0; j < fresh.journalNames.size(); ++j) {
      EXPECT_EQ(merged.journalBytes[j].View(), fresh.journalBytes[j].View());
      EXPECT_EQ(merged.journalEnds[j].parsedEnd, fresh.journalEnds[j].parsedEnd);
    }
  }
}

TEST(GrowMerged, RecordsThatWouldGoAmongThoseReadChangeNothing) {
  const std::string title = W("Время\tГруппа\r\n");
  auto line = [](const std::string& time, const std::string& group) { return "25.11.2013 " + time + "\t" + group + "\r\n"; };
  // Ranked a (10:00), b (10:01), then c and d, which have no records, by name.
  std::map<std::string, std::string> texts = {{"a", title + line("10:00:00", "a0") + line("10:02:00", "a1")},
                                              {"b", title + line("10:01:00", "b0")},
                                              {"c", title},
                                              {"d", title}};
  Journal merged = MergeJournals(Named(JournalKind::Alarms, {{"d", texts["d"]}, {"c", texts["c"]}, {"b", texts["b"]}, {"a", texts["a"]}}));
  ASSERT_EQ(merged.journalNames, (std::vector<std::string>{"a", "b", "c", "d"}));
  auto grow = [&](const std::vector<std::pair<size_t, std::string>>& pieces) {
    std::vector<MemberBytes> added;
    for (const auto& [j, bytes] : pieces) added.push_back({j, bytes});
    const std::vector<std::string> seen = Seen(merged);
    std::vector<std::string> bytes;
    for (const FileBytes& journal : merged.journalBytes) bytes.emplace_back(journal.View());
    const Growth growth = GrowMerged(merged, added, test::JournalRules());
    if (growth.outOfStep) {
      EXPECT_TRUE(growth.reload);
      EXPECT_EQ(growth.added, 0u);
      EXPECT_EQ(Seen(merged), seen);
      for (size_t j = 0; j < bytes.size(); ++j) EXPECT_EQ(merged.journalBytes[j].View(), bytes[j]);
    } else {
      for (const auto& [j, piece] : pieces) texts[merged.journalNames[j]] += piece;
    }
    return growth;
  };
  // Half a line waits; its end then brings a record that goes before a1.
  EXPECT_EQ(grow({{1, W("25.11.2013 10:0")}}).added, 0u);
  EXPECT_TRUE(grow({{1, W("1:30\tb1\r\n")}}).outOfStep);
  // Equal moments: after those of journals ranked before, not after those ranked after.
  EXPECT_EQ(grow({{1, W("2:00\tb1\r\n")}}).added, 1u);
  EXPECT_TRUE(grow({{0, W(line("10:02:00", "a2"))}}).outOfStep);
  // Several at once, whatever order they come in; not when they interleave.
  EXPECT_EQ(grow({{1, W(line("10:04:00", "b2"))}, {0, W(line("10:03:00", "a2"))}}).added, 2u);
  EXPECT_TRUE(grow({{0, W(line("10:05:00", "a3") + line("10:07:00", "a4"))}, {1, W(line("10:06:00", "b3"))}}).outOfStep);
  // A journal without records gains its first ones only where a fresh merge would rank it:
  // not before another without records, nor at the last moment.
  EXPECT_TRUE(grow({{3, W(line("10:08:00", "d0"))}}).outOfStep);
  EXPECT_TRUE(grow({{2, W(line("10:04:00", "c0"))}}).outOfStep);
  EXPECT_EQ(grow({{2, W(line("10:08:00", "c0"))}}).added, 1u);
  EXPECT_EQ(grow({{3, W(line("10:09:00", "d0"))}}).added, 1u);
  // A bad record line: the records before it stay, and the error names its journal.
  const Growth bad = grow({{0, W(line("10:10:00", "a5") + "yesterday\tG\r\n")}, {2, W(line("10:11:00", "c1"))}});
  EXPECT_EQ(bad.added, 2u);
  EXPECT_EQ(bad.error, "a: 'yesterday' is not a valid date and time");
  EXPECT_EQ(test::Column(merged, 1), (std::vector<std::string>{"a0", "b0", "a1", "b1", "a2", "b2", "c0", "d0", "a5", "c1"}));
  texts["a"].resize(texts["a"].size() - W("yesterday\tG\r\n").size());
  EXPECT_EQ(Seen(merged), Seen(MergeJournals(Named(JournalKind::Alarms, {{"a", texts["a"]}, {"b", texts["b"]}, {"c", texts["c"]}, {"d", texts["d"]}}))));

  // Reading text lines drops a lone CR in place: the bytes that waited are put back.
  const std::string actions = W("Пользователь\tВремя\r\n");
  Journal acts = MergeJournals(Named(JournalKind::Action, {{"x", actions + W("u\t25.11.2013 10:00:00\r\n")},
                                                           {"y", actions + W("u\t25.11.2013 10:05:00\r\n")}}));
  EXPECT_EQ(GrowMerged(acts, {{0, "v\rw\t25.11.2013 "}}, test::JournalRules()).added, 0u);
  const std::string waited(acts.journalBytes[0].View());
  EXPECT_TRUE(GrowMerged(acts, {{0, "10:01:00\r\n"}}, test::JournalRules()).outOfStep);
  EXPECT_EQ(acts.journalBytes[0].View(), waited);

  // A last line read without its line end: the set is read again.
  Journal open = MergeJournals(Named(JournalKind::Alarms, {{"a", title + W("25.11.2013 10:00:00\ta")}}));
  const Growth reread = GrowMerged(open, {{0, "0\r\n"}}, test::JournalRules());
  EXPECT_TRUE(reread.reload);
  EXPECT_FALSE(reread.outOfStep);
}

}  // namespace
}  // namespace vantorel
