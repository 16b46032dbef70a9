// vantorel-query against the window's document: over generated journals of every kind and
// random filter states, the query prints the rows and the count the document selects.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <random>

#include "datetime/DateTimeParse.h"
#include "journals/JournalMerge.h"
#include "query/Query.h"
#include "support/CoreTestSupport.h"
#include "support/GeneratedJournal.h"
#include "support/TestFiles.h"
#include "uStrUtils/Cp1251.h"

namespace vantorel {
namespace {

class Text final : public TextSink {
 public:
  void Write(std::string_view bytes) override { text += bytes; }
  std::string text;
};

std::string Clock(TDateTime t) {
  const int ms = static_cast<int>(std::lround((t - std::floor(t)) * 86400000.0));
  char text[16];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d", ms / 3600000, ms / 60000 % 60, ms / 1000 % 60);
  return text;
}

std::string Day(TDateTime t) {
  const DateParts d = DecodeDate(t);
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", d.year, d.month, d.day);
  return text;
}

// The moment of a printed parameter row: its first cell, "dd.mm.yyyy hh:mm:ss".
TDateTime DateTimeOfRow(std::string_view row) {
  TDateTime moment = 0;
  EXPECT_TRUE(TryStrToDateTime(row.substr(0, row.find('\t')), test::JournalRules(), moment)) << row;
  return moment;
}

// What the query prints for `document` under `state`: the document's own rows and count.
std::string DocumentOutput(const JournalDocument& document, const FilterState& state) {
  RowSet rows;
  document.Select(state, rows);
  std::string out;
  std::string scratch;
  std::array<std::string_view, kMaxColumns> cells{};
  const int columns = document.ColumnCount();
  const std::vector<std::string> titles = document.ShownTitles();
  for (int c = 0; c < columns; ++c) {
    if (c > 0) out += '\t';
    out += Cp1251ToUtf8(titles[static_cast<size_t>(c)]);
  }
  out += '\n';
  for (uint32_t record : rows.rows) {
    document.Cells(record, cells, scratch);
    for (int c = 0; c < columns; ++c) {
      if (c > 0) out += '\t';
      out += Cp1251ToUtf8(cells[static_cast<size_t>(c)]);
    }
    out += '\n';
  }
  return out + "Показано строк: " + std::to_string(rows.size()) + " из " + std::to_string(document.RecordCount()) + "\n";
}

TEST(QueryDocumentTest, TheQueryPrintsWhatTheDocumentSelects) {
  std::mt19937 random(11);
  for (JournalKind kind : {JournalKind::Alarms, JournalKind::Action, JournalKind::Param, JournalKind::Stat}) {
    const KindDescription& description = DescriptionOf(kind);
    // Every ninth record cut after its second field: the fields after it are empty, which a
    // value no record holds selects.
    std::string bytes;
    // The alarms more than the query reads at once, so that lines and texts run across its
    // readings.
    const std::string generated = test::GeneratedJournal(kind, kind == JournalKind::Alarms ? 12000 : 1500, 3);
    for (size_t at = 0, line = 0; at < generated.size(); ++line) {
      const size_t end = generated.find('\n', at) + 1;
      std::string text = generated.substr(at, end - at);
      const size_t second = text.find('\t', text.find('\t') + 1);
      if (line % 9 == 8 && second != std::string::npos) text = text.substr(0, second) + "\r\n";
      bytes += text;
      at = end;
    }
    const std::string path = test::WriteScratchFile(std::string("generated") + std::string(description.extension), bytes);
    const JournalDocument document = test::Document(kind, bytes);
    for (int round = 0; round < 30; ++round) {
      FilterState state;
      std::vector<std::string> args;
      auto pick = [&random](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
      state.startTime = pick(3) == 0 ? 0 : EncodeTime(pick(24), pick(60), pick(60), 0);
      state.endTime = pick(3) == 0 ? EncodeTime(23, 59, 59, 0) : EncodeTime(pick(24), pick(60), pick(60), 0);
      args = {"--from", Clock(state.startTime), "--to", Clock(state.endTime)};
      state.startDate = WholeDay(document.Earliest());
      state.endDate = WholeDay(document.Latest());
      if (description.dateRange && pick(2) == 0) {
        state.startDate += pick(2);
        args.insert(args.end(), {"--from-date", Day(state.startDate)});
      }
      if (description.dateRange && pick(2) == 0) {
        state.endDate -= pick(2);
        args.insert(args.end(), {"--to-date", Day(state.endDate)});
      }
      // Texts to show and to hide, pieces of the cells as shown, now and then as regular
      // expressions or with their letter case counting; every third round without lists,
      // where the query passes over the lines that lack a text to show.
      const bool regex = pick(4) == 0, matchCase = pick(4) == 0;
      for (int t = pick(3); t > 0; --t) {
        TextFilter text;
        text.hide = pick(2) == 0;
        text.regex = regex;
        text.matchCase = matchCase;
        std::array<std::string_view, kMaxColumns> cells{};
        std::string scratch;
        document.Cells(random() % document.size(), cells, scratch);
        const std::string_view cell = cells[random() % static_cast<unsigned>(description.columns)];
        const size_t from = cell.empty() ? 0 : random() % cell.size();
        std::string piece(cell.substr(from, 1 + random() % 8));
        if (piece.empty()) piece = "0";
        if (regex) {
          // A piece, or the cell's start, with letters a regular expression takes as they are.
          auto quote = [](std::string_view text) {
            std::string quoted;
            for (const char c : text) {
              const auto b = static_cast<unsigned char>(c);
              if (std::isalnum(b) || b >= 0xC0) {
                quoted += c;
              } else {
                quoted += std::string("\\x") + "0123456789abcdef"[b >> 4] + "0123456789abcdef"[b & 15];
              }
            }
            return quoted;
          };
          piece = pick(2) == 0 ? quote(piece) : "^" + quote(piece.substr(0, piece.size() / 2 + 1)) + "|" + quote(piece);
        }
        text.text = piece;
        state.texts.push_back(text);
        args.insert(args.end(), {text.hide ? "--exclude" : "--match", Cp1251ToUtf8(piece)});
      }
      if (regex && !state.texts.empty()) args.emplace_back("--regex");
      if (matchCase && !state.texts.empty()) args.emplace_back("--match-case");
      // The texts to show first, as the query takes them.
      std::stable_sort(state.texts.begin(), state.texts.end(), [](const TextFilter& a, const TextFilter& b) { return !a.hide && b.hide; });
      for (int l = 0; l < description.listCount && round % 3 != 0; ++l) {
        const std::vector<std::string_view>& items = document.List(l);
        const int choice = pick(4);
        if (choice == 0) continue;
        ListSelection& selection = state.lists[static_cast<size_t>(l)];
        // A value of the list, or one no record holds: then the records with an empty field.
        selection.index = choice == 1 ? -1 : pick(static_cast<int>(items.size()));
        selection.text = selection.index < 0 ? test::W("нет такого") : std::string(items[static_cast<size_t>(selection.index)]);
        args.insert(args.end(), {std::string(description.lists[l].option), Cp1251ToUtf8(selection.text)});
      }
      state.showUnimportant = pick(2) == 0;
      if (state.showUnimportant && description.unimportantSwitch) args.emplace_back("--show-unimportant");
      args.push_back(path);
      Text out, err;
      ASSERT_EQ(RunQuery(args, test::JournalRules(), out, err), kQueryOk) << err.text;
      std::string call;
      for (const std::string& arg : args) call += arg + " ";
      EXPECT_EQ(out.text, DocumentOutput(document, state)) << call;
    }
  }
}

TEST(QueryDocumentTest, ARareTextIsFoundWhereverTheQuerysReadingsCutTheJournal) {
  // Three times the bytes the query reads at once; a text to show that few records hold,
  // whichever reading they fall in.
  const std::string bytes = test::GeneratedJournal(JournalKind::Alarms, 30000, 5);
  const std::string path = test::WriteScratchFile("rare.alarms", bytes);
  const JournalDocument document = test::Document(JournalKind::Alarms, bytes);
  std::mt19937 random(5);
  for (int round = 0; round < 8; ++round) {
    std::array<std::string_view, kMaxColumns> cells{};
    std::string scratch;
    document.Cells(random() % document.size(), cells, scratch);
    FilterState state;
    state.showUnimportant = true;
    state.endTime = EncodeTime(23, 59, 59, 999);
    TextFilter text;
    text.text = std::string(cells[1 + random() % 3]);
    if (text.text.empty()) continue;
    state.texts.push_back(text);
    Text out, err;
    ASSERT_EQ(RunQuery({"--show-unimportant", "--to", "23:59:59", "--match", Cp1251ToUtf8(text.text), path}, test::JournalRules(), out, err),
              kQueryOk)
        << err.text;
    EXPECT_EQ(out.text, DocumentOutput(document, state)) << Cp1251ToUtf8(text.text);
  }
}

TEST(QueryDocumentTest, SeveralJournalsAreQueriedAsTheirMerge) {
  // A journal cut in three by day, given out of order: its rows, each naming its day's file
  // (a name in Cyrillic, as the file system writes it).
  const std::string whole = test::GeneratedJournal(JournalKind::Param, 900, 4);
  const JournalDocument one = test::Document(JournalKind::Param, whole);
  const size_t titleEnd = whole.find('\n') + 1;
  std::array<std::string, 3> days;
  for (std::string& day : days) day = whole.substr(0, titleEnd);
  for (size_t at = titleEnd, i = 0; at < whole.size(); ++i) {
    const size_t end = whole.find('\n', at) + 1;
    days[static_cast<size_t>(WholeDay(one.Time(i)) - WholeDay(one.Time(0)))] += whole.substr(at, end - at);
    at = end;
  }
  const std::vector<std::string> args = {"--from", "09:00:00", "--to", "17:00:00", "--to-date", Day(one.Latest() - 1)};
  auto run = [&](std::vector<std::string> files) {
    std::vector<std::string> all = args;
    all.insert(all.end(), files.begin(), files.end());
    Text out, err;
    EXPECT_EQ(RunQuery(all, test::JournalRules(), out, err), kQueryOk) << err.text;
    return out.text;
  };
  const std::string merged = run({test::WriteScratchFile("день3.param", days[2]), test::WriteScratchFile("день1.param", days[0]),
                                  test::WriteScratchFile("день2.param", days[1])});
  std::string expected;
  size_t line = 0;
  const std::string plain = run({test::WriteScratchFile("whole.param", whole)});
  for (std::string_view text = plain; !text.empty(); ++line) {
    const std::string_view row = text.substr(0, text.find('\n'));
    text.remove_prefix(row.size() + 1);
    expected += std::string(row);
    if (row.rfind("Показано", 0) == 0) {
      expected += "\n";
      continue;
    }
    if (line == 0) {
      expected += "\tЖурнал\n";
      continue;
    }
    const TDateTime day = WholeDay(DateTimeOfRow(row));
    expected += "\tдень" + std::to_string(static_cast<int>(day - WholeDay(one.Time(0))) + 1) + ".param\n";
  }
  EXPECT_EQ(merged, expected);

  // Alarm journals of three days as one: the date shows, a range of days narrows them, and the
  // texts look at the dates and the journals' names too.
  std::vector<std::string> files;
  std::vector<NamedJournal> named;
  for (int day = 0; day < 3; ++day) {
    const std::string text = test::GeneratedDay(400, 20 + day, day);
    const std::string name = "узел-" + std::to_string(day + 1) + ".alarms";
    files.push_back(test::WriteScratchFile(name, text));
    named.push_back({Utf8ToCp1251(name), test::Parse(JournalKind::Alarms, text)});
  }
  const JournalDocument week(MergeJournals(std::move(named)), test::JournalRules().regional);
  ASSERT_TRUE(week.SpansDays());
  for (const std::vector<std::string>& texts : std::vector<std::vector<std::string>>{
           {"--match", "норма"}, {"--match", "УЗЕЛ-2", "--exclude", "авария"}, {"--match", "26.11.2013 1"}, {}}) {
    FilterState state;
    state.startTime = EncodeTime(9, 0, 0, 0);
    state.startDate = WholeDay(week.Time(0)) + 1;
    state.endDate = state.startDate + 1;
    std::vector<std::string> all = {"--from", "09:00:00", "--from-date", Day(state.startDate), "--to-date", Day(state.endDate)};
    all.insert(all.end(), texts.begin(), texts.end());
    for (size_t t = 0; t + 1 < texts.size(); t += 2) {
      TextFilter filter;
      filter.text = Utf8ToCp1251(texts[t + 1]);
      filter.hide = texts[t] == "--exclude";
      state.texts.push_back(filter);
    }
    all.insert(all.end(), files.begin(), files.end());
    Text out, err;
    ASSERT_EQ(RunQuery(all, test::JournalRules(), out, err), kQueryOk) << err.text;
    EXPECT_EQ(out.text, DocumentOutput(week, state)) << (texts.empty() ? "" : texts[1]);
  }

  Text out, err;
  EXPECT_EQ(RunQuery({test::WriteScratchFile("a.alarms", ""), test::WriteScratchFile("b.param", "")}, test::JournalRules(), out, err),
            kQueryBadUsage);
  EXPECT_NE(err.text.find("journals of different kinds: .alarms, .param"), std::string::npos) << err.text;
}

}  // namespace
}  // namespace vantorel
