// A followed journal through its source: whatever the unit and its log rotation do to the
// file, the record lines read equal those of the old file as it ended, then those of the
// file at the name as it stands.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <functional>

#include "journals/JournalStream.h"
#include "support/CoreTestSupport.h"
#include "support/SampleLines.h"
#include "support/TestFiles.h"

namespace vantorel {
namespace {

using test::W;
using namespace std::chrono_literals;

using test::kSamples;
using test::Sample;

std::string Lines(const Sample& sample, int from, int to) {
  std::string text;
  for (int i = from; i < to; ++i) text += W(sample.line(i));
  return text;
}

// The record lines a reading of `text` from its start gives.
std::vector<std::string> RecordLines(JournalKind kind, const std::string& text) {
  JournalSource source(test::WriteScratchFile("fresh-read.journal", text));
  source.Open();
  JournalStream stream(source, DescriptionOf(kind));
  stream.ReadTitles();
  std::vector<std::string> lines;
  std::string_view line;
  while (stream.Next(line)) lines.emplace_back(line);
  return lines;
}

// The unit: it writes through the descriptor it holds, whatever became of the name.
class Unit {
 public:
  explicit Unit(std::string path) : path_(std::move(path)) { Reopen(); }
  ~Unit() { ::close(fd_); }
  void Reopen() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = ::open(path_.c_str(), O_WRONLY | O_APPEND | O_CREAT, 0644);
  }
  void Write(const std::string& bytes) const { ASSERT_EQ(::write(fd_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size())); }

 private:
  std::string path_;
  int fd_ = -1;
};

// Follows a journal as a follower does: the new lines of the file it reads; after a rotation
// the old file's last lines, then the new file from its title line.
class Follower {
 public:
  Follower(const std::string& path, JournalKind kind) : source_(path), stream_(source_, DescriptionOf(kind)) {
    source_.Open();
    stream_.WaitForLineEnds();
    Start();
  }

  std::vector<SourceChange> Look(std::chrono::seconds later = 1s) {
    now_ += later;
    std::string added;
    const SourceChange change = source_.Look(now_, added);
    switch (change) {
      case SourceChange::Same:
      case SourceChange::Gone:
        break;
      case SourceChange::Grew:
        if (waiting_) {
          source_.Rewind();
          stream_.Restart();
          Start();
        } else if (stream_.Resume(added)) {
          Take();
        }
        break;
      case SourceChange::Rotated:
        if (!waiting_ && stream_.Resume(added)) {
          stream_.EndOfFile();
          Take();
        }
        stream_.Restart();
        Start();
        break;
      case SourceChange::Rewritten:
        stream_.Restart();
        Start();
        break;
    }
    seen_.push_back(change);
    return seen_;
  }
  const std::vector<std::string>& Rows() const { return rows_; }

 private:
  void Start() {
    waiting_ = !stream_.ReadTitles();
    if (!waiting_) Take();
  }
  void Take() {
    std::string_view line;
    while (stream_.Next(line)) rows_.emplace_back(line);
  }

