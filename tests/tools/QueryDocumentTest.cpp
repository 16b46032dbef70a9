// vantorel-query against the window's document: over generated journals of every kind and
// random filter states, the query prints the rows and the count the document selects.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>

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

// What the query prints for `document` under `state`: the document's own rows and count.
std::string DocumentOutput(const JournalDocument& document, const FilterState& state) {
  RowSet rows;
  document.Select(state, rows);
  std::string out;
  std::string scratch;
  std::array<std::string_view, kMaxColumns> cells{};
  const int columns = document.Kind().columns;
  for (int c = 0; c < columns; ++c) {
    if (c > 0) out += '\t';
    if (static_cast<size_t>(c) < document.Titles().size()) out += Cp1251ToUtf8(document.Titles()[static_cast<size_t>(c)]);
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
    const std::string generated = test::GeneratedJournal(kind, 1500, 3);
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
      for (int l = 0; l < description.listCount; ++l) {
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

}  // namespace
}  // namespace vantorel
