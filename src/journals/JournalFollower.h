#pragma once
// A journal followed as its unit writes it, one file or several read as one: at each look the
// follower tells its reader what the files gained since the last one. Its rule: the rows a
// reader holds are those a fresh open of the files as they stand would show, plus the rows of
// a rotated file read to its end; a failed reading is told once and the following goes on;
// only a journal gone for a while ends it.
#include <chrono>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "datetime/RegionalSettings.h"
#include "journals/FollowReader.h"
#include "journals/JournalKinds.h"
#include "journals/JournalSource.h"

namespace vantorel {

class JournalFollower {
 public:
  using Clock = std::chrono::steady_clock;
  // A name that names no file for this long is gone; a rotation's gap is shorter.
  static constexpr Clock::duration kGoneAfter = std::chrono::seconds(5);
  // A rotated file is read until its unit has not written to it for this long; the file that
  // took its name is read from then on.
  static constexpr Clock::duration kQuietAfter = std::chrono::seconds(1);
  // The most bytes one look hands over; the rest waits for the next look.
  static constexpr size_t kLookBytes = size_t{16} << 20;

  struct Outcome {
    enum class What {
      Nothing,    // nothing new
      Read,       // the reader was given bytes, or lost a journal's records
      FreshOpen,  // the journal is to be opened afresh: then Restart
      Failed,     // the reader could not read what came: it shows no records
      Gone,       // a journal's name has named no file for kGoneAfter: the following ends
    };
    What what = What::Nothing;
    // Failed: the reading's error when it was not told before; empty when it was.
    std::string error;
    // Gone: the journal's path.
    std::string path;
    // More bytes wait than one look hands over: look again soon.
    bool more = false;
  };

  // Follows the files of `sources` as journals of `kind`: journal j of the reader is
  // sources[j]'s file, read (and open, if it could be) to where a load stopped. `error`: the
  // load failed with it (told), and the journal is opened afresh once a file changes.
  JournalFollower(JournalKind kind, const DateTimeRules& rules, std::vector<std::unique_ptr<JournalSource>> sources,
                  const std::string& error = {});

  // Looks at the files at `now` by the caller's clock and tells `reader` what they gained.
  // Any one thread, the reader's.
  Outcome Look(Clock::time_point now, FollowReader& reader);
  // After the caller opened the journal afresh: its sources as the load left them, and its
  // error (empty when it loaded). True when that error is to be told: it was not the last
  // one told.
  bool Restart(std::vector<std::unique_ptr<JournalSource>> sources, const std::string& error);
  // The journal could not be read at the last look or opening.
  bool Failed() const { return failed_; }
  size_t Journals() const { return members_.size(); }
  const std::string& Path(size_t journal) const { return members_[journal].path; }

  // Where the whole lines of `source`'s file end by `kind`'s line rule (after the last line
  // end): a load that stops there reads no line its unit is still writing. 0 without a line end.
  static uint64_t WholeLinesEnd(const JournalSource& source, JournalKind kind);

 private:
  struct File {
    std::unique_ptr<JournalSource> source;
    // Not read yet: its first line, once whole, tells a title line from a record.
    bool firstLinePending = false;
    // When its unit last wrote to it, for a rotated file.
    Clock::time_point quietSince{};
  };
  struct Member {
    std::string path;
    File current;
    // Rotated files not yet read to their end, oldest first.
    std::deque<File> rotated;
    // The current file was rewritten: a title line in it asks for a fresh open, unless rows
    // of rotated files were read, which that would lose.
    bool rewritten = false;
    bool drained = false;
    int64_t modifiedNs = 0;
    bool missing = false;
    bool goneTold = false;
    Clock::time_point missingSince{};
    // Whether the file held a whole line when the journal failed to open.
    bool wholeAtFailure = false;
    // The journal was opened before a line of the file had ended.
    bool awaitingLine = false;
    // A compressed file, rotated long ago: it does not grow and is not looked at.
    bool still = false;
  };

  // One journal's look; false when `out` ends the look.
  bool LookAt(size_t j, Clock::time_point now, FollowReader& reader, size_t& budget, Outcome& out);
  // A look while the journal has failed: whether a file changed so that it may open now.
  Outcome LookWhileFailed(Clock::time_point now);
  // Hands `file`'s new bytes to the reader; false when `out` ends the look. `got`: bytes given.
  // A `final` file gains no more bytes: its first line is whole as it stands.
  bool Feed(size_t j, File& file, FollowReader& reader, size_t& budget, Outcome& out, size_t& got,
            bool final = false);
  // Takes what the reader made of bytes, of a `rotated` file's or not; false when that ends
  // the look.
  bool Took(const FollowRead& read, FollowReader& reader, Outcome& out, bool rotated = false);
  // The file of the journal's folder that holds what was read of `member`'s file, copied
  // before the file was emptied in place; null when none does.
  std::unique_ptr<JournalSource> CopyOf(const Member& member) const;
  bool IsRecordLine(std::string_view line) const;
  void Adopt(std::vector<std::unique_ptr<JournalSource>> sources);

  const KindDescription* kind_;
  DateTimeRules rules_;
  FileSystem* files_ = &SystemFiles();
  std::vector<Member> members_;
  bool failed_ = false;
  // A reading failed: the next look opens the journal afresh.
  bool openAfresh_ = false;
  // The last error told; a failure with the same error is not told again.
  std::string told_;
  // Where a look reads the files' new bytes.
  std::string piece_;
};

}  // namespace vantorel
