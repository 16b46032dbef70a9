// The follower against a model of what it must show. Random sequences of what a unit and its
// log rotation do to journals are played on a file system in memory: lines appended whole or
// in pieces (a CR and its LF apart), a rename with a new file (the unit writing the old one
// for a while), copytruncate, a file removed and made again, cut short, rewritten in place,
// replaced, a bad line and a good journal back. After every look the followed journal must
// hold the rows a fresh open of the files as they stand would show, plus the rows read from
// rotated files since the journal was last opened afresh; a reading that fails shows none.
#include <gtest/gtest.h>

#include <random>

#include "datetime/DateTimeParse.h"
#include "journals/FollowedJournal.h"
#include "journals/JournalFollower.h"
#include "journals/JournalSetLoad.h"
#include "journals/LineReaders.h"
#include "support/CoreTestSupport.h"
#include "support/MemoryFileSystem.h"

namespace vantorel {
namespace {

using test::MemoryFileSystem;
using namespace std::chrono_literals;
using Clock = JournalFollower::Clock;

std::string Stamp(int minute) {
  char text[40];
  std::snprintf(text, sizeof text, "%02d.11.2013 %02d:%02d:%02d", 20 + minute / 1440 % 8, minute / 60 % 24, minute % 60,
                minute * 7 % 60);
  return text;
}

std::string Title(JournalKind kind) {
  switch (kind) {
    case JournalKind::Action: return "U\tT\tA\tB\tC\tD";
    case JournalKind::Alarms: return "T\tG\tC\tN\tP\tM\tD";
    default: return "T\tG\tC\tN\tP\tPar\tO\tN";
  }
}

std::string Record(JournalKind kind, int minute, int n) {
  const std::string g = std::to_string(n % 3);
  switch (kind) {
    case JournalKind::Action: return "u" + g + "\t" + Stamp(minute) + "\ta\tb\tc\tact" + std::to_string(n);
    case JournalKind::Alarms:
      return Stamp(minute) + "\tG" + g + "\tc\tN\tP\t" + (n % 4 ? "Alarm" : "Norm") + "\td" + std::to_string(n);
    default: return Stamp(minute) + "\tG" + g + "\tc\tN\tP\tpar\t1\t" + std::to_string(n);
  }
}

// What the model knows of one journal: the files its rows come from since the last fresh open.
struct Segment {
  uint64_t file = 0;
  // Read by a fresh open: its first line gave the titles.
  bool opened = false;
  // A rotated file: read to its end once its unit has been quiet; a copy is read at once.
  Clock::time_point quietFrom{};
  // Read to its end: what it held then; what its unit writes to it later is not read.
  bool finished = false;
  std::string held = {};
};

struct Member {
  std::string path;
  std::vector<Segment> rotated;
  Segment live;
  // The unit: the file it writes to, what of its line waits, its records' clock.
  uint64_t writing = 0;
  std::string unwritten;
  int minute = 0;
  int switchIn = -1;  // steps until the unit writes to the new file; -1: it does
  bool titled = true; // the new file it switches to starts with a title line
  int recreateIn = -1;
  // The titles the last fresh open read, as a title line: those the journal keeps.
  std::string titleLine;
  // The last fresh open found no line of its file ended: it is opened again once one has.
  bool awaiting = false;
};

class FollowModel {
 public:
  FollowModel(JournalKind kind, int journals, uint32_t seed) : kind_(kind), random_(seed) {
    for (int j = 0; j < journals; ++j) {
      Member member;
      member.path = "/u/m" + std::to_string(j) + std::string(DescriptionOf(kind).extension);
      member.minute = 600 + 7 * j;
      member.writing = files_.Create(member.path);
      members_.push_back(member);
      Write(members_.back(), Title(kind_) + "\r\n" + Lines(members_.back(), 1 + j % 2));
    }
    FreshOpen();
  }

