#include "journals/JournalStream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "journals/FileBytes.h"
#include "journals/HeaderRow.h"
#include "journals/LineReaders.h"
#include "uStrUtils/AppError.h"

namespace vantorel {
namespace {

constexpr size_t kPiece = size_t{1} << 20;

[[noreturn]] void Fail(int err) { throw AppError(InOutErrorMessage(InOutCodeOfErrno(err))); }

}  // namespace

JournalStream::JournalStream(const std::string& path, const KindDescription& kind) : kind_(kind) {
  fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd_ < 0) Fail(errno);
  struct stat st {};
  if (::fstat(fd_, &st) != 0 || S_ISDIR(st.st_mode)) {
    const int err = S_ISDIR(st.st_mode) ? EISDIR : errno;
    ::close(fd_);
    fd_ = -1;
    Fail(err);
  }
  device_ = static_cast<uint64_t>(st.st_dev);
  inode_ = static_cast<uint64_t>(st.st_ino);
  buffer_.resize(kPiece);
  // The title line is read by the text rule: up to its line feed or a Ctrl-Z.
  for (size_t looked = 0;;) {
    const char* held = buffer_.data() + filled_;
    if (TextLineEnd(buffer_.data() + looked, held) != held) break;
    looked = filled_;
    if (!Fill()) break;
  }
  titles_ = HeaderTitles(FirstTextLine(std::string_view(buffer_.data(), filled_)));
  SkipTitleLine();
}

JournalStream::~JournalStream() {
  if (fd_ >= 0) ::close(fd_);
}

bool JournalStream::Fill() {
  if (eof_) return false;
  if (pos_ > 0) {
    std::memmove(buffer_.data(), buffer_.data() + pos_, filled_ - pos_);
    filled_ -= pos_;
    pos_ = 0;
  }
  if (filled_ == buffer_.size()) buffer_.resize(buffer_.size() * 2);
  for (;;) {
    const ssize_t got = ::read(fd_, buffer_.data() + filled_, buffer_.size() - filled_);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) Fail(errno);
    if (got == 0) {
      eof_ = true;
      return false;
    }
    filled_ += static_cast<size_t>(got);
    bytesRead_ += static_cast<uint64_t>(got);
    return true;
  }
}

bool JournalStream::Resume() {
  if (ended_) return false;
  eof_ = false;
  return true;
}

void JournalStream::SkipTitleLine() {
  std::string_view title;
  hasLines_ = Next(title);
}

bool JournalStream::Next(std::string_view& line) {
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
      if (lines.Cut() && waitForLineEnds_) return false;
      pos_ = static_cast<size_t>(lines.Position() - buffer_.data());
      if (lines.AtNul()) ended_ = true;
      return any;
    }
    // A text line is found whole before it is read, since reading it drops its CRs in place.
    const char* lineEnd = TextLineEnd(begin, stop);
    if (lineEnd == stop && !eof_) {
      Fill();
      continue;
    }
    if (lineEnd == stop && waitForLineEnds_) return false;
    char* end = lineEnd == stop ? stop : buffer_.data() + (lineEnd - buffer_.data()) + 1;
    TextLines lines(begin, end);
    const bool any = lines.Next(line);
    pos_ = static_cast<size_t>(end - buffer_.data());
    if (end > begin && end[-1] == '\x1A') ended_ = true;
    return any;
  }
}

}  // namespace vantorel
