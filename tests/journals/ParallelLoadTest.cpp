// A journal cut into parts parsed side by side must load exactly as it does in one part.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <fstream>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "support/GeneratedJournal.h"
#include "journals/JournalLoad.h"
#include "support/CoreTestSupport.h"
#include "support/TestFiles.h"

namespace vantorel {
namespace {

constexpr size_t kRecords = 12000;
constexpr size_t kMinPartBytes = 4096;
constexpr JournalKind kKinds[] = {JournalKind::Alarms, JournalKind::Action, JournalKind::Param, JournalKind::Stat};

std::string KindName(JournalKind kind) { return std::string(DescriptionOf(kind).extension); }

std::string Generated(JournalKind kind) { return test::GeneratedJournal(kind, kRecords); }

Journal ParseInParts(JournalKind kind, const std::string& bytes, int parts, LoadObserver* observer = nullptr) {
  // Guards against a test that passes because the journal was never cut.
  EXPECT_EQ(JournalBytesOf(bytes, parts, kMinPartBytes).splits.size(), static_cast<size_t>(parts - 1));
  return test::Parse(kind, bytes, observer, 0, parts, kMinPartBytes);
}

// Everything a load gives, compared record by record; only the first differing record is
// reported.
void ExpectSameJournal(const Journal& one, const Journal& many, const std::string& what) {
  ASSERT_EQ(many.size(), one.size()) << what;
  EXPECT_EQ(many.titles, one.titles) << what;
  EXPECT_EQ(many.progressMax, one.progressMax) << what;
  EXPECT_EQ(std::bit_cast<uint64_t>(many.days.earliest), std::bit_cast<uint64_t>(one.days.earliest)) << what;
  EXPECT_EQ(std::bit_cast<uint64_t>(many.days.latest), std::bit_cast<uint64_t>(one.days.latest)) << what;
  const KindDescription& kind = *one.kind;
  ASSERT_EQ(many.kind, one.kind) << what;
  for (int l = 0; l < kind.listCount; ++l) {
    EXPECT_EQ(test::Strings(many.List(l)), test::Strings(one.List(l))) << what << ", list " << l;
  }
  for (size_t i = 0; i < one.size(); ++i) {
    const std::string_view lineOne = one.Line(i), lineMany = many.Line(i);
    bool same = std::bit_cast<uint64_t>(many.records.times[i]) == std::bit_cast<uint64_t>(one.records.times[i]) &&
                lineMany.data() - many.bytes.data() == lineOne.data() - one.bytes.data() && lineMany == lineOne;
    for (int l = 0; l < kind.listCount; ++l) {
      same = same && many.records.items[static_cast<size_t>(l)][i] == one.records.items[static_cast<size_t>(l)][i];
    }
    if (kind.messageField >= 0) same = same && many.records.tones[i] == one.records.tones[i];
    if (!same) {
      ADD_FAILURE() << what << ": record " << i << " differs; line in one part: " << lineOne;
      return;
    }
  }
}

// Where record `record`'s line starts; the title is line 0.
size_t LineStart(const std::string& bytes, size_t record) {
  size_t at = 0;
  for (size_t line = 0; line <= record; ++line) at = bytes.find('\n', at) + 1;
  return at;
}

// The record whose line starts at `offset`.
size_t RecordAt(const std::string& bytes, size_t offset) {
  return static_cast<size_t>(std::count(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(offset), '\n')) - 1;
}

// `bytes` with the date-time field of `record` replaced by `text`.
std::string WithDateTime(std::string bytes, JournalKind kind, size_t record, const std::string& text) {
  size_t at = LineStart(bytes, record);
  for (int f = 0; f < DescriptionOf(kind).dateTimeField; ++f) at = bytes.find_first_not_of('\t', bytes.find('\t', at));
  bytes.replace(at, bytes.find('\t', at) - at, text);
  return bytes;
}

TEST(ParallelLoad, PartsGiveTheRecordsListsAndDaysOfOnePart) {
  for (JournalKind kind : kKinds) {
    const std::string bytes = Generated(kind);
    const Journal one = test::Parse(kind, bytes);
    ASSERT_EQ(one.size(), kRecords) << KindName(kind);
    for (int parts : {2, 3, 7}) {
      ExpectSameJournal(one, ParseInParts(kind, bytes, parts), KindName(kind) + " in " + std::to_string(parts) + " parts");
    }
  }
}

TEST(ParallelLoad, TheFirstBadDateTimeInFileOrderIsTheError) {
  for (JournalKind kind : kKinds) {
    const std::string good = Generated(kind);
    const std::vector<SplitPoint> splits = JournalBytesOf(good, 7, kMinPartBytes).splits;
    ASSERT_EQ(splits.size(), 6u);
    // Near the end of part 0, the last line of part 2, the first line of part 5, the last
    // record: each in a part of its own.
    const std::vector<size_t> bad{RecordAt(good, splits[0].at) - 5, RecordAt(good, splits[2].at) - 1,
                                  RecordAt(good, splits[4].at), kRecords - 1};
    std::set<size_t> partsHit;
    for (size_t record : bad) {
      const size_t offset = LineStart(good, record);
      partsHit.insert(static_cast<size_t>(std::count_if(splits.begin(), splits.end(),
                                                        [offset](const SplitPoint& s) { return s.at <= offset; })));
    }
    ASSERT_EQ(partsHit.size(), bad.size()) << KindName(kind);

    for (size_t first = 0; first < bad.size(); ++first) {
      std::string bytes = good;
      for (size_t b = first; b < bad.size(); ++b) {
        bytes = WithDateTime(bytes, kind, bad[b], "31.02.2013 10:00:0" + std::to_string(b));
      }
      const std::string expected = "'31.02.2013 10:00:0" + std::to_string(first) + "' is not a valid date and time";
      EXPECT_EQ(test::ErrorOf([&] { test::Parse(kind, bytes); }), expected) << KindName(kind);
      for (int parts : {2, 3, 7}) {
        EXPECT_EQ(test::ErrorOf([&] { ParseInParts(kind, bytes, parts); }), expected)
            << KindName(kind) << " in " << parts << " parts";
      }
    }
  }
}

TEST(ParallelLoad, TheTextEndsInAMiddlePartWhereItEndsInOne) {
  for (JournalKind kind : kKinds) {
    const std::string good = Generated(kind);
    const std::vector<SplitPoint> splits = JournalBytesOf(good, 7, kMinPartBytes).splits;
    ASSERT_EQ(splits.size(), 6u);
    // A NUL ends whole-file text, Ctrl-Z ends text lines.
    const char end = DescriptionOf(kind).lines == LineRule::Text ? '\x1A' : '\0';
    const size_t record = RecordAt(good, splits[2].at) + 3;
    const size_t lineStart = LineStart(good, record);
    const size_t lineEnd = good.find('\r', lineStart);
    // At the start of the line the record is gone; before its line end it is kept.
    for (const auto& [at, records] : {std::pair{lineStart, record}, std::pair{lineEnd, record + 1}}) {
      std::string bytes = good;
      bytes.insert(at, 1, end);
      const Journal one = test::Parse(kind, bytes);
      EXPECT_EQ(one.size(), records) << KindName(kind);
      for (int parts : {2, 3, 7}) {
        ExpectSameJournal(one, ParseInParts(kind, bytes, parts),
                          KindName(kind) + " ended at " + std::to_string(at) + ", " + std::to_string(parts) + " parts");
      }
    }
  }
}

TEST(ParallelLoad, ProgressOfSeveralPartsStartsAtOneNeverGoesDownAndEndsAtTheTotal) {
  for (JournalKind kind : kKinds) {
    const std::string bytes = Generated(kind);
    for (int parts : {2, 3, 7}) {
      test::RecordingObserver observer;
      ParseInParts(kind, bytes, parts, &observer);
      const std::string what = KindName(kind) + " in " + std::to_string(parts) + " parts";
      EXPECT_EQ(observer.started, std::vector<size_t>{kRecords + 1}) << what;
      ASSERT_FALSE(observer.progress.empty()) << what;
      EXPECT_EQ(observer.progress.front(), std::make_pair(size_t{1}, kRecords)) << what;
      EXPECT_EQ(observer.progress.back(), std::make_pair(kRecords, kRecords)) << what;
      for (size_t i = 1; i < observer.progress.size(); ++i) {
        EXPECT_GE(observer.progress[i].first, observer.progress[i - 1].first) << what << ", report " << i;
        EXPECT_EQ(observer.progress[i].second, kRecords) << what << ", report " << i;
      }
    }
  }
}

// `bytes` loaded from a file read in pieces of `piece` bytes, its parts parsed while the read
// goes on; `appended` comes to the file after it was opened, beyond the size the load expects.
Journal LoadWhileRead(JournalKind kind, const std::string& bytes, size_t piece, LoadObserver* observer = nullptr,
                      const std::string& appended = {}) {
  const std::string path = test::WriteScratchFile("while-read" + KindName(kind), bytes);
  JournalSource source(path);
  source.Open();
  if (!appended.empty()) std::ofstream(path, std::ios::binary | std::ios::app) << appended;
  LoadOptions options;
  options.rules = test::JournalRules();
  options.threads = 2;
  options.minPartBytes = kMinPartBytes;
  options.pieceBytes = piece;
  options.observer = observer;
  return LoadJournal(source, kind, options);
}

TEST(ParallelLoad, AJournalParsedWhileItIsReadLoadsAsInOnePart) {
  for (JournalKind kind : kKinds) {
    SCOPED_TRACE(KindName(kind));
    const std::string good = Generated(kind);
    const Journal one = test::Parse(kind, good);
    for (size_t piece : {977, 4096, 65536}) {
      SCOPED_TRACE(piece);
      test::RecordingObserver observer;
      ExpectSameJournal(one, LoadWhileRead(kind, good, piece, &observer), KindName(kind) + " in pieces of " + std::to_string(piece));
      const std::string what = KindName(kind) + ", progress in pieces of " + std::to_string(piece);
      EXPECT_EQ(observer.started, std::vector<size_t>{kRecords + 1}) << what;
      ASSERT_FALSE(observer.progress.empty()) << what;
      EXPECT_EQ(observer.progress.back(), std::make_pair(kRecords, kRecords)) << what;
      for (size_t i = 1; i < observer.progress.size(); ++i) EXPECT_GE(observer.progress[i].first, observer.progress[i - 1].first) << what;
    }
    // Far more bytes than the file held when it was opened: the buffer moves under parsed
    // parts and the records outgrow their guessed room.
    const size_t opened = LineStart(good, 300);
    ExpectSameJournal(one, LoadWhileRead(kind, good.substr(0, opened), 977, nullptr, good.substr(opened)),
                      KindName(kind) + " grown while read");
    // Long lines first: the room guessed from them is short of the records that follow.
    std::string longFirst = good;
    const int field = DescriptionOf(kind).lists[0].field;
    for (size_t record = 0; record < 30; ++record) {
      size_t at = LineStart(longFirst, record);
      for (int f = 0; f < field; ++f) at = longFirst.find_first_not_of('\t', longFirst.find('\t', at));
      longFirst.insert(at, 3000, 'x');
    }
    ExpectSameJournal(test::Parse(kind, longFirst), LoadWhileRead(kind, longFirst, 977), KindName(kind) + " long lines first");
    // The text ends in the middle; a bad record in a late part.
    std::string ended = good;
    ended.insert(LineStart(good, kRecords / 2), 1, DescriptionOf(kind).lines == LineRule::Text ? '\x1A' : '\0');
    ExpectSameJournal(test::Parse(kind, ended), LoadWhileRead(kind, ended, 977), KindName(kind) + " ended in the middle");
    const std::string bad = WithDateTime(good, kind, kRecords - 100, "31.02.2013 10:00:00");
    EXPECT_EQ(test::ErrorOf([&] { LoadWhileRead(kind, bad, 977); }), "'31.02.2013 10:00:00' is not a valid date and time")
        << KindName(kind);
  }
}

TEST(ParallelLoad, LinesOf16MegabytesAndMoreComeBackWhole) {
  // Lines one byte shorter than the length a record keeps beside its offset, as long, and
  // longer; action fields are not cut.
  std::string bytes = "title\r\n";
  const std::vector<size_t> lengths{kLongLine - 1, kLongLine, kLongLine + 1};
  for (size_t length : lengths) {
    const std::string head = "u\t25.11.2013 10:00:00\t";
    bytes += head + std::string(length - head.size(), 'x') + "\r\nu\t25.11.2013 10:00:01\tshort\r\n";
  }
  const Journal one = test::Parse(JournalKind::Action, bytes);
  ASSERT_EQ(one.size(), 2 * lengths.size());
  for (size_t i = 0; i < lengths.size(); ++i) {
    EXPECT_EQ(one.Line(2 * i).size(), lengths[i]) << i;
    EXPECT_EQ(one.Line(2 * i + 1), "u\t25.11.2013 10:00:01\tshort") << i;
  }
  ExpectSameJournal(one, ParseInParts(JournalKind::Action, bytes, 3), "long lines in 3 parts");
}

}  // namespace
}  // namespace vantorel