  // Plays `steps` random steps, checking the journal after each look.
  void Run(int steps) {
    for (int step = 0; step < steps && !gone_; ++step) {
      now_ += std::chrono::milliseconds(50 + random_() % 650);
      Member& member = members_[random_() % members_.size()];
      std::string what = Act(member);
      SCOPED_TRACE("step " + std::to_string(step) + ": " + what + " " + member.path);
      Look();
      Check();
      if (::testing::Test::HasFatalFailure()) return;
    }
  }

  int FreshOpens() const { return freshOpens_; }

 private:
  const KindDescription& Kind() const { return DescriptionOf(kind_); }

  std::string End() {
    const bool whole = Kind().lines == LineRule::WholeFile;
    const int pick = static_cast<int>(random_() % (whole ? 3 : 2));
    return pick == 0 ? "\r\n" : pick == 1 ? "\n" : "\r";
  }
  std::string Lines(Member& member, int count) {
    std::string text;
    for (int i = 0; i < count; ++i) {
      member.minute += static_cast<int>(random_() % 4);
      text += Record(kind_, member.minute, ++lines_) + End();
    }
    return text;
  }
  void Write(Member& member, const std::string& bytes) {
    if (bytes.empty()) return;
    files_.Append(member.writing, bytes);
    for (Segment& segment : member.rotated) {
      if (segment.file == member.writing && !segment.finished) segment.quietFrom = now_;
    }
  }
  // The unit's line waiting in pieces is written whole first.
  void Flush(Member& member) {
    Write(member, member.unwritten);
    member.unwritten.clear();
  }
  bool Draining(const Member& member) const { return !member.rotated.empty() && !member.rotated.back().finished; }
  // A whole first line has been read from the file the journal reads now: at the last look
  // no rotated file was still read before it.
  bool Readable(const Member& member) const {
    if (Draining(member)) return false;
    std::string bytes = files_.Bytes(member.live.file);
    std::string_view line;
    return member.live.opened ? !Whole(bytes).empty() : FirstLine(bytes, false, line) > 0;
  }

  std::string Act(Member& member) {
    const std::string ext(Kind().extension);
    // A unit that was to switch to a new file, or to make its removed file again.
    if (member.switchIn == 0) {
      Flush(member);
      member.writing = files_.FileAt(member.path);
      Write(member, (member.titled ? Title(kind_) + "\r\n" : "") + Lines(member, 1));
      member.switchIn = -1;
      return "the unit switches to the new file";
    }
    if (member.switchIn > 0) --member.switchIn;
    if (member.recreateIn == 0) {
      member.recreateIn = -1;
      member.writing = files_.Create(member.path);
      Write(member, Title(kind_) + "\r\n" + Lines(member, 2));
      Replaced(member);
      return "made again";
    }
    if (member.recreateIn > 0) {
      --member.recreateIn;
      Write(member, Lines(member, 1));
      return "written while removed";
    }
    const bool settled = member.switchIn < 0 && !Draining(member) && member.unwritten.empty() && !member.awaiting &&
                         files_.FileAt(member.path) == member.live.file && member.writing == member.live.file;
    switch (settled ? random_() % 12 : random_() % 2) {
      case 0:
      case 1: {
        Flush(member);
        Write(member, Lines(member, 1 + static_cast<int>(random_() % 3)));
        return "appended";
      }
      case 2: {
        std::string line = Lines(member, 1);
        const size_t cut = 1 + random_() % (line.size() - 1);
        Flush(member);
        Write(member, line.substr(0, cut));
        member.unwritten = line.substr(cut);
        return "a line in pieces";
      }
      case 3: {
        files_.Rename(member.path, member.path + "." + std::to_string(++rotations_));
        files_.Create(member.path);
        member.rotated.push_back({member.live.file, member.live.opened, now_});
        member.live = Segment{files_.FileAt(member.path), false, {}};
        member.switchIn = static_cast<int>(random_() % 4);
        member.titled = random_() % 5 != 0;
        return "renamed with a new file";
      }
      case 4: {
        if (!Readable(member)) return "nothing";
        const std::string copy = member.path + "." + std::to_string(++rotations_);
        files_.Write(copy, files_.Bytes(member.live.file));
        files_.Truncate(member.path, 0);
        member.rotated.push_back({files_.FileAt(copy), member.live.opened, now_ - 1h, true, files_.Bytes(files_.FileAt(copy))});
        member.live.opened = false;
        Write(member, Lines(member, static_cast<int>(random_() % 3)));
        return "copied and truncated";
      }
      case 5: {
        files_.Remove(member.path);
        member.recreateIn = random_() % 20 == 0 ? 12 : static_cast<int>(random_() % 3);
        return "removed";
      }
      case 6: {
        files_.Truncate(member.path, random_() % 2 == 0 ? 0 : files_.Bytes(member.live.file).size() / 2);
        Rewritten(member);
        return "cut short";
      }
      case 7: {
        files_.Write(member.path, (random_() % 3 ? Title(kind_) + "\r\n" : "") + Lines(member, 2));
        Rewritten(member);
        return "rewritten in place";
      }
      case 8: {
        Write(member, kind_ == JournalKind::Action ? "u\tyesterday\r\n" : "yesterday\tG\r\n");
        freshAllowed_ = true;
        return "a bad line";
      }
      case 9:
      case 10: {
        const std::string other = member.path + ".new";
        files_.Write(other, Title(kind_) + "\r\n" + Lines(member, 2));
        files_.Rename(other, member.path);
        member.writing = files_.FileAt(member.path);
        Replaced(member);
        return "replaced";
      }
      default: {
        Flush(member);
        Write(member, Lines(member, 1));
        return "appended";
      }
    }
  }

