// Several journals as one: merged by moment, whatever order they are given in.
#include <gtest/gtest.h>

#include <random>

#include "journals/JournalGrowth.h"
#include "journals/JournalMerge.h"
#include "journals/JournalSetLoad.h"
#include "support/CoreTestSupport.h"
#include "support/GeneratedJournal.h"
#include "support/TestFiles.h"
#include "support/WithRoom.h"

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
  const auto day = test::GeneratedDay;

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


TEST(GrowMerged, JournalsGrownInPiecesEqualTheMergeOfTheirWholeTexts) {
  std::mt19937 random(5);
  for (JournalKind kind : {JournalKind::Alarms, JournalKind::Action, JournalKind::Param}) {
    SCOPED_TRACE(DescriptionOf(kind).extension);
    const std::string whole = test::GeneratedJournal(kind, 2000, 9);
    const Journal one = test::Parse(kind, whole);
    // Runs of records, each written by one of three units and cut only where the moment
    // changes; the first runs, one of each unit among them, are there when the set is read.
    constexpr size_t kLoadedRuns = 12;
    const size_t titleEnd = whole.find('\n') + 1;
    std::vector<std::pair<size_t, std::string>> runs;
    std::vector<std::string> loaded(3, whole.substr(0, titleEnd)), texts = loaded;
    size_t loadedRecords = 0;
    for (size_t at = titleEnd, i = 0; at < whole.size(); ++i) {
      if (i == 0 || (one.records.times[i] > one.records.times[i - 1] && random() % 12 == 0)) {
        runs.emplace_back(runs.size() < 3 ? runs.size() : (runs.back().first + 1 + random() % 2) % 3, "");
      }
      const std::string line = whole.substr(at, whole.find('\n', at) + 1 - at);
      at += line.size();
      runs.back().second += line;
      texts[runs.back().first] += line;
      if (runs.size() > kLoadedRuns) continue;
      loaded[runs.back().first] += line;
      ++loadedRecords;
    }
    // One journal read up to the CR of its last line end: the LF comes as growth.
    const bool wholeFile = DescriptionOf(kind).lines == LineRule::WholeFile;
    if (wholeFile) loaded[0].pop_back();
    Journal merged = MergeJournals(Named(kind, {{"c", loaded[0]}, {"a", loaded[1]}, {"b", loaded[2]}}));
    // Units c, a, b are journals 0, 1, 2 by their first moments.
    ASSERT_EQ(merged.journalNames, (std::vector<std::string>{"c", "a", "b"}));
    size_t added = 0;
    auto grow = [&](const std::vector<MemberBytes>& pieces) {
      const Growth growth = GrowMerged(merged, pieces, test::JournalRules());
      ASSERT_FALSE(growth.reload);
      ASSERT_EQ(growth.error, "");
      added += growth.added;
    };
    if (wholeFile) grow({{0, "\n"}});
    for (size_t r = kLoadedRuns; r < runs.size(); ++r) {
      const auto& [unit, text] = runs[r];
      if (r + 1 < runs.size() && random() % 3 == 0) {
        // Two units in one look, the later one named first.
        grow({{runs[r + 1].first, runs[r + 1].second}, {unit, text}});
        ++r;
        continue;
      }
      // Pieces that cut lines anywhere, CR and LF of one line end apart too.
      for (size_t at = 0, piece = 0; at < text.size(); at += piece) {
        piece = 1 + random() % 40;
        grow({{unit, std::string_view(text).substr(at, piece)}});
      }
    }
    const Journal fresh = MergeJournals(Named(kind, {{"b", texts[2]}, {"c", texts[0]}, {"a", texts[1]}}));
    EXPECT_EQ(added, one.size() - loadedRecords);
    EXPECT_EQ(Seen(merged), Seen(fresh));
    for (size_t j = 0; j < 3; ++j) EXPECT_EQ(merged.journalBytes[j].View(), fresh.journalBytes[j].View());
  }
}

