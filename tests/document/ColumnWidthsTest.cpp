#include "document/ColumnWidths.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "journals/JournalMerge.h"
#include "journals/JournalSetLoad.h"
#include "support/CoreTestSupport.h"
#include "support/GeneratedJournal.h"
#include "support/TestFiles.h"

namespace vantorel {
namespace {

// Advances that differ from byte to byte and are no whole pixels.
TextMeasure UnequalMeasure() {
  TextMeasure measure;
  for (size_t c = 0; c < measure.advance.size(); ++c) measure.advance[c] = static_cast<uint32_t>(40 + (c * 37) % 600);
  return measure;
}

// The widest shown text of each column, measured cell by cell.
std::vector<int> BruteForce(const JournalDocument& document, const TextMeasure& measure, const RowSet& rows) {
  std::vector<int> widest(static_cast<size_t>(document.ColumnCount()), 0);
  std::string scratch;
  for (uint32_t record : rows.rows) {
    for (int c = 0; c < document.ColumnCount(); ++c) {
      widest[static_cast<size_t>(c)] = std::max(widest[static_cast<size_t>(c)], measure.Width(document.Cell(record, c, scratch)));
    }
  }
  return widest;
}

// Each block's rows begin where the rows of the blocks before it end.
void ExpectBlockStarts(const RowSet& rows, size_t records) {
  const size_t blocks = (records + kRecordBlock - 1) / kRecordBlock;
  ASSERT_EQ(rows.blockStarts.size(), blocks + 1);
  EXPECT_EQ(rows.blockStarts.front(), 0u);
  EXPECT_EQ(rows.blockStarts.back(), rows.size());
  for (size_t block = 0; block < blocks; ++block) {
    for (uint32_t row = rows.blockStarts[block]; row < rows.blockStarts[block + 1]; ++row) {
      ASSERT_EQ(rows.rows[row] / kRecordBlock, block) << "row " << row;
    }
  }
}

// A random filter state: the whole day or a window of a few hours, at most one list
// narrowed (now and then to no item), and a date range of days around the journal's.
FilterState RandomState(const JournalDocument& document, std::mt19937& random) {
  auto below = [&random](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
  FilterState state;
  if (below(2) == 0) {
    const int start = below(86400), span = below(4 * 3600);
    state.startTime = EncodeTime(start / 3600, start / 60 % 60, start % 60, 0);
    const int end = std::min(start + span, 86399);
    state.endTime = EncodeTime(end / 3600, end / 60 % 60, end % 60, 0);
  }
  state.startDate = WholeDay(document.Earliest()) - 1 + below(3);
  state.endDate = state.startDate + below(4);
  if (below(2) == 0) {
    const int l = below(document.ListCount());
    const int size = static_cast<int>(document.List(l).size());
    state.lists[static_cast<size_t>(l)].index = below(10) == 0 ? -1 : below(size);
  }
  state.showUnimportant = below(2) == 0;
  return state;
}

// A journal of `kind` with `records` random records over three days: each text field takes
// values of a pool of its own, of every length up to 40 bytes and now and then longer than
// a capped field keeps; times fall on midnight now and then, and half of them carry
// milliseconds.
std::string RandomJournal(JournalKind kind, size_t records, std::mt19937& random) {
  const KindDescription& description = DescriptionOf(kind);
  auto below = [&random](size_t n) { return static_cast<size_t>(random() % n); };
  auto text = [&](size_t length) {
    std::string out;
    for (size_t i = 0; i < length; ++i) {
      const size_t pick = below(4);
      out += static_cast<char>(pick == 0 ? ' ' : pick == 1 ? 0xC0 + below(64) : 'A' + below(58));
    }
    return out;
  };
  std::vector<std::vector<std::string>> pools(static_cast<size_t>(description.columns));
  for (auto& pool : pools) {
    for (int i = 0; i < 60; ++i) pool.push_back(text(i % 10 == 9 ? 200 + below(60) : below(41)));
  }
  if (description.messageField >= 0) pools[static_cast<size_t>(description.messageField)][0] = test::W("Переход на резерв");
  std::string bytes = "title\r\n";
  for (size_t r = 0; r < records; ++r) {
    for (int f = 0; f < description.columns; ++f) {
      if (f > 0) bytes += '\t';
      if (f != description.dateTimeField) {
        bytes += pools[static_cast<size_t>(f)][below(60)];
        continue;
      }
      char moment[40];
      const bool midnight = below(10) == 0;
      std::snprintf(moment, sizeof moment, "%02zu.11.2013 %02zu:%02zu:%02zu", 25 + below(3), midnight ? 0 : below(24),
                    midnight ? 0 : below(60), midnight ? 0 : below(60));
      bytes += moment;
      // Milliseconds, which the time texts leave out.
      if (below(2) == 0) {
        bytes += '.';
        bytes += std::to_string(below(1000));
      }
    }
    bytes += "\r\n";
  }
  return bytes;
}

TEST(WidthIndex, WidestEqualsTheWidestCellOfTheShownRows) {
  const TextMeasure measure = UnequalMeasure();
  std::mt19937 random(2024);
  for (JournalKind kind : {JournalKind::Alarms, JournalKind::Action, JournalKind::Param, JournalKind::Stat}) {
    // Enough blocks for the index to measure them on two threads.
    constexpr size_t kRecords = 20000;
    const std::string bytes = RandomJournal(kind, kRecords, random);
    const JournalDocument document = test::Document(kind, bytes);
    ASSERT_EQ(document.RecordCount(), kRecords);
    WidthIndex one(document, measure, 1);
    WidthIndex two(document, measure, 2);
    // The text columns measured by a load in three parts, cut where they fall.
    LoadOptions options;
    options.rules = test::JournalRules();
    options.threads = 3;
    options.minPartBytes = 1;
    options.measure = &measure;
    const JournalDocument measured(ParseJournal(JournalBytesOf(bytes, 3, 1), kind, options), test::JournalRules().regional);
    ASSERT_TRUE(measured.Data().records.widths.Measured(measure, kRecords));
    WidthIndex loaded(measured, measure, 2);
    EXPECT_EQ(one.Records(), document.RecordCount());

    RowSet rows;
    for (int round = 0; round < 40; ++round) {
      FilterState state = RandomState(document, random);
      if (round == 0) {
        // Every row shows.
        state = FilterState{};
        state.endTime = EncodeTime(23, 59, 59, 999);
        state.startDate = document.Earliest();
        state.endDate = document.Latest() + 1;
        state.showUnimportant = true;
      }
      document.Select(state, rows);
      ExpectBlockStarts(rows, document.RecordCount());
      const std::vector<int> expected = BruteForce(document, measure, rows);
      EXPECT_EQ(one.Widest(document, rows), expected) << DescriptionOf(kind).extension << ", round " << round;
      // Looked for on threads that share what they found.
      EXPECT_EQ(two.Widest(document, rows, 1 + round % 3), expected) << DescriptionOf(kind).extension << ", round " << round;
      EXPECT_EQ(loaded.Widest(measured, rows), expected) << DescriptionOf(kind).extension << ", round " << round;
    }
    // No row shown: every column is 0 wide.
    FilterState none;
    none.startTime = EncodeTime(23, 0, 0, 0);
    none.endTime = EncodeTime(1, 0, 0, 0);
    document.Select(none, rows);
    ASSERT_EQ(rows.size(), 0u);
    EXPECT_EQ(one.Widest(document, rows), std::vector<int>(static_cast<size_t>(document.Kind().columns), 0));
  }
}

TEST(WidthIndex, MergedJournalsNamesAreMeasured) {
  std::mt19937 random(11);
  std::vector<NamedJournal> journals;
  journals.push_back({"short", test::Parse(JournalKind::Alarms, RandomJournal(JournalKind::Alarms, 300, random))});
  journals.push_back({"a much longer name", test::Parse(JournalKind::Alarms, RandomJournal(JournalKind::Alarms, 300, random))});
  const JournalDocument document(MergeJournals(std::move(journals)), test::JournalRules().regional);
  ASSERT_EQ(document.ColumnCount(), document.Kind().columns + 1);
  WidthIndex widths(document, UnequalMeasure());
  for (int round = 0; round < 10; ++round) {
    RowSet rows;
    document.Select(RandomState(document, random), rows);
    EXPECT_EQ(widths.Widest(document, rows), BruteForce(document, UnequalMeasure(), rows)) << "round " << round;
  }
}

TEST(WidthIndex, ASetsLoadMeasuresItsJournalsWhereverTheMergePutsTheirRecords) {
  // Two days of a unit, whose records stay where the load put them; then two units of one
  // day, whose records the merge interleaves: the widths measured before bound those after.
  const TextMeasure measure = UnequalMeasure();
  for (const bool overlap : {false, true}) {
    SCOPED_TRACE(overlap ? "one day" : "two days");
    std::vector<std::unique_ptr<JournalSource>> sources;
    std::vector<std::string> names = {"unit 2", "unit 1"};
    for (int day : {1, 0}) {
      const std::string text =
          test::GeneratedDay(1000 + static_cast<size_t>(day) * 77, static_cast<uint64_t>(day), overlap ? 0 : day);
      sources.push_back(std::make_unique<JournalSource>(test::WriteScratchFile(names[static_cast<size_t>(1 - day)] + ".alarms", text)));
    }
    LoadOptions options;
    options.rules = test::JournalRules();
    options.threads = 2;
    options.minPartBytes = 1;
    options.measure = &measure;
    SetSize size;
    const JournalDocument document(LoadJournalSet(sources, names, JournalKind::Alarms, options, size), test::JournalRules().regional);
    ASSERT_TRUE(document.Data().records.widths.Measured(measure, document.RecordCount()));
    EXPECT_EQ(document.Data().records.widths.bounds, overlap);
    WidthIndex widths(document, measure, 2);
    std::mt19937 random(5);
    for (int round = 0; round < 24; ++round) {
      RowSet rows;
      FilterState state = RandomState(document, random);
      if (round % 3 == 0) {
        // Every row, or every row of a few hours: whole blocks shown, beside records hidden
        // whose widths their blocks' bounds may hold.
        state = FilterState{};
        const int hour = round == 0 ? 0 : static_cast<int>(random() % 20);
        state.startTime = EncodeTime(hour, 0, 0, 0);
        state.endTime = round == 0 ? EncodeTime(23, 59, 59, 999) : EncodeTime(hour + 3, 0, 0, 0);
        state.showUnimportant = true;
      }
      document.Select(state, rows);
      EXPECT_EQ(widths.Widest(document, rows, 1 + round % 2), BruteForce(document, measure, rows)) << "round " << round;
    }
  }
}

TEST(WidthIndex, AJournalThatGrewIsMeasuredOnlyWhereItGrew) {
  std::mt19937 random(5);
  for (JournalKind kind : {JournalKind::Alarms, JournalKind::Action, JournalKind::Param}) {
    SCOPED_TRACE(DescriptionOf(kind).extension);
    const std::string text = RandomJournal(kind, 3000, random);
    // The first thousand records, then the rest as the file's new bytes, cut mid-line.
    size_t cut = 0;
    for (int lines = 0; lines < 1001; ++lines) cut = text.find('\n', cut) + 1;
    JournalDocument document = test::Document(kind, text.substr(0, cut));
    // The document keeps its few-valued lists' items in two bytes, and grows them so.
    EXPECT_TRUE(document.Data().records.items[0].IsNarrow());
    WidthIndex widths(document, UnequalMeasure());
    for (size_t at = cut; at < text.size(); at += 7919) {
      ASSERT_TRUE(document.Grow(text.substr(at, 7919), test::JournalRules()).error.empty());
      widths.Extend(document);
      for (int round = 0; round < 5; ++round) {
        RowSet rows;
        const FilterState state = RandomState(document, random);
        document.Select(state, rows);
        EXPECT_EQ(widths.Widest(document, rows), BruteForce(document, UnequalMeasure(), rows));
      }
    }
    EXPECT_EQ(document.RecordCount(), 3000u);
  }
}

TEST(WidthIndex, ACellWiderThan65535PixelsKeepsItsWidth) {
  TextMeasure measure;
  measure.advance.fill(64);
  // Action texts are not cut: a 70000-byte object and action are 70000 pixels wide.
  const std::string wide(70000, 'w');
  std::string bytes = "title\r\n";
  for (int i = 0; i < 300; ++i) {
    bytes += "u\t25.11.2013 10:00:0" + std::to_string(i % 2) + "\to\tp\tv\ta\r\n";
    if (i == 200) bytes += "u\t25.11.2013 10:00:00\t" + wide + "\tp\tv\t" + wide + "\r\n";
  }
  const JournalDocument document = test::Document(JournalKind::Action, bytes);
  ASSERT_EQ(document.RecordCount(), 301u);
  WidthIndex index(document, measure);
  EXPECT_EQ(index.CellWidth(document, 201, 2), 70000);
  EXPECT_EQ(index.CellWidth(document, 201, 5), 70000);

  RowSet rows;
  // Every row of the wide one's block shows, and then only some of them.
  FilterState state;
  for (TDateTime end : {EncodeTime(10, 0, 1, 0), EncodeTime(10, 0, 0, 0)}) {
    state.endTime = end;
    document.Select(state, rows);
    const std::vector<int> widest = index.Widest(document, rows);
    EXPECT_EQ(widest[2], 70000);
    EXPECT_EQ(widest[5], 70000);
    EXPECT_EQ(widest, BruteForce(document, measure, rows));
  }
}

}  // namespace
}  // namespace vantorel
