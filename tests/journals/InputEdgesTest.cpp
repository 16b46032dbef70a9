// The edges of what a journal's reading takes in: a NUL byte, which ends the text and the
// reading, and a file that changes while it is read.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <random>
#include <string>

#include "datetime/DateTimeParse.h"
#include "journals/FileBytes.h"
#include "journals/JournalLoad.h"
#include "journals/JournalStream.h"
#include "support/CoreTestSupport.h"
#include "support/GeneratedJournal.h"
#include "support/TestFiles.h"

namespace vantorel {
namespace {

using test::W;

// The whole-file line, counted from 1, that holds the first NUL of `bytes`; 0 without one.
// The model: a line ends at CR LF, LF or a lone CR.
size_t NulLineModel(const std::string& bytes) {
  const size_t nul = bytes.find('\0');
  if (nul == std::string::npos) return 0;
  size_t ends = 0;
  for (size_t i = 0; i < nul; ++i) {
    if (bytes[i] == '\n') ++ends;
    if (bytes[i] == '\r' && (i + 1 >= bytes.size() || bytes[i + 1] != '\n')) ++ends;
  }
  return ends + 1;
}

struct StreamRead {
  std::vector<std::string> titles;
  size_t records = 0;
  std::string lastLine;
  size_t nulLine = 0;
};

StreamRead ReadByStream(JournalKind kind, const std::string& path) {
  StreamRead read;
  JournalSource source(path);
  source.Open();
  JournalStream stream(source, DescriptionOf(kind));
  stream.ReadTitles();
  read.titles = stream.Titles();
  std::string_view line;
  while (stream.Next(line)) {
    ++read.records;
    read.lastLine = line;
  }
  read.nulLine = stream.NulLine();
  return read;
}

TEST(NulByte, TheLoadAndTheStreamEndTheTextAtTheLineTheModelFinds) {
  std::mt19937 random(5);
  const std::string lineEnds[] = {"\r\n", "\n", "\r"};
  for (JournalKind kind : {JournalKind::Alarms, JournalKind::Param}) {
    for (int round = 0; round < 150; ++round) {
      std::string bytes = W("Время\tГруппа") + lineEnds[random() % 3];
      const int records = static_cast<int>(random() % 40);
      for (int r = 0; r < records; ++r) bytes += "25.11.2013 10:00:0" + std::to_string(r % 10) + "\tG" + lineEnds[random() % 3];
      // A NUL anywhere, the title line included, in most rounds; more bytes after it.
      if (random() % 8 != 0) bytes.insert(random() % (bytes.size() + 1), 1, '\0');
      bytes += "25.11.2013 11:00:00\tafter\r\n";
      SCOPED_TRACE(testing::PrintToString(bytes));
      const std::string path = test::WriteScratchFile("nul" + std::string(DescriptionOf(kind).extension), bytes);
      LoadOptions options;
      options.rules = test::JournalRules();
      options.threads = 1 + round % 3;
      options.minPartBytes = 16;
      options.pieceBytes = 1 + random() % 64;
      std::string loadError;
      Journal journal;
      try {
        journal = LoadJournal(path, kind, options);
      } catch (const AppError& error) {
        loadError = error.Message();
      }
      const StreamRead streamed = ReadByStream(kind, path);
      EXPECT_EQ(streamed.nulLine, NulLineModel(bytes));
      if (!loadError.empty()) {
        // A NUL at the very start leaves no line; one inside a date a text that is none: the
        // last line the stream gives.
        const KindDescription& description = DescriptionOf(kind);
        const std::string lastDate(FieldOfLine(description, streamed.lastLine, description.dateTimeField));
        EXPECT_TRUE(loadError == (bytes[0] == '\0' ? "Range check error" : test::ErrorOf([&] {
                      StrToDateTime(lastDate, test::JournalRules());
                    }))) << loadError;
        continue;
      }
      EXPECT_EQ(journal.nulLine, NulLineModel(bytes));
      EXPECT_EQ(journal.titles, streamed.titles);
      EXPECT_EQ(journal.size(), streamed.records);
    }
  }
}

TEST(NulByte, AFileOfNulBytesEndsItsReadingAtOnce) {
  // Two gigabytes of NUL bytes that take no room on the disk.
  const std::string path = test::WriteScratchFile("zeros.alarms", "");
  const int fd = ::open(path.c_str(), O_WRONLY);
  ASSERT_EQ(::ftruncate(fd, off_t{2} << 30), 0);
  ::close(fd);

  JournalSource loaded(path);
  LoadOptions options;
  options.rules = test::JournalRules();
  EXPECT_EQ(test::ErrorOf([&] { LoadJournal(loaded, JournalKind::Alarms, options); }), "Range check error");
  EXPECT_LE(loaded.Offset(), size_t{16} << 20);

  JournalSource streamed(path);
  streamed.Open();
  JournalStream stream(streamed, DescriptionOf(JournalKind::Alarms));
  EXPECT_TRUE(stream.ReadTitles());
  EXPECT_FALSE(stream.HasLines());
  EXPECT_EQ(stream.NulLine(), 1u);
  EXPECT_LE(streamed.Offset(), size_t{16} << 20);
}

// Tells the read that the bytes came in and, after its first piece, does `change` once.
class ChangeAfterFirstPiece final : public ReadWatcher {
 public:
  explicit ChangeAfterFirstPiece(std::function<void()> change) : change_(std::move(change)) {}
  void Counted(const JournalBytes&, size_t) override {
    if (change_) std::exchange(change_, nullptr)();
  }
  void Moving() override {}
  void Abandoned() override {}
  void Moved(const char*, size_t, char*) override {}