  // The file at the name is another one, or another text: the rows read of the file before go
  // (a journal of one file without rows of rotated files is opened afresh) and the new
  // file's lines are read; rows of rotated files stay.
  void Replaced(Member& member) {
    freshAllowed_ = true;
    member.live = Segment{files_.FileAt(member.path), false, {}};
  }
  void Rewritten(Member& member) {
    Replaced(member);
    member.unwritten.clear();
  }

  void FreshOpen() {
    std::vector<std::unique_ptr<JournalSource>> sources;
    std::vector<std::string> names;
    for (Member& member : members_) {
      auto source = std::make_unique<JournalSource>(member.path, files_);
      try {
        source->Open();
        source->LimitTo(JournalFollower::WholeLinesEnd(*source, kind_));
      } catch (const AppError&) {
      }
      sources.push_back(std::move(source));
      names.push_back(member.path.substr(3));
      member.rotated.clear();
      member.live = Segment{files_.FileAt(member.path), true, {}};
      member.awaiting = member.live.file != 0 && Whole(files_.Bytes(member.live.file)).empty();
    }
    error_.clear();
    journal_ = Journal();
    try {
      journal_ = Load(sources, names);
    } catch (const AppError& error) {
      error_ = error.Message();
    }
    if (follower_ == nullptr) {
      follower_ = std::make_unique<JournalFollower>(kind_, test::JournalRules(), std::move(sources), error_);
    } else {
      follower_->Restart(std::move(sources), error_);
    }
    failed_ = !error_.empty();
    for (Member& member : members_) member.titleLine = failed_ ? std::string() : test::Tabbed(journal_.titles) + "\r\n";
    reader_.Take();
    ++freshOpens_;
    // A journal that failed to open is opened again when its files change.
    freshAllowed_ = failed_;
    rows_ = Rows(journal_);
  }

  Journal Load(std::vector<std::unique_ptr<JournalSource>>& sources, const std::vector<std::string>& names) const {
    LoadOptions options;
    options.rules = test::JournalRules();
    options.threads = 1;
    if (sources.size() == 1) return LoadJournal(*sources.front(), kind_, options);
    SetSize size;
    return LoadJournalSet(sources, names, kind_, options, size);
  }