TEST(GrowMerged, RecordsTakeTheirPlaceAmongThoseReadUnlessTheJournalsWouldRankAnew) {
  const std::string title = W("Время\tГруппа\r\n");
  auto line = [](const std::string& time, const std::string& group) { return "25.11.2013 " + time + "\t" + group + "\r\n"; };
  // Ranked a (10:00), b (10:01), then c and d, which have no records, by name.
  std::vector<std::string> texts = {title + line("10:00:00", "a0") + line("10:02:00", "a1"), title + line("10:01:00", "b0"),
                                    title, title};
  const std::vector<std::string> names = {"a", "b", "c", "d"};
  Journal merged =
      MergeJournals(Named(JournalKind::Alarms, {{"d", texts[3]}, {"c", texts[2]}, {"b", texts[1]}, {"a", texts[0]}}));
  // After each growth the rows are those of a fresh merge of the journals' texts, or, when the
  // journals would rank anew, nothing changed.
  auto grow = [&](const std::vector<MemberBytes>& added) {
    const std::vector<std::string> seen = Seen(merged);
    const std::string b(merged.journalBytes[1].View());
    const Growth growth = GrowMerged(merged, added, test::JournalRules());
    if (growth.outOfStep) {
      EXPECT_TRUE(growth.reload && growth.added == 0);
      EXPECT_EQ(Seen(merged), seen);
      EXPECT_EQ(merged.journalBytes[1].View(), b);
      return growth;
    }
    for (const MemberBytes& piece : added) texts[piece.journal] += piece.bytes;
    std::vector<std::pair<std::string, std::string>> journals;
    for (size_t j = 0; j < texts.size(); ++j) {
      // A line without its end is not read yet.
      if (texts[j].back() != '\n') return growth;
      journals.emplace_back(names[j], texts[j]);
    }
    // The lists take new values at their ends: the rows are compared.
    auto rows = [](std::vector<std::string> seen) {
      std::erase_if(seen, [](const std::string& s) { return s.rfind("list ", 0) == 0 || s.rfind("days ", 0) == 0; });
      return seen;
    };
    EXPECT_EQ(rows(Seen(merged)), rows(Seen(MergeJournals(Named(JournalKind::Alarms, journals)))));
    return growth;
  };
  // Half a line waits; its end then brings a record that goes before a1.
  EXPECT_EQ(grow({{1, "25.11.2013 10:0"}}).added, 0u);
  const Growth among = grow({{1, "1:30\tb1\r\n"}});
  EXPECT_EQ(among.added, 1u);
  EXPECT_EQ(among.firstChanged, 2u);
  EXPECT_EQ(among.moved, (std::vector<uint32_t>{3}));
  // Equal moments: after those of journals ranked before, before those ranked after.
  EXPECT_EQ(grow({{1, line("10:02:00", "b1")}}).added, 1u);
  EXPECT_EQ(grow({{0, line("10:02:00", "a2")}}).added, 1u);
  // Several at once, whatever order they come in, interleaved too.
  EXPECT_EQ(grow({{1, line("10:04:00", "b2")}, {0, line("10:03:00", "a2")}}).added, 2u);
  EXPECT_EQ(grow({{0, line("10:05:00", "a3") + line("10:07:00", "a4")}, {1, line("10:06:00", "b3")}}).added, 3u);
  // A journal without records gains its first ones: where it ranks orders nothing yet.
  EXPECT_EQ(grow({{3, line("10:08:00", "d0")}}).added, 1u);
  // A journal's own records that go back in time; one line of 16 MB, kept under its journal.
  EXPECT_EQ(grow({{1, line("10:09:30", "b4") + line("10:09:10", "b5")}}).added, 2u);
  EXPECT_EQ(grow({{1, line("10:09:30", "b6\t" + std::string(kLongLine, 'x'))}}).added, 1u);
  // Records earlier than their journal's first, before another journal's first: the journals
  // would rank anew.
  EXPECT_TRUE(grow({{1, line("09:59:00", "b7")}}).outOfStep);
  EXPECT_TRUE(grow({{2, line("10:04:00", "c0")}, {3, line("09:00:00", "d1")}}).outOfStep);
  // A bad record line: the records before it stay, and the error names its journal.
  const std::string yesterday = "yesterday\tG\r\n";
  const Growth bad = GrowMerged(merged, {{0, line("10:10:00", "a5") + yesterday}, {2, line("10:08:00", "c1")}},
                                test::JournalRules());
  EXPECT_EQ(bad.added, 2u);
  EXPECT_EQ(bad.error, "a: 'yesterday' is not a valid date and time");

  // Reading text lines drops a lone CR in place: the bytes that waited are put back when the
  // journals would rank anew.
  const std::string actions = W("Пользователь\tВремя\r\n");
  Journal acts = MergeJournals(Named(JournalKind::Action, {{"x", actions + "u\t25.11.2013 10:00:00\r\n"},
                                                           {"y", actions + "u\t25.11.2013 10:05:00\r\n"}}));
  GrowMerged(acts, {{1, "v\rw\t25.11.2013 "}}, test::JournalRules());
  const std::string waited(acts.journalBytes[1].View());
  EXPECT_TRUE(GrowMerged(acts, {{1, "09:01:00\r\n"}}, test::JournalRules()).outOfStep);
  EXPECT_EQ(acts.journalBytes[1].View(), waited);
  // A last line read without its line end: read again, whatever the order.
  Journal open = MergeJournals(Named(JournalKind::Alarms, {{"a", title + "25.11.2013 10:00:00\ta"}}));
  const Growth reread = GrowMerged(open, {{0, "0\r\n"}}, test::JournalRules());
  EXPECT_TRUE(reread.reload && !reread.outOfStep);
}