 private:
  std::function<void()> change_;
};

TEST(ChangedWhileRead, ARewriteIsAnErrorAndGrowthOrNothingIsNot) {
  const std::string old = test::GeneratedJournal(JournalKind::Alarms, 3000, 1);
  const std::string other = test::GeneratedJournal(JournalKind::Alarms, 2000, 2);
  const std::string changed = "'moving.alarms' changed while it was read";
  struct Case {
    const char* what;
    std::function<void(const std::string&)> change;
    bool fails;
  };
  auto rewrite = [](const std::string& bytes) {
    return [bytes](const std::string& path) { test::WriteScratchFile(path.substr(path.rfind('/') + 1), bytes); };
  };
  const Case cases[] = {
      {"nothing", [](const std::string&) {}, false},
      {"grown", [](const std::string& path) {
         std::FILE* file = std::fopen(path.c_str(), "ab");
         std::fputs("25.11.2013 23:59:59\tlate\r\n", file);
         std::fclose(file);
       }, false},
      {"rewritten", rewrite(other), true},
      {"cut short before what was read", rewrite(old.substr(0, 1000)), true},
      {"emptied", rewrite(""), true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    // The loader's reading, piece by piece.
    const std::string path = test::WriteScratchFile("moving.alarms", old);
    JournalSource source(path);
    source.Open();
    ReadOptions options;
    options.pieceBytes = 4096;
    ChangeAfterFirstPiece watcher([&] { c.change(path); });
    options.watcher = &watcher;
    const std::string loadError = test::ErrorOf([&] { ReadJournalBytes(source, options); });
    EXPECT_EQ(loadError, c.fails ? changed : "<no error>");

    // The stream's, a megabyte at a time: changed after its first lines.
    const std::string big = old + test::GeneratedJournal(JournalKind::Alarms, 20000, 3).substr(300);
    test::WriteScratchFile("moving.alarms", big);
    JournalSource streamed(path);
    streamed.Open();
    JournalStream stream(streamed, DescriptionOf(JournalKind::Alarms));
    stream.ReadTitles();
    std::string_view line;
    stream.Next(line);
    c.change(path);
    const std::string streamError = test::ErrorOf([&] {
      while (stream.Next(line)) {
      }
    });
    EXPECT_EQ(streamError, c.fails ? changed : "<no error>");
  }
}

}  // namespace
}  // namespace vantorel