  void Look() {
    lastLook_ = now_;
    for (const Member& member : members_) freshAllowed_ = freshAllowed_ || member.awaiting;
    // A journal of several without records ranks last; its first records may rank it anew.
    if (journal_.Merged()) {
      std::vector<bool> holds(journal_.journalNames.size(), false);
      for (size_t i = 0; i < journal_.size(); ++i) holds[journal_.journalOf[i]] = true;
      for (bool any : holds) freshAllowed_ = freshAllowed_ || !any;
    }
    for (Member& member : members_) {
      for (Segment& segment : member.rotated) {
        if (segment.finished) continue;
        if (now_ - segment.quietFrom < JournalFollower::kQuietAfter) break;
        segment.finished = true;
        segment.held = files_.Bytes(segment.file);
      }
    }
    for (int again = 0; again < 100; ++again) {
      const JournalFollower::Outcome out = follower_->Look(now_, reader_);
      using What = JournalFollower::Outcome::What;
      if (out.what == What::FreshOpen) {
        EXPECT_TRUE(freshAllowed_) << "opened afresh after growth alone";
        FreshOpen();
        continue;
      }
      if (out.what == What::Failed) {
        failed_ = true;
        freshAllowed_ = true;
        journal_ = Journal();
        rows_.clear();
      }
      if (out.what == What::Gone) gone_ = true;
      CheckChange();
      if (!out.more) return;
    }
    ADD_FAILURE() << "the looks never end";
  }

  // The rows of a journal: each record's line, its journal's name, its list items' texts.
  std::vector<std::string> Rows(const Journal& journal) const {
    std::vector<std::string> rows;
    for (size_t i = 0; i < journal.size(); ++i) {
      std::string row(journal.Line(i));
      if (journal.Merged()) row.append("|").append(journal.journalNames[journal.journalOf[i]]);
      for (int l = 0; l < Kind().listCount; ++l) {
        row.append("|").append(journal.List(l)[journal.records.items[static_cast<size_t>(l)][i]]);
      }
      rows.push_back(row);
    }
    return rows;
  }

  // What the reader says changed takes the rows before the look to those after it.
  void CheckChange() {
    const FollowedJournal::Change change = reader_.Take();
    std::vector<std::string> now = Rows(journal_);
    if (!change.failed && !failed_) {
      size_t kept = 0;
      for (size_t i = 0; i < rows_.size(); ++i) {
        if (i < change.unchanged) {
          ASSERT_LT(i, now.size());
          EXPECT_EQ(now[i], rows_[i]);
          ++kept;
          continue;
        }
        ASSERT_FALSE(change.moved.empty()) << "record " << i << " moved, not told";
        const uint32_t to = change.moved[i - change.unchanged];
        if (to == kGoneRecord) continue;
        ASSERT_LT(to, now.size());
        EXPECT_EQ(now[to], rows_[i]);
        ++kept;
      }
      EXPECT_EQ(now.size(), kept + change.added);
    }
    rows_ = std::move(now);
  }

  // Where the first line of `bytes` ends (0: not ended), as the follower reads a new file.
  size_t FirstLine(std::string& bytes, bool final, std::string_view& line) const {
    char* begin = bytes.data();
    char* end = begin + bytes.size();
    if (Kind().lines == LineRule::WholeFile) {
      WholeFileLines lines(begin, end);
      if (!lines.Next(line) || (lines.Cut() && !final)) return 0;
      return static_cast<size_t>(lines.Position() - begin);
    }
    const char* lineEnd = TextLineEnd(begin, end);
    if (lineEnd == end && (!final || begin == end)) return 0;
    const size_t after = lineEnd == end ? bytes.size() : static_cast<size_t>(lineEnd - begin) + 1;
    TextLines(begin, begin + after).Next(line);
    return after;
  }

  // The bytes up to the last line end: what of a file being written is read.
  std::string Whole(const std::string& bytes) const {
    const bool whole = Kind().lines == LineRule::WholeFile;
    for (size_t i = bytes.size(); i-- > 0;) {
      if (bytes[i] == '\n' || (whole && bytes[i] == '\r')) return bytes.substr(0, i + 1);
    }
    return {};
  }

