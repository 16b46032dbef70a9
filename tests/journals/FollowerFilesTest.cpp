// A journal followed on real files: whatever its unit and its log rotation do, the records
// read are those of the rotated file as it ended, then those of the file at the name; a file
// replaced or rewritten is opened afresh. And what is not a regular file is refused.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <functional>

#include "journals/FollowedJournal.h"
#include "journals/JournalFollower.h"
#include "support/CoreTestSupport.h"
#include "support/SampleLines.h"
#include "support/TestFiles.h"

namespace vantorel {
namespace {

using test::kSamples;
using test::Sample;
using test::W;
using namespace std::chrono_literals;

std::string Lines(const Sample& sample, int from, int to) {
  std::string text;
  for (int i = from; i < to; ++i) text += W(sample.line(i));
  return text;
}

std::vector<std::string> LinesOf(const Journal& journal) {
  std::vector<std::string> lines;
  for (size_t i = 0; i < journal.size(); ++i) lines.emplace_back(journal.Line(i));
  return lines;
}

// The record lines a fresh open of `text` gives.
std::vector<std::string> RecordLines(JournalKind kind, const std::string& text) {
  return LinesOf(test::Parse(kind, text));
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

// Follows a journal as the window does: a look a second, and a fresh open when asked.
class Followed {
 public:
  Followed(const std::string& path, JournalKind kind) : path_(path), kind_(kind) { Open(); }

  void Look() {
    now_ += 1s;
    for (;;) {
      const JournalFollower::Outcome out = follower_->Look(now_, reader_);
      if (out.what == JournalFollower::Outcome::What::FreshOpen) {
        ++freshOpens;
        Open();
        continue;
      }
      if (!out.more) return;
    }
  }
  std::vector<std::string> Rows() const { return LinesOf(journal_); }
  int freshOpens = 0;

 private:
  void Open() {
    std::vector<std::unique_ptr<JournalSource>> sources;
    sources.push_back(std::make_unique<JournalSource>(path_));
    sources.back()->Open();
    sources.back()->LimitTo(JournalFollower::WholeLinesEnd(*sources.back(), kind_));
    LoadOptions options;
    options.rules = test::JournalRules();
    journal_ = LoadJournal(*sources.back(), kind_, options);
    if (follower_ == nullptr) {
      follower_ = std::make_unique<JournalFollower>(kind_, options.rules, std::move(sources));
    } else {
      follower_->Restart(std::move(sources), {});
    }
    reader_.Take();
  }

  std::string path_;
  JournalKind kind_;
  JournalFollower::Clock::time_point now_{};
  Journal journal_;
  FollowedJournal reader_{journal_, test::JournalRules()};
  std::unique_ptr<JournalFollower> follower_;
};

std::vector<std::string> Joined(std::vector<std::string> a, const std::vector<std::string>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

struct Rotation {
  const char* name;
  // Rotates the journal at `path`, looking with `look` between steps; returns the new file's
  // text. `old` is what the rotated file ends with; `fresh`: the journal is opened afresh
  // (the old file's records go).
  std::function<std::string(const Sample&, const std::string& path, Unit& unit, std::string& old, bool& fresh,
                            const std::function<void()>& look)>
      run;
};

const Rotation kRotations[] = {
    {"logrotate create: renamed, a new empty file at once, the unit reopens and writes a title in pieces",
     [](const Sample& s, const std::string& path, Unit& unit, std::string& old, bool&, const std::function<void()>& look) {
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
     [](const Sample& s, const std::string& path, Unit& unit, std::string& old, bool&, const std::function<void()>& look) {
       unit.Write(Lines(s, 4, 6));
       std::rename(path.c_str(), (path + ".1").c_str());
       look();
       unit.Write(Lines(s, 6, 7));
       old += Lines(s, 4, 7);
       unit.Reopen();
       unit.Write(W(s.title) + Lines(s, 10, 12));
       look();
       look();
       return W(s.title) + Lines(s, 10, 12);
     }},
    {"copied and truncated in place (copytruncate) right after lines no look saw, then written on",
     [](const Sample& s, const std::string& path, Unit& unit, std::string& old, bool&, const std::function<void()>& look) {
       unit.Write(Lines(s, 4, 6));
       old += Lines(s, 4, 6);
       test::WriteScratchFile(path.substr(path.rfind('/') + 1) + ".1", old);
       EXPECT_EQ(::truncate(path.c_str(), 0), 0);
       unit.Write(Lines(s, 10, 12));
       look();
       return W(s.title) + Lines(s, 10, 12);
     }},
    {"deleted while written to, created again",
     [](const Sample& s, const std::string& path, Unit& unit, std::string&, bool& fresh, const std::function<void()>& look) {
       ::unlink(path.c_str());
       unit.Write(Lines(s, 4, 6));
       look();
       unit.Reopen();
       unit.Write(W(s.title) + Lines(s, 10, 13));
       look();
       fresh = true;
       return W(s.title) + Lines(s, 10, 13);
     }},
    {"rewritten in place and grown past its old size within one look",
     [](const Sample& s, const std::string& path, Unit&, std::string&, bool& fresh, const std::function<void()>& look) {
       const std::string text = W("X") + W(s.title) + Lines(s, 10, 30);
       test::WriteScratchFile(path.substr(path.rfind('/') + 1), text);
       look();
       fresh = true;
       return text;
     }},
};

TEST(FollowerFiles, EveryRotationGivesTheOldFilesLinesThenTheNewFiles) {
  for (const Sample& sample : kSamples) {
    for (const Rotation& rotation : kRotations) {
      SCOPED_TRACE(std::string(DescriptionOf(sample.kind).extension) + ": " + rotation.name);
      const std::string path = test::WriteScratchFile("rotated" + std::string(DescriptionOf(sample.kind).extension), "");
      Unit unit(path);
      std::string old = W(sample.title) + Lines(sample, 0, 4);
      unit.Write(old);
      Followed followed(path, sample.kind);
      followed.Look();
      bool fresh = false;
      const std::string text = rotation.run(sample, path, unit, old, fresh, [&] { followed.Look(); });
      followed.Look();
      const std::vector<std::string> now = RecordLines(sample.kind, text);
      EXPECT_EQ(followed.Rows(), fresh ? now : Joined(RecordLines(sample.kind, old), now));
      EXPECT_EQ(followed.freshOpens, fresh ? 1 : 0);
      std::remove((path + ".1").c_str());
    }
  }
}

TEST(FollowerFiles, WhatIsNotARegularFileIsRefusedWithoutBlocking) {
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