// Loads the journals `files` (name, text) of `kind` as a set, in the order given.
Journal LoadSet(JournalKind kind, const std::vector<std::pair<std::string, std::string>>& files) {
  std::vector<std::unique_ptr<JournalSource>> sources;
  std::vector<std::string> names;
  for (const auto& [name, text] : files) {
    sources.push_back(std::make_unique<JournalSource>(test::WriteScratchFile(name, text)));
    names.push_back(name);
  }
  LoadOptions options;
  options.rules = test::JournalRules();
  SetSize size;
  return LoadJournalSet(sources, names, kind, options, size);
}

TEST(MergeJournals, AJournalRanksByItsEarliestRecordNotItsFirst) {
  // a's first record is its latest: by its earliest it ranks before b, and so do its records
  // of a moment that b has too. The names alone would rank them the same way round.
  const std::string title = W("Время\tГруппа\r\n");
  const std::vector<std::pair<std::string, std::string>> files = {
      {"b.alarms", title + "25.11.2013 09:00:00\tb0\r\n25.11.2013 10:00:00\tb1\r\n"},
      {"z.alarms", title + "25.11.2013 10:00:00\ta1\r\n25.11.2013 08:30:00\ta0\r\n"},
  };
  const std::vector<std::string> expected{"a0", "b0", "a1", "b1"};
  EXPECT_EQ(test::Column(MergeJournals(Named(JournalKind::Alarms, files)), 1), expected);
  EXPECT_EQ(test::Column(LoadSet(JournalKind::Alarms, files), 1), expected);
}

TEST(MergeJournals, ASetOfDaysInPlaceSpansEveryDay) {
  // Parameter journals of three days in a row, given in order: their records stay where they
  // were parsed, and the set's days run from the first day to the last, as a merge's do.
  const std::string title = W("Время\tГруппа\r\n");
  const std::vector<std::pair<std::string, std::string>> files = {
      {"1.param", title + "25.11.2013 10:00:00\ta\r\n"},
      {"2.param", title + "26.11.2013 10:00:00\tb\r\n"},
      {"3.param", title + "27.11.2013 10:00:00\tc\r\n"},
  };
  const Journal set = LoadSet(JournalKind::Param, files);
  EXPECT_EQ(set.days.earliest, test::At(2013, 11, 25, 10));
  EXPECT_EQ(set.days.latest, test::At(2013, 11, 27, 10));
  EXPECT_EQ(Seen(set), Seen(MergeJournals(Named(JournalKind::Param, files))));
}

// A set's load with `room` bytes of address space beyond what the process uses: its error
// message.
std::string LoadSetWithRoom(const std::vector<std::string>& paths, size_t room) {
  return test::ErrorWithRoom(room, [&] {
    std::vector<std::unique_ptr<JournalSource>> sources;
    std::vector<std::string> names;
    for (const std::string& path : paths) {
      sources.push_back(std::make_unique<JournalSource>(path));
      names.push_back(path.substr(path.rfind('/') + 1));
    }
    LoadOptions options;
    options.rules = test::JournalRules();
    options.threads = 1;
    SetSize size;
    LoadJournalSet(sources, names, JournalKind::Alarms, options, size);
  });
}

TEST(LoadJournalSet, NoRoomNamesTheSetAndWhatItNeeds) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
  GTEST_SKIP() << "a sanitizer's own reservations leave no address space to hold to";
#endif
  // Three journals of 16 MB: 200,000 records of 80 bytes each.
  std::string text = "T\tG\tC\tN\tP\tM\tD\r\n";
  const std::string line = "25.11.2013 10:00:00\tGroup\tClass\tNode-0001\tPort-01\tMessage of an alarm\tdetails\r\n";
  for (int i = 0; i < 200000; ++i) text += line;
  const std::vector<std::string> paths = {test::WriteScratchFile("u1.alarms", text), test::WriteScratchFile("u2.alarms", text),
                                          test::WriteScratchFile("u3.alarms", text)};
  const size_t needed = (LoadFootprint(JournalKind::Alarms, 3 * text.size(), 3 * 200000) + 999999) / 1000000;
  const std::string lead = "Not enough memory to load 3 journals (u1.alarms \x85 u3.alarms): about ";
  // No room to read the first journal, room to read them but not to parse them: the whole
  // set's figure either way, guessed or counted, the same within a tenth.
  for (size_t room : {size_t{8} << 20, 3 * text.size() + (size_t{24} << 20)}) {
    const std::string message = LoadSetWithRoom(paths, room);
    ASSERT_EQ(message.rfind(lead, 0), 0u) << message;
    EXPECT_EQ(message.substr(message.size() - 11), " MB needed.") << message;
    EXPECT_NEAR(std::atof(message.c_str() + lead.size()), static_cast<double>(needed), needed / 10.0) << message;
  }
}

}  // namespace
}  // namespace vantorel