  // What a file adds to its journal's text: whole when a fresh open read it; else its lines
  // after a title line, or all of them when the first is a record.
  std::string Part(const Segment& segment, bool final) const {
    if (segment.file == 0) return {};
    std::string all = segment.finished ? segment.held : files_.Bytes(segment.file);
    const std::string bytes = final ? all : Whole(all);
    if (segment.opened) return bytes;
    // The first line is told by all that the file holds, its lines by those that are whole.
    std::string_view line;
    const size_t end = FirstLine(all, final, line);
    if (end == 0) return {};
    TDateTime moment = 0;
    const bool record = TryStrToDateTime(FieldOfLine(Kind(), line, Kind().dateTimeField), test::JournalRules(), moment);
    return record ? bytes : bytes.substr(std::min(end, bytes.size()));
  }

  // The journal's text as the model has it, a file for each journal; one that no fresh open
  // read keeps the titles it had.
  std::string Expected(const Member& member) const {
    const bool opened = member.rotated.empty() ? member.live.opened : member.rotated.front().opened;
    std::string text = opened ? "" : member.titleLine.empty() ? Title(kind_) + "\r\n" : member.titleLine;
    auto add = [&](const std::string& part) {
      if (part.empty()) return;
      const bool open = !text.empty() && text.back() != '\n' && (Kind().lines == LineRule::Text || text.back() != '\r');
      if (open) text += '\n';
      text += part;
    };
    for (const Segment& segment : member.rotated) {
      add(Part(segment, segment.finished));
      if (!segment.finished) return text;
    }
    add(Part(member.live, false));
    return text;
  }

  // A fresh open of the files: through `files`, each read to its last line end.
  std::string FreshError(MemoryFileSystem& files) const {
    std::vector<std::unique_ptr<JournalSource>> sources;
    std::vector<std::string> names;
    for (const Member& member : members_) {
      sources.push_back(std::make_unique<JournalSource>(member.path, files));
      names.push_back(member.path.substr(3));
    }
    try {
      Load(sources, names);
    } catch (const AppError& error) {
      return error.Message();
    }
    return {};
  }

  void Check() {
    if (failed_) {
      // Failed: so does a fresh open of the files as they stand.
      MemoryFileSystem whole;
      for (const Member& member : members_) {
        if (const uint64_t file = files_.FileAt(member.path)) whole.Write(member.path, Whole(files_.Bytes(file)));
      }
      EXPECT_NE(FreshError(whole), "") << "failed, but a fresh open reads the files";
      return;
    }
    MemoryFileSystem expected;
    for (const Member& member : members_) expected.Write(member.path, Expected(member));
    std::vector<std::unique_ptr<JournalSource>> sources;
    std::vector<std::string> names;
    for (const Member& member : members_) {
      sources.push_back(std::make_unique<JournalSource>(member.path, expected));
      names.push_back(member.path.substr(3));
    }
    Journal want;
    try {
      want = Load(sources, names);
    } catch (const AppError& error) {
      FAIL() << "shows rows, but the rows it should show do not read: " << error.Message();
    }
    ASSERT_EQ(rows_, Rows(want));
  }

  JournalKind kind_;
  std::mt19937 random_;
  MemoryFileSystem files_;
  std::vector<Member> members_;
  Clock::time_point now_{};
  Clock::time_point lastLook_{};
  Journal journal_;
  FollowedJournal reader_{journal_, test::JournalRules()};
  std::unique_ptr<JournalFollower> follower_;
  std::vector<std::string> rows_;
  std::string error_;
  bool failed_ = false;
  bool gone_ = false;
  bool freshAllowed_ = false;
  int freshOpens_ = 0;
  int lines_ = 0;
  int rotations_ = 0;
};

TEST(FollowerModel, EveryKindAloneAndAsASetOfThreeShowsAFreshOpenPlusTheRotatedRows) {
  for (JournalKind kind : {JournalKind::Alarms, JournalKind::Action, JournalKind::Param, JournalKind::Stat}) {
    for (int journals : {1, 3}) {
      for (uint32_t seed = 1; seed <= 25; ++seed) {
        SCOPED_TRACE(std::string(DescriptionOf(kind).extension) + " x" + std::to_string(journals) + ", seed " +
                     std::to_string(seed));
        FollowModel model(kind, journals, seed);
        model.Run(80);
        if (::testing::Test::HasFatalFailure()) return;
      }
    }
  }
}

}  // namespace
}  // namespace vantorel
