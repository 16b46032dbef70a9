#include "journals/JournalStream.h"

#include <algorithm>
#include <cstring>

#include "journals/HeaderRow.h"
#include "journals/LineReaders.h"

namespace vantorel {
namespace {

constexpr size_t kPiece = size_t{1} << 20;

}  // namespace

JournalStream::JournalStream(JournalSource& source, const KindDescription& kind) : source_(source), kind_(kind) {
  buffer_.resize(kPiece);
}

void JournalStream::Restart(bool untitled) {
  ++changes_;
  pos_ = filled_ = 0;
  eof_ = final_ = ended_ = false;
  stopAt_ = UINT64_MAX;
  wholeLines_ = nulLine_ = 0;
  checked_ = false;
  titled_ = hasLines_ = untitled;
  if (!untitled) titles_.clear();
}

bool JournalStream::ReadTitles() {
  if (titled_) return true;
  // The title line is read by the text rule: up to its line feed or a Ctrl-Z.
  // `looked` counts from where reading stands, which a Fill may move.
  const bool wholeFile = kind_.lines == LineRule::WholeFile;
  for (size_t looked = 0;;) {
    const char* from = buffer_.data() + pos_ + looked;
    const char* held = buffer_.data() + filled_;
    if ((wholeFile ? WholeFileTitleEnd(from, held) : TextLineEnd(from, held)) != held) break;
    looked = filled_ - pos_;
    if (Fill()) continue;
    if (Waiting()) return false;
    break;
  }
  std::string_view head(buffer_.data() + pos_, filled_ - pos_);
  // The whole text ends at a NUL, the title line's too.
  if (wholeFile) head = head.substr(0, head.find('\0'));
  titles_ = HeaderTitles(FirstTextLine(head));
  titled_ = true;
  std::string_view title;
  hasLines_ = Next(title);
  return true;
}

void JournalStream::MakeRoom() {
  ++changes_;
  if (pos_ > 0) {
    std::memmove(buffer_.data(), buffer_.data() + pos_, filled_ - pos_);
    filled_ -= pos_;
    pos_ = 0;
  }
  if (filled_ == buffer_.size()) buffer_.resize(buffer_.size() * 2);
}

bool JournalStream::Fill() {
  if (eof_ || feedOnly_) {
    eof_ = true;
    return false;
  }
  MakeRoom();
  size_t room = buffer_.size() - filled_;
  if (stopAt_ != UINT64_MAX) room = static_cast<size_t>(std::min<uint64_t>(room, stopAt_ - std::min(stopAt_, source_.Offset())));
  const size_t got = room == 0 ? 0 : source_.Read(buffer_.data() + filled_, room);
  if (got == 0) {
    eof_ = true;
    return false;
  }
  filled_ += got;
  ++changes_;
  return true;
}

bool JournalStream::Resume(std::string_view added) {
  if (ended_) return false;
  // The source has handed over all it held: nothing more is pulled until the next look.
  eof_ = true;
  while (!added.empty()) {
    MakeRoom();
    const size_t n = std::min(added.size(), buffer_.size() - filled_);
    std::memcpy(buffer_.data() + filled_, added.data(), n);
    filled_ += n;
    ++changes_;
    added.remove_prefix(n);
  }
  return true;
}

bool JournalStream::Next(std::string_view& line) {
  if (NextLine(line)) return true;
  // The end of a reading of a file not followed: its lines were of one state of the file.
  if (!waitForLineEnds_ && !checked_) {
    checked_ = true;
    source_.CheckUnchanged();
  }
  return false;
}

bool JournalStream::NextLine(std::string_view& line) {
  for (;;) {
    if (ended_) return false;
    if (pos_ == filled_ && !eof_) {
      Fill();
      continue;
    }
    char* begin = buffer_.data() + pos_;
    char* stop = buffer_.data() + filled_;
    if (kind_.lines == LineRule::WholeFile) {
      WholeFileLines lines(begin, stop);
      const bool any = lines.Next(line);
      // A line that runs to the end of what is held may go on in what is not read yet.
      if (lines.Cut() && !eof_) {
        Fill();
        continue;
      }
      if (lines.Cut() && Waiting()) return false;
      pos_ = static_cast<size_t>(lines.Position() - buffer_.data());
      if (any) ++wholeLines_;
      if (lines.AtNul()) {
        ended_ = true;
        nulLine_ = any ? wholeLines_ : wholeLines_ + 1;
      }
      return any;
    }
    // A text line is found whole before it is read, since reading it drops its CRs in place.
    const char* lineEnd = TextLineEnd(begin, stop);
    if (lineEnd == stop && !eof_) {
      Fill();
      continue;
    }
    if (lineEnd == stop && Waiting()) return false;
    char* end = lineEnd == stop ? stop : buffer_.data() + (lineEnd - buffer_.data()) + 1;
    TextLines lines(begin, end);
    const bool any = lines.Next(line);
    pos_ = static_cast<size_t>(end - buffer_.data());
    if (end > begin && end[-1] == '\x1A') ended_ = true;
    return any;
  }
}

}  // namespace vantorel
