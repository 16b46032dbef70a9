#include "journals/JournalFollower.h"

#include <algorithm>

#include "datetime/DateTimeParse.h"
#include "journals/Extension.h"
#include "journals/Journal.h"
#include "journals/LineReaders.h"
#include "uStrUtils/AppError.h"

namespace vantorel {
namespace {

constexpr size_t kPiece = size_t{1} << 20;
// How much of a file's start is looked at for its first line.
constexpr size_t kFirstLineLook = size_t{1} << 20;

// Where the first line of `bytes` ends by `kind`'s line rule (past its line end), and the
// line; 0 while the line has not ended. The bytes of a `final` file end its last line.
size_t FirstLineEnd(const KindDescription& kind, std::string& bytes, bool final, std::string_view& line) {
  char* begin = bytes.data();
  char* end = begin + bytes.size();
  if (kind.lines == LineRule::WholeFile) {
    WholeFileLines lines(begin, end);
    if (!lines.Next(line) || (lines.Cut() && !final)) return 0;
    return static_cast<size_t>(lines.Position() - begin);
  }
  const char* lineEnd = TextLineEnd(begin, end);
  if (lineEnd == end && (!final || begin == end)) return 0;
  const size_t after = lineEnd == end ? bytes.size() : static_cast<size_t>(lineEnd - begin) + 1;
  // Text lines drop their CRs in place: the copy is read, not the file.
  TextLines lines(begin, begin + after);
  lines.Next(line);
  return after;
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

bool Compressed(std::string_view name) {
  for (std::string_view suffix : {".gz", ".xz", ".zst", ".bz2"}) {
    if (name.size() > suffix.size() && name.substr(name.size() - suffix.size()) == suffix) return true;
  }
  return false;
}

}  // namespace

JournalFollower::JournalFollower(JournalKind kind, const DateTimeRules& rules,
                                 std::vector<std::unique_ptr<JournalSource>> sources, const std::string& error)
    : kind_(&DescriptionOf(kind)), rules_(rules) {
  Restart(std::move(sources), error);
}

void JournalFollower::Adopt(std::vector<std::unique_ptr<JournalSource>> sources) {
  members_.clear();
  if (!sources.empty()) files_ = &sources.front()->Files();
  for (std::unique_ptr<JournalSource>& source : sources) {
    Member member;
    member.path = source->Path();
    source->Unlimit();
    member.modifiedNs = source->Opened().modifiedNs;
    member.still = source->Compressed();
    // Nothing was read: not even a title line had ended.
    member.awaitingLine = source->IsOpen() && source->Offset() == 0;
    if (!source->IsOpen()) source.reset();
    member.current.source = std::move(source);
    members_.push_back(std::move(member));
  }
}

bool JournalFollower::Restart(std::vector<std::unique_ptr<JournalSource>> sources, const std::string& error) {
  Adopt(std::move(sources));
  openAfresh_ = false;
  failed_ = !error.empty();
  if (!failed_) {
    told_.clear();
    return false;
  }
  for (Member& member : members_) {
    member.wholeAtFailure = member.current.source != nullptr && WholeLinesEnd(*member.current.source, kind_->kind) > 0;
  }
  const bool tell = error != told_;
  told_ = error;
  return tell;
}

uint64_t JournalFollower::WholeLinesEnd(const JournalSource& source, JournalKind kind) {
  const bool whole = DescriptionOf(kind).lines == LineRule::WholeFile;
  FileStatus status;
  if (!const_cast<JournalSource&>(source).Look(status)) return 0;
  uint64_t end = status.size;
  while (end > 0) {
    const uint64_t from = end > 65536 ? end - 65536 : 0;
    const std::string piece = source.Peek(static_cast<size_t>(end - from), from);
    if (piece.size() != end - from) return 0;
    for (size_t i = piece.size(); i-- > 0;) {
      const char c = piece[i];
      if (c == '\n' || (whole && c == '\r') || (!whole && c == '\x1A')) return from + i + 1;
    }
    end = from;
  }
  return 0;
}

bool JournalFollower::IsRecordLine(std::string_view line) const {
  TDateTime moment = 0;
  return TryStrToDateTime(FieldOfLine(*kind_, line, kind_->dateTimeField), rules_, moment);
}

JournalFollower::Outcome JournalFollower::Look(Clock::time_point now, FollowReader& reader) {
  if (failed_) return LookWhileFailed(now);
  Outcome out;
  size_t budget = kLookBytes;
  for (size_t j = 0; j < members_.size(); ++j) {
    if (!LookAt(j, now, reader, budget, out)) return out;
  }
  return out;
}

JournalFollower::Outcome JournalFollower::LookWhileFailed(Clock::time_point now) {
  Outcome out;
  if (openAfresh_) {
    openAfresh_ = false;
    out.what = Outcome::What::FreshOpen;
    return out;
  }
  for (Member& member : members_) {
    if (member.still) continue;
    FileStatus at;
    JournalSource* source = member.current.source.get();
    const bool present = files_->Status(member.path, at) && at.type == FileStatus::Type::Regular;
    if (!present) {
      if (!member.missing) {
        member.missing = true;
        member.missingSince = now;
      }
      if (!member.goneTold && now - member.missingSince >= kGoneAfter) {
        member.goneTold = true;
        out.what = Outcome::What::Gone;
        out.path = member.path;
        return out;
      }
      continue;
    }
    member.missing = member.goneTold = false;
    FileStatus held;
    const bool changed = source == nullptr || !at.SameFile(source->Opened()) || !source->Look(held) ||
                         held.size < source->Offset() ||
                         (held.modifiedNs != member.modifiedNs && !source->StillAsRead()) ||
                         (!member.wholeAtFailure && WholeLinesEnd(*source, kind_->kind) > 0);
    if (source != nullptr) member.modifiedNs = held.modifiedNs;
    if (changed) {
      out.what = Outcome::What::FreshOpen;
      return out;
    }
  }
  return out;
}

bool JournalFollower::Took(const FollowRead& read, FollowReader& reader, Outcome& out, bool rotated) {
  if (read.freshOpen) {
    out.what = Outcome::What::FreshOpen;
    return false;
  }
  if (read.error.empty()) return true;
  failed_ = true;
  reader.Fail(read.error);
  for (Member& member : members_) member.wholeAtFailure = true;
  // A bad line of a rotated file is one a fresh open does not read: the journal is opened
  // afresh at once. One of a file at its name waits for the file to change.
  openAfresh_ = rotated;
  out.more = rotated;
  out.what = Outcome::What::Failed;
  if (read.error != told_) out.error = read.error;
  told_ = read.error;
  return false;
}

bool JournalFollower::Feed(size_t j, File& file, FollowReader& reader, size_t& budget, Outcome& out, size_t& got,
                           bool final) {
  got = 0;
  if (file.source == nullptr) return true;
  JournalSource& source = *file.source;
  if (file.firstLinePending) {
    std::string head = source.Peek(kFirstLineLook);
    std::string_view line;
    const size_t end = FirstLineEnd(*kind_, head, final, line);
    if (end == 0) return true;
    if (!IsRecordLine(line)) {
      // A title line: a journal of one file that was rewritten with one is a new journal.
      const Member& member = members_[j];
      if (&file == &member.current && member.rewritten && members_.size() == 1 && !member.drained) {
        out.what = Outcome::What::FreshOpen;
        return false;
      }
      // Skipped: the journal keeps the titles it has.
      std::string skipped(end, '\0');
      size_t done = 0;
      while (done < end) {
        const size_t n = source.Read(skipped.data() + done, end - done);
        if (n == 0) break;
        done += n;
      }
    }
    file.firstLinePending = false;
    if (out.what == Outcome::What::Nothing) out.what = Outcome::What::Read;
  }
  // One buffer serves every look: its pages are touched once.
  if (piece_.size() < kPiece) piece_.resize(kPiece);
  while (budget > 0) {
    const size_t n = source.Read(piece_.data(), std::min(kPiece, budget));
    if (n == 0) break;
    budget -= n;
    got += n;
    out.what = Outcome::What::Read;
    const bool rotated = &file != &members_[j].current;
    if (!Took(reader.Append(j, std::string_view(piece_.data(), n)), reader, out, rotated)) return false;
  }
  if (budget == 0) out.more = true;
  return true;
}

std::unique_ptr<JournalSource> JournalFollower::CopyOf(const Member& member) const {
  const JournalSource& held = *member.current.source;
  const std::string folder = FolderOf(member.path);
  const std::string name(FileNameOf(member.path));
  std::unique_ptr<JournalSource> best;
  int64_t bestModified = 0;
  for (const std::string& other : files_->Names(folder.empty() ? "." : folder)) {
    if (other.size() <= name.size() + 1 || other.compare(0, name.size(), name) != 0) continue;
    if ((other[name.size()] != '.' && other[name.size()] != '-') || Compressed(other)) continue;
    auto copy = std::make_unique<JournalSource>(folder + other, *files_);
    try {
      copy->Open();
    } catch (const AppError&) {
      continue;
    }
    // The copy was made after the file was last looked at; older rotated files may begin
    // as it does.
    const FileStatus& status = copy->Opened();
    if (status.size < held.Offset() || status.SameFile(held.Opened()) || status.modifiedNs < member.modifiedNs) continue;
    if (best != nullptr && status.modifiedNs <= bestModified) continue;
    if (!held.HoldsWhatWasRead(*copy)) continue;
    bestModified = status.modifiedNs;
    best = std::move(copy);
  }
  // Read on from where the journal was read to.
  if (best != nullptr) best->SkipTo(held.Offset());
  return best;
}

bool JournalFollower::LookAt(size_t j, Clock::time_point now, FollowReader& reader, size_t& budget, Outcome& out) {
  Member& member = members_[j];
  if (member.still) return true;
  // Rotated files first, each read until its unit has been quiet for a while.
  while (!member.rotated.empty()) {
    File& file = member.rotated.front();
    size_t got = 0;
    if (!Feed(j, file, reader, budget, out, got)) return false;
    if (got > 0) file.quietSince = now;
    if (budget == 0 || now - file.quietSince < kQuietAfter) return true;
    // Its first line is what it is now, ended or not.
    if (file.firstLinePending && !Feed(j, file, reader, budget, out, got, true)) return false;
    member.rotated.pop_front();
    member.drained = true;
    if (!Took(reader.NextFile(j), reader, out, true)) return false;
    out.what = Outcome::What::Read;
  }
  if (member.current.source == nullptr) return true;
  JournalSource& source = *member.current.source;
  // A journal opened before its title line ended is opened again once a line has.
  if (member.awaitingLine) {
    if (WholeLinesEnd(source, kind_->kind) == 0) return true;
    out.what = Outcome::What::FreshOpen;
    return false;
  }
  FileStatus at;
  const bool present = files_->Status(member.path, at) && at.type == FileStatus::Type::Regular;
  size_t got = 0;
  if (!present) {
    if (!member.missing) {
      member.missing = true;
      member.missingSince = now;
    }
    // The unit may still write to the file it holds.
    if (!Feed(j, member.current, reader, budget, out, got)) return false;
    if (!member.goneTold && now - member.missingSince >= kGoneAfter) {
      member.goneTold = true;
      out.what = Outcome::What::Gone;
      out.path = member.path;
      return false;
    }
    return true;
  }
  member.missing = member.goneTold = false;
  if (!at.SameFile(source.Opened())) {
    auto next = std::make_unique<JournalSource>(member.path, *files_);
    try {
      next->Open();
    } catch (const AppError&) {
      return true;
    }
    FileStatus held;
    const bool removed = !source.Look(held) || held.links == 0;
    member.modifiedNs = next->Opened().modifiedNs;
    if (removed) {
      // The file read so far is gone: the name holds another journal.
      if (members_.size() == 1 && !member.drained) {
        out.what = Outcome::What::FreshOpen;
        return false;
      }
      if (!Feed(j, member.current, reader, budget, out, got)) return false;
      reader.Drop(j);
      out.what = Outcome::What::Read;
      member.current = File{std::move(next), true, now};
      member.rewritten = false;
    } else {
      // Rotated: read to its end first; the new file waits until then.
      member.rotated.push_back(std::move(member.current));
      member.rotated.back().quietSince = now;
      member.current = File{std::move(next), true, now};
      member.rewritten = false;
      return LookAt(j, now, reader, budget, out);
    }
  }
  FileStatus status;
  if (!member.current.source->Look(status)) return true;
  JournalSource& current = *member.current.source;
  if (status.size < current.Offset() || (status.modifiedNs != member.modifiedNs && !current.StillAsRead())) {
    out.what = Outcome::What::Read;
    if (std::unique_ptr<JournalSource> copy = CopyOf(member)) {
      // Copied and emptied in place (copytruncate): the copy holds the rest of what was
      // written before, and the file goes on with what came after.
      File rest{std::move(copy), false, now};
      size_t unlimited = ~size_t{0};
      if (!Feed(j, rest, reader, unlimited, out, got)) return false;
      member.drained = true;
      if (!Took(reader.NextFile(j), reader, out, true)) return false;
      member.rewritten = false;
    } else {
      reader.Drop(j);
      member.rewritten = true;
    }
    current.Rewind();
    member.current.firstLinePending = true;
  }
  member.modifiedNs = status.modifiedNs;
  return Feed(j, member.current, reader, budget, out, got);
}

}  // namespace vantorel
