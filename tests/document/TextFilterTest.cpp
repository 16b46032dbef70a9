// The text filters and the marks of a view: which records pass, looked for in the cells as
// the table shows them, beside the time window, the lists and the switch; and a model of the
// rule over generated journals, every way the document looks.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>

#include "datetime/DateTimeText.h"
#include "document/JournalDocument.h"
#include "document/TextRule.h"
#include "journals/JournalMerge.h"
#include "support/CoreTestSupport.h"
#include "support/GeneratedJournal.h"
#include "support/TestFiles.h"
#include "uStrUtils/CaseFold1251.h"
#include "uStrUtils/Cp1251.h"

namespace vantorel {
namespace {

using test::W;
using Rows = std::vector<uint32_t>;

Rows Select(const JournalDocument& document, const FilterState& state) {
  RowSet rows;
  EXPECT_TRUE(document.Select(state, rows));
  return Rows(rows.rows.begin(), rows.rows.end());
}

TextFilter Text(std::string_view utf8, bool hide = false, bool regex = false) {
  TextFilter filter;
  filter.text = W(utf8);
  filter.hide = hide;
  filter.regex = regex;
  return filter;
}

TEST(TextFilters, ShowAndHideByTheCellsAsShownWithTheOtherFilters) {
  const std::string tail(230, 'x');
  const JournalDocument document = test::Document(
      JournalKind::Alarms,
      W("Время\tГруппа\tКласс\tУзел\tПлата/Порт\tСообщение\tПодробности\r\n"
        "25.11.2013 10:00:00\tЮг\tc\tУзел ЧИТА-1\tP1\tНорма\tЯЩИК ёлка\r\n"            // 0
        "25.11.2013 12:05:00\tСевер\tc\tУзел Чита-2\tP2\tПереход на резерв\tящик\r\n"  // 1
        "26.11.2013 14:05:09\tЮг\tc\tN3\tP1\tАвария STM-1 #2\tЁЛКА\r\n"               // 2
        "26.11.2013 15:00:00\tЮг\tc\tN4\tP2\tНорма\t" + tail + "ящик\r\n"              // 3
        "27.11.2013 16:00:00\tСевер\tc\tN5\tP1\tОтказ платы 2013\tчита\r\n"));         // 4
  FilterState state;
  state.showUnimportant = true;
  auto with = [&](std::vector<TextFilter> texts) {
    FilterState s = state;
    s.texts = std::move(texts);
    return Select(document, s);
  };
  // Letter case aside for Russian letters the code page pairs apart from Latin-1's (Ч, Я, Ё)
  // and for Latin ones; any cell, the date-time column as shown.
  EXPECT_EQ(with({Text("чита")}), (Rows{0, 1, 4}));
  EXPECT_EQ(with({Text("Ящик")}), (Rows{0, 1}));
  EXPECT_EQ(with({Text("ЁлКа")}), (Rows{0, 2}));
  EXPECT_EQ(with({Text("stm-1 #2")}), (Rows{2}));
  EXPECT_EQ(with({Text("14:05")}), (Rows{2}));
  // The date is not shown in an alarm journal's column: it is in no cell; a capped field's
  // text past its first 200 bytes is in none either.
  EXPECT_EQ(with({Text("2013")}), (Rows{4}));
  EXPECT_EQ(with({Text("26.11")}), Rows{});
  // Every text to show must be held, each hidden one none; several hides at once.
  EXPECT_EQ(with({Text("чита"), Text("узел")}), (Rows{0, 1}));
  EXPECT_EQ(with({Text("норма", true), Text("резерв", true)}), (Rows{2, 4}));
  EXPECT_EQ(with({Text("норма", true), Text("резерв", true), Text("отказ", true)}), (Rows{2}));
  TextFilter exact = Text("ЯЩИК");
  exact.matchCase = true;
  EXPECT_EQ(with({exact}), (Rows{0}));
  TextFilter unwritable = Text("ящик");
  unwritable.unwritable = true;
  EXPECT_EQ(with({unwritable}), Rows{});
  unwritable.hide = true;
  EXPECT_EQ(with({unwritable}), (Rows{0, 1, 2, 3, 4}));
  // Regular expressions, blind to case as the code page pairs its letters, in classes and
  // ranges too; an anchor stands at a cell's ends.
  EXPECT_EQ(with({Text("^ящ", false, true)}), (Rows{0, 1}));
  EXPECT_EQ(with({Text("[Ч]ИТА-\\d", false, true)}), (Rows{0, 1}));
  EXPECT_EQ(with({Text("^[а-я]+$", false, true)}), (Rows{0, 1, 2, 3, 4}));
  EXPECT_EQ(with({Text("^[ё]лка$", false, true)}), (Rows{2}));
  EXPECT_EQ(with({Text("норма|отказ", true, true)}), (Rows{1, 2}));
  EXPECT_EQ(with({Text("\\QSTM-1 #\\E\\d", false, true)}), (Rows{2}));
  EXPECT_EQ(test::ErrorOf([&] { with({Text("(норма", false, true)}); }).substr(0, 8), W("Ошибка в"));
  // With the time window, the lists and the switch: a record passes all.
  state.showUnimportant = false;
  EXPECT_EQ(with({Text("ящик")}), (Rows{0}));
  state.lists[0] = {test::IndexOf(document.List(0), W("Юг")), W("Юг")};
  EXPECT_EQ(with({Text("норма")}), (Rows{0, 3}));
  state.startTime = EncodeTime(12, 0, 0, 0);
  EXPECT_EQ(with({Text("норма")}), (Rows{3}));
  // The marks, alone or with the texts; a set without marks shows nothing.
  auto marks = std::make_shared<RecordMarks>();
  marks->Set(RecordIndex{3}, true);
  marks->Set(RecordIndex{2}, true);
  state.markedOnly = true;
  state.marks = marks;
  EXPECT_EQ(with({}), (Rows{2, 3}));
  EXPECT_EQ(with({Text("норма")}), (Rows{3}));
  state.marks = nullptr;
  EXPECT_EQ(with({}), Rows{});
}

TEST(TextFilters, SeveralJournalsOfManyDaysShowTheirDatesAndTakeARangeOfDays) {
  const std::string title = "Время\tГруппа\tКласс\tУзел\tПлата/Порт\tСообщение\tПодробности\r\n";
  auto journal = [&](const std::string& name, const std::string& lines) {
    return NamedJournal{W(name), test::Parse(JournalKind::Alarms, W(title + lines))};
  };
  std::vector<NamedJournal> days;
  days.push_back(journal("юг-25.alarms", "25.11.2013 10:00:00\tЮг\tc\tN\tP\tНорма\tx\r\n"));
  days.push_back(journal("север-26.alarms", "26.11.2013 00:00:00\tСевер\tc\tN\tP\tАвария\tx\r\n"
                                           "26.11.2013 10:00:00\tСевер\tc\tN\tP\tНорма\tx\r\n"));
  const JournalDocument week(MergeJournals(std::move(days)), test::JournalRules().regional);
  ASSERT_TRUE(week.SpansDays());
  std::string scratch;
  EXPECT_EQ(week.Cell(0, 0, scratch), W("25.11.2013 10:00:00"));
  EXPECT_EQ(week.Cell(1, 0, scratch), W("26.11.2013"));
  FilterState state;
  state.startDate = test::At(2013, 11, 26);
  state.endDate = test::At(2013, 11, 26);
  // The days narrow; the time window applies on each of them.
  EXPECT_EQ(Select(week, state), (Rows{1, 2}));
  state.startTime = EncodeTime(9, 0, 0, 0);
  EXPECT_EQ(Select(week, state), (Rows{2}));
  state.startDate = test::At(2013, 11, 25);
  EXPECT_EQ(Select(week, state), (Rows{0, 2}));
  // The texts see the date and the journal's name.
  state.texts = {Text("25.11.2013 10")};
  EXPECT_EQ(Select(week, state), (Rows{0}));
  state.texts = {Text("СЕВЕР-26")};
  EXPECT_EQ(Select(week, state), (Rows{2}));
  // One journal of many days stays as the window's own shows it: the time alone, no days.
  const JournalDocument one = test::Document(JournalKind::Alarms, W(title + "25.11.2013 10:00:00\tЮг\tc\tN\tP\tНорма\tx\r\n"
                                                                            "26.11.2013 10:00:00\tЮг\tc\tN\tP\tНорма\tx\r\n"));
  EXPECT_FALSE(one.SpansDays());
  EXPECT_EQ(one.Cell(1, 0, scratch), "10:00:00");
  EXPECT_EQ(Select(one, state), Rows{});
  state.texts = {Text("норма")};
  EXPECT_EQ(Select(one, state), (Rows{0, 1}));
}

// A trivial model of the rule: every cell as the document shows it, folded byte by byte and
// searched with std::string::find.
bool ModelHolds(const JournalDocument& document, size_t record, const std::string& text, bool fold) {
  std::array<std::string_view, kMaxColumns> cells{};
  std::string scratch;
  document.Cells(record, cells, scratch);
  auto folded = [fold](std::string_view s) {
    std::string out(s);
    if (fold) {
      for (char& c : out) c = static_cast<char>(FoldCase1251(static_cast<unsigned char>(c)));
    }
    return out;
  };
  for (int c = 0; c < document.ColumnCount(); ++c) {
    if (folded(cells[static_cast<size_t>(c)]).find(folded(text)) != std::string::npos) return true;
  }
  return false;
}

// A piece of a random cell of a random record, its letters' case shuffled.
std::string RandomText(const JournalDocument& document, std::mt19937& random) {
  std::array<std::string_view, kMaxColumns> cells{};
  std::string scratch;
  document.Cells(random() % document.size(), cells, scratch);
  const std::string_view cell = cells[random() % static_cast<unsigned>(document.ColumnCount())];
  if (cell.empty()) return "x";
  const size_t from = random() % cell.size();
  std::string text(cell.substr(from, 1 + random() % std::min<size_t>(12, cell.size() - from)));
  for (char& c : text) {
    if (random() % 2 == 0) c = static_cast<char>(OtherCase1251(static_cast<unsigned char>(c)));
  }
  return text;
}

TEST(TextFilters, TheRuleIsTheModelWhicheverWayTheDocumentLooks) {
  std::mt19937 random(29);
  std::vector<JournalDocument> documents;
  for (JournalKind kind : {JournalKind::Alarms, JournalKind::Action, JournalKind::Param}) {
    // A long field now and then, cut at 200 bytes in the capped kinds.
    std::string bytes = test::GeneratedJournal(kind, 15000, 3);
    for (size_t at = bytes.find('\n', 1000); at != std::string::npos && at + 1 < bytes.size(); at = bytes.find('\n', at + 20000)) {
      bytes.insert(at - 1, std::string(190, 'q') + W("ДЛИННЫЙ"));
      at = bytes.find('\n', at + 1);
    }
    documents.push_back(test::Document(kind, bytes));
  }
  std::vector<NamedJournal> set;
  for (int day = 0; day < 3; ++day) {
    set.push_back({W("узел-") + std::to_string(day) + ".alarms", test::Parse(JournalKind::Alarms, test::GeneratedDay(3000, 5 + day, day))});
  }
  documents.emplace_back(MergeJournals(std::move(set)), test::JournalRules().regional);
  for (const JournalDocument& document : documents) {
    SCOPED_TRACE(std::string(document.Kind().extension) + (document.Data().Merged() ? " merged" : ""));
    std::vector<TextFilter> last, asked;
    for (int round = 0; round < 12; ++round) {
      FilterState state;
      state.showUnimportant = true;
      state.startDate = -1e6;
      state.endDate = 1e6;
      const int count = 1 + static_cast<int>(random() % 3);
      for (int t = 0; t < count; ++t) {
        TextFilter filter;
        filter.text = round % 4 == 0 && t == 0 ? W("длинный") : RandomText(document, random);
        filter.hide = t > 0 && random() % 2 == 0;
        filter.matchCase = random() % 5 == 0;
        // Now and then a filter asked for before, beside new ones.
        if (!asked.empty() && random() % 3 == 0) filter = asked[random() % asked.size()];
        state.texts.push_back(filter);
      }
      const bool anyNew = std::any_of(state.texts.begin(), state.texts.end(), [&](const TextFilter& filter) {
        return std::find(asked.begin(), asked.end(), filter) == asked.end();
      });
      Rows expected;
      for (size_t record = 0; record < document.size(); ++record) {
        bool pass = true;
        for (const TextFilter& filter : state.texts) pass = pass && ModelHolds(document, record, filter.text, !filter.matchCase) != filter.hide;
        if (pass) expected.push_back(static_cast<uint32_t>(record));
      }
      std::string call;
      for (const TextFilter& filter : state.texts) call += (filter.hide ? " -" : " +") + Cp1251ToUtf8(filter.text);
      // Through the journal's bytes at once, and record by record as following looks; once
      // selected, the records that pass the texts are known until other texts are asked for;
      // those of a text never asked for are not.
      if (state.texts == last) {
        EXPECT_TRUE(document.TextsReady(state.texts)) << call;
      }
      if (anyNew) {
        EXPECT_FALSE(document.TextsReady(state.texts)) << call;
      }
      EXPECT_EQ(Select(document, state), expected) << call;
      EXPECT_TRUE(document.TextsReady(state.texts)) << call;
      EXPECT_TRUE(document.TextsReady({}));
      last = state.texts;
      asked.insert(asked.end(), state.texts.begin(), state.texts.end());
      const TextRule rule(document, state.texts);
      std::string scratch;
      Rows oneByOne;
      for (size_t record = 0; record < document.size(); ++record) {
        if (rule.Passes(record, scratch)) oneByOne.push_back(static_cast<uint32_t>(record));
      }
      EXPECT_EQ(oneByOne, expected) << call;
    }
  }
}

TEST(ByteSearch, FindsWhatANaiveSearchFinds) {
  // Few bytes, both cases, texts crossing the sixteen and thirty-two byte steps.
  std::mt19937 random(5);
  const std::string alphabet = W("аАбБёЁxX \t") + "\x98";
  for (int round = 0; round < 3000; ++round) {
    std::string haystack(random() % 150, ' ');
    for (char& c : haystack) c = alphabet[random() % alphabet.size()];
    std::string text(1 + random() % 5, ' ');
    for (char& c : text) c = alphabet[random() % alphabet.size()];
    const bool matchCase = random() % 2 == 0;
    const size_t from = random() % (haystack.size() + 2);
    size_t expected = std::string::npos;
    for (size_t at = from; expected == std::string::npos && at + text.size() <= haystack.size(); ++at) {
      bool same = true;
      for (size_t k = 0; k < text.size() && same; ++k) {
        const auto a = static_cast<unsigned char>(haystack[at + k]), b = static_cast<unsigned char>(text[k]);
        same = matchCase ? a == b : FoldCase1251(a) == FoldCase1251(b);
      }
      if (same) expected = at;
    }
    const ByteSearch::Counts counts = ByteSearch::CountsOf(haystack);
    ASSERT_EQ(ByteSearch(text, matchCase).Find(haystack, from), expected) << round;
    ASSERT_EQ(ByteSearch(text, matchCase, &counts).Find(haystack, from), expected) << round;
  }
}

TEST(RecordMarks, MarksGoWhereTheirRecordsGo) {
  std::mt19937 random(3);
  RecordMarks marks;
  std::set<uint32_t> model;
  for (int step = 0; step < 2000; ++step) {
    const RecordIndex record{static_cast<uint32_t>(random() % 300)};
    const bool mark = random() % 3 != 0;
    marks.Set(record, mark);
    if (mark) {
      model.insert(record.value);
    } else {
      model.erase(record.value);
    }
    ASSERT_EQ(marks.Count(), model.size());
    const RecordIndex from{static_cast<uint32_t>(random() % 320)};
    const auto after = model.upper_bound(from.value);
    const std::optional<RecordIndex> next = marks.Next(from, true);
    ASSERT_EQ(next.has_value(), after != model.end());
    if (next) {
      ASSERT_EQ(next->value, *after);
    }
    const auto before = model.lower_bound(from.value);
    const std::optional<RecordIndex> previous = marks.Next(from, false);
    ASSERT_EQ(previous.has_value(), before != model.begin());
    if (previous) {
      ASSERT_EQ(previous->value, *std::prev(before));
    }
  }
  ASSERT_FALSE(model.empty());
  EXPECT_EQ(marks.First(true)->value, *model.begin());
  EXPECT_EQ(marks.First(false)->value, *model.rbegin());
  // Following took records in among them: those from 100 on moved, every third gone.
  std::vector<uint32_t> moved;
  for (uint32_t r = 100; r < 300; ++r) moved.push_back(r % 3 == 0 ? kGoneRecord : r + 7);
  const RecordMarks after = marks.Moved(100, moved);
  std::set<uint32_t> expected;
  for (const uint32_t r : model) {
    if (r < 100) expected.insert(r);
    if (r >= 100 && r % 3 != 0) expected.insert(r + 7);
  }
  std::set<uint32_t> seen;
  for (std::optional<RecordIndex> at = after.First(true); at; at = after.Next(*at, true)) seen.insert(at->value);
  EXPECT_EQ(seen, expected);
  EXPECT_EQ(after.Count(), expected.size());
  EXPECT_EQ(marks.Below(150).Count(), static_cast<size_t>(std::distance(model.begin(), model.lower_bound(150))));
}

}  // namespace
}  // namespace vantorel