  JournalSource source_;
  JournalStream stream_;
  JournalSource::Clock::time_point now_{};
  bool waiting_ = false;
  std::vector<std::string> rows_;
  std::vector<SourceChange> seen_;
};

std::vector<std::string> Joined(std::vector<std::string> a, const std::vector<std::string>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// The unit writes a new journal at the name: its title and three records.
std::string Started(const Sample& s, Unit& unit, const std::function<void()>& look) {
  const std::string text = W(s.title) + Lines(s, 10, 13);
  unit.Write(text);
  look();
  return text;
}

struct Rotation {
  const char* name;
  // Rotates the journal at `path`, looking with `look` between steps; returns the new
  // journal's text. The old journal ends as `old` says.
  std::function<std::string(const Sample&, const std::string& path, Unit& unit, std::string& old,
                            const std::function<void()>& look)>
      run;
};

const Rotation kRotations[] = {
    {"logrotate create: renamed, a new empty file at once, the unit reopens and writes a title in pieces",
     [](const Sample& s, const std::string& path, Unit& unit, std::string& old, const std::function<void()>& look) {
       unit.Write(Lines(s, 4, 6));
       old += Lines(s, 4, 6);
       std::rename(path.c_str(), (path + ".1").c_str());
       ::close(::open(path.c_str(), O_WRONLY | O_CREAT, 0644));
       look();
       unit.Reopen();
       unit.Write(W(s.title).substr(0, 3));
       look();
       const std::string text = W(s.title) + Lines(s, 10, 13);
       unit.Write(text.substr(3));
       look();
       return text;
     }},
    {"renamed, the unit goes on writing to it, then starts a new journal",
     [](const Sample& s, const std::string& path, Unit& unit, std::string& old, const std::function<void()>& look) {
       unit.Write(Lines(s, 4, 6));
       std::rename(path.c_str(), (path + ".1").c_str());
       look();
       unit.Write(Lines(s, 6, 7));
       old += Lines(s, 4, 7);
       look();
       unit.Reopen();
       return Started(s, unit, look);
     }},
    {"deleted while written to, created again",
     [](const Sample& s, const std::string& path, Unit& unit, std::string& old, const std::function<void()>& look) {
       ::unlink(path.c_str());
       unit.Write(Lines(s, 4, 6));
       old += Lines(s, 4, 6);
       look();
       unit.Reopen();
       return Started(s, unit, look);
     }},
    {"copied and truncated in place, then written with a title",
     [](const Sample& s, const std::string& path, Unit& unit, std::string&, const std::function<void()>& look) {
       EXPECT_EQ(::truncate(path.c_str(), 0), 0);
       look();
       return Started(s, unit, look);
     }},
    {"rewritten in place and grown past its old size within one look",
     [](const Sample& s, const std::string& path, Unit&, std::string&, const std::function<void()>& look) {
       const std::string text = W("X") + W(s.title) + Lines(s, 10, 30);
       test::WriteScratchFile(path.substr(path.rfind('/') + 1), text);
       look();
       return text;
     }},
};

TEST(JournalSource, EveryRotationGivesTheOldFilesLinesThenTheNewFiles) {
  for (const Sample& sample : kSamples) {
    for (const Rotation& rotation : kRotations) {
      SCOPED_TRACE(std::string(DescriptionOf(sample.kind).extension) + ": " + rotation.name);
      const std::string path = test::WriteScratchFile("rotated" + std::string(DescriptionOf(sample.kind).extension), "");
      Unit unit(path);
      std::string old = W(sample.title) + Lines(sample, 0, 4);
      unit.Write(old);
      Follower follower(path, sample.kind);
      follower.Look();
      const std::string text = rotation.run(sample, path, unit, old, [&] { follower.Look(); });
      follower.Look();
      EXPECT_EQ(follower.Rows(), Joined(RecordLines(sample.kind, old), RecordLines(sample.kind, text)));
      std::remove((path + ".1").c_str());
    }
  }
}

TEST(JournalSource, TellsGrowthARewriteAndAFileGoneForAWhile) {
  const Sample& alarms = kSamples[0];
  const std::string text = W(alarms.title) + Lines(alarms, 0, 2);
  const std::string path = test::WriteScratchFile("look.alarms", text);
  JournalSource source(path);
  source.Open();
  std::string read(text.size() + 10, '\0');
  ASSERT_EQ(source.Read(read.data(), read.size()), text.size());
  const auto start = JournalSource::Clock::time_point{};
  std::string added;
  EXPECT_EQ(source.Look(start, added), SourceChange::Same);
  test::WriteScratchFile("look.alarms", text + Lines(alarms, 2, 3));
  EXPECT_EQ(source.Look(start, added), SourceChange::Grew);
  EXPECT_EQ(added, Lines(alarms, 2, 3));
  // The same length with other bytes; then shorter.
  std::string changed = text + Lines(alarms, 2, 3);
  changed[changed.size() - 40] = 'X';
  test::WriteScratchFile("look.alarms", changed);
  EXPECT_EQ(source.Look(start, added), SourceChange::Rewritten);
  EXPECT_EQ(source.Offset(), 0u);
  while (source.Read(read.data(), read.size()) > 0) {
  }
  // No file at the name: gone only after the grace time, and told once.
  std::remove(path.c_str());
  EXPECT_EQ(source.Look(start, added), SourceChange::Same);
  EXPECT_EQ(source.Look(start + JournalSource::kGoneAfter - 1ms, added), SourceChange::Same);
  EXPECT_EQ(source.Look(start + JournalSource::kGoneAfter, added), SourceChange::Gone);
  EXPECT_EQ(source.Look(start + 2 * JournalSource::kGoneAfter, added), SourceChange::Same);
  test::WriteScratchFile("look.alarms", text);
  EXPECT_EQ(source.Look(start + 3 * JournalSource::kGoneAfter, added), SourceChange::Rotated);
}

TEST(JournalSource, RefusesWhatIsNotARegularFileWithoutBlocking) {
  const std::string fifo = test::MissingScratchPath("pipe.alarms");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  JournalSource pipe(fifo);
  EXPECT_EQ(test::ErrorOf([&] { pipe.Open(); }), "'pipe.alarms' is not a regular file");
  const std::string zero = test::MissingScratchPath("zero.alarms");
  ASSERT_EQ(::symlink("/dev/zero", zero.c_str()), 0);
  JournalSource device(zero);
  EXPECT_EQ(test::ErrorOf([&] { device.Open(); }), "'zero.alarms' is not a regular file");
  std::remove(fifo.c_str());
  std::remove(zero.c_str());
}

}  // namespace
}  // namespace vantorel
