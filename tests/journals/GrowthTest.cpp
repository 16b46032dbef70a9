// A journal that grows: the records its new bytes bring equal those of a fresh load of the
// whole file, whatever pieces the bytes come in.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "journals/JournalGrowth.h"
#include "support/CoreTestSupport.h"
#include "support/SampleLines.h"
#include "support/TestFiles.h"
#include "support/WithRoom.h"

namespace vantorel {
namespace {

using test::W;

using test::kSamples;
using test::Sample;

// The records and lists of a journal, as comparable values.
struct Seen {
  std::vector<double> times;
  std::vector<std::vector<std::string>> fields;
  std::vector<std::vector<std::string>> lists;
  double earliest = 0, latest = 0;
  bool operator==(const Seen&) const = default;
};

Seen SeenOf(const Journal& journal) {
  Seen seen;
  for (size_t i = 0; i < journal.size(); ++i) {
    seen.times.push_back(journal.records.times[i]);
    seen.fields.push_back(test::Fields(journal, i));
  }
  for (int l = 0; l < journal.kind->listCount; ++l) seen.lists.push_back(test::Strings(journal.List(l)));
  seen.earliest = journal.days.earliest;
  seen.latest = journal.days.latest;
  return seen;
}

TEST(GrowJournal, NewBytesInAnyPiecesGiveTheRecordsOfAFreshLoad) {
  for (const Sample& sample : kSamples) {
    SCOPED_TRACE(DescriptionOf(sample.kind).extension);
    std::string whole = W(sample.title);
    for (int i = 0; i < 3; ++i) whole += W(sample.line(i));
    Journal journal = test::Parse(sample.kind, whole);
    std::string more;
    for (int i = 3; i < 40; ++i) more += W(sample.line(i));
    // Pieces of 7 bytes cut lines anywhere, CR and LF of one line end apart too.
    size_t added = 0;
    for (size_t at = 0; at < more.size(); at += 7) {
      const Growth growth = GrowJournal(journal, more.substr(at, 7), test::JournalRules());
      ASSERT_FALSE(growth.reload);
      ASSERT_TRUE(growth.error.empty()) << growth.error;
      added += growth.added;
    }
    EXPECT_EQ(added, 37u);
    EXPECT_EQ(SeenOf(journal), SeenOf(test::Parse(sample.kind, whole + more)));
  }
}

TEST(GrowJournal, ALastLineWithoutItsEndOrABadRecord) {
  const Sample& alarms = kSamples[0];
  // The last line of the bytes read had no line end: more bytes would change its record.
  std::string open = W(alarms.title) + W(alarms.line(0));
  open.resize(open.size() - 2);
  Journal journal = test::Parse(JournalKind::Alarms, open);
  ASSERT_EQ(journal.size(), 1u);
  EXPECT_TRUE(GrowJournal(journal, "\r\n", test::JournalRules()).reload);

  // A load that ended on a lone CR: the LF that comes next ends that same line.
  const std::string whole = W(alarms.title) + W(alarms.line(0)) + W(alarms.line(1));
  Journal cr = test::Parse(JournalKind::Alarms, whole.substr(0, W(alarms.title).size() + W(alarms.line(0)).size() - 1));
  const Growth afterCr = GrowJournal(cr, whole.substr(W(alarms.title).size() + W(alarms.line(0)).size() - 1), test::JournalRules());
  EXPECT_EQ(afterCr.error, "");
  EXPECT_EQ(SeenOf(cr), SeenOf(test::Parse(JournalKind::Alarms, whole)));

  // A bad record stops the growth there; the records before it stay.
  Journal good = test::Parse(JournalKind::Alarms, W(alarms.title) + W(alarms.line(0)));
  const Growth growth = GrowJournal(good, W(alarms.line(1)) + "yesterday\tG\r\n" + W(alarms.line(2)), test::JournalRules());
  EXPECT_EQ(growth.added, 1u);
  EXPECT_EQ(growth.error, "'yesterday' is not a valid date and time");
  EXPECT_EQ(good.size(), 2u);

  // A NUL ends the text: nothing after it is read, then or later.
  Journal nul = test::Parse(JournalKind::Alarms, W(alarms.title) + W(alarms.line(0)));
  EXPECT_EQ(GrowJournal(nul, W(alarms.line(1)) + std::string(1, '\0') + W(alarms.line(2)), test::JournalRules()).added, 1u);
  EXPECT_EQ(GrowJournal(nul, W(alarms.line(3)), test::JournalRules()).added, 0u);
  EXPECT_EQ(nul.size(), 2u);
}

}  // namespace
}  // namespace vantorel

namespace vantorel {
namespace {

// A load that cannot have the memory it needs, with `room` bytes of address space beyond
// what the process uses: its error message, or "<no error>".
std::string LoadWithRoom(const std::string& path, size_t room) {
  return test::ErrorWithRoom(room, [&] {
    LoadOptions options;
    options.rules = test::JournalRules();
    options.threads = 1;
    LoadJournal(path, JournalKind::Alarms, options);
  });
}

TEST(LoadJournal, NotEnoughMemorySaysSoAndHowMuch) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
  GTEST_SKIP() << "a sanitizer's own reservations leave no address space to hold to";
#endif
  // 48 MB of journal: 600,000 records of 80 bytes.
  std::string text = "T\tG\tC\tN\tP\tM\tD\r\n";
  const std::string line = "25.11.2013 10:00:00\tGroup\tClass\tNode-0001\tPort-01\tMessage of an alarm\tdetails\r\n";
  for (int i = 0; i < 600000; ++i) text += line;
  const std::string path = test::WriteScratchFile("big.alarms", text);
  // No room for the bytes: counted from the file's size.
  const std::string early = LoadWithRoom(path, 8 << 20);
  EXPECT_EQ(early.rfind("Not enough memory to load big.alarms: about ", 0), 0u) << early;
  EXPECT_EQ(early.substr(early.size() - 11), " MB needed.") << early;
  // Room for the bytes, not for the records: counted from the lines read.
  const std::string midway = LoadWithRoom(path, text.size() + text.size() / 4 + (16 << 20));
  EXPECT_EQ(midway, "Not enough memory to load big.alarms: about " +
                        std::to_string((LoadFootprint(JournalKind::Alarms, text.size(), 600001) + 999999) / 1000000) +
                        " MB needed.");
  // Whichever allocation failed, the figure is the same within a tenth.
  const double guessed = std::atof(early.c_str() + early.find("about ") + 6);
  const double counted = std::atof(midway.c_str() + midway.find("about ") + 6);
  EXPECT_NEAR(guessed, counted, counted / 10) << early;
}

}  // namespace
}  // namespace vantorel
