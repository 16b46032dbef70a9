#include "journals/JournalSource.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string_view>

#include "journals/Extension.h"
#include "uStrUtils/AppError.h"
#include "uStrUtils/Cp1251.h"
#include "uStrUtils/NameText.h"

namespace vantorel {
namespace {

// How many of the first and of the last bytes read are kept to recognise the file by.
constexpr size_t kKept = 4096;

[[noreturn]] void Fail(const std::string& path, int err, ReadErrorStyle style) {
  if (style == ReadErrorStyle::TextFile) throw AppError(InOutErrorMessage(InOutCodeOfErrno(err)));
  throw AppError("Cannot open file \"" + NameText(path) + "\". " + Utf8ToCp1251(std::strerror(err)));
}

[[noreturn]] void NotRegular(const std::string& path) {
  throw AppError("'" + NameText(FileNameOf(path)) + "' is not a regular file");
}

int64_t ModifiedNs(const struct stat& st) {
  return static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

constexpr int kNotRegular = -2;

// Opens `path` without blocking on a FIFO with no writer: the descriptor; -1 with errno set
// (a directory: EISDIR); kNotRegular for anything else that is not a regular file.
int OpenRegular(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return -1;
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    const int err = errno;
    ::close(fd);
    errno = err;
    return -1;
  }
  if (S_ISREG(st.st_mode)) {
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
  }
  ::close(fd);
  if (!S_ISDIR(st.st_mode)) return kNotRegular;
  errno = EISDIR;
  return -1;
}

bool ReadAt(int fd, uint64_t offset, size_t size, std::string& out) {
  out.resize(size);
  size_t done = 0;
  while (done < size) {
    const ssize_t got = ::pread(fd, out.data() + done, size - done, static_cast<off_t>(offset + done));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    done += static_cast<size_t>(got);
  }
  return true;
}

}  // namespace

int InOutCodeOfErrno(int err) {
  switch (err) {
    case ENOENT:
    case ENOTDIR:
      return 2;
    case ENAMETOOLONG:
    case EINVAL:
      return 3;
    case EMFILE:
    case ENFILE:
      return 4;
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS:
      return 5;
    case ENOSPC:
      return 101;
    default:
      return err;
  }
}

std::string InOutErrorMessage(int code) {
  switch (code) {
    case 2:
      return "File not found";
    case 3:
      return "Invalid filename";
    case 4:
      return "Too many open files";
    case 5:
      return "File access denied";
    case 100:
      return "Read beyond end of file";
    case 101:
      return "Disk full";
    case 106:
      return "Invalid numeric input";
    default:
      return "I/O error " + std::to_string(code);
  }
}

JournalSource::~JournalSource() { Close(); }

JournalSource::JournalSource(JournalSource&& other) noexcept { *this = std::move(other); }

JournalSource& JournalSource::operator=(JournalSource&& other) noexcept {
  if (this == &other) return *this;
  Close();
  path_ = std::move(other.path_);
  fd_ = other.fd_;
  other.fd_ = -1;
  style_ = other.style_;
  device_ = other.device_;
  inode_ = other.inode_;
  size_ = other.size_;
  modifiedNs_ = other.modifiedNs_;
  offset_ = other.offset_;
  head_ = std::move(other.head_);
  tail_ = std::move(other.tail_);
  missing_ = other.missing_;
  goneTold_ = other.goneTold_;
  missingSince_ = other.missingSince_;
  return *this;
}

void JournalSource::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

void JournalSource::Forget() {
  offset_ = 0;
  head_.clear();
  tail_.clear();
}

void JournalSource::Open(ReadErrorStyle style) {
  Close();
  Forget();
  style_ = style;
  missing_ = goneTold_ = false;
  // A FIFO is refused before it is opened: opening one to read waits for a writer.
  struct stat st {};
  if (::stat(path_.c_str(), &st) == 0 && !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode)) NotRegular(path_);
  const int fd = OpenRegular(path_);
  if (fd == kNotRegular) NotRegular(path_);
  if (fd < 0) Fail(path_, errno, style);
  fd_ = fd;
  ::fstat(fd_, &st);
  device_ = static_cast<uint64_t>(st.st_dev);
  inode_ = static_cast<uint64_t>(st.st_ino);
  size_ = static_cast<uint64_t>(st.st_size);
  modifiedNs_ = ModifiedNs(st);
}

size_t JournalSource::Read(char* into, size_t size) {
  for (;;) {
    const ssize_t got = ::read(fd_, into, size);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) Fail(path_, errno, style_);
    const auto n = static_cast<size_t>(got);
    const std::string_view bytes(into, n);
    if (head_.size() < kKept) head_.append(bytes.substr(0, kKept - head_.size()));
    if (n >= kKept) {
      tail_.assign(bytes.substr(n - kKept));
    } else {
      tail_.append(bytes);
      if (tail_.size() > kKept) tail_.erase(0, tail_.size() - kKept);
    }
    offset_ += n;
    return n;
  }
}

std::string JournalSource::Peek(size_t size) const {
  std::string bytes(size, '\0');
  size_t done = 0;
  while (fd_ >= 0 && done < size) {
    const ssize_t got = ::pread(fd_, bytes.data() + done, size - done, static_cast<off_t>(done));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    done += static_cast<size_t>(got);
  }
  bytes.resize(done);
  return bytes;
}

void JournalSource::Rewind() {
  Forget();
  ::lseek(fd_, 0, SEEK_SET);
}

void JournalSource::Drain(std::string& out) {
  if (fd_ < 0) return;
  char piece[65536];
  while (const size_t got = Read(piece, sizeof piece)) out.append(piece, got);
}

void JournalSource::CheckUnchanged() const {
  struct stat st {};
  if (fd_ < 0 || ::fstat(fd_, &st) != 0) return;
  if (static_cast<uint64_t>(st.st_size) == size_ && ModifiedNs(st) == modifiedNs_) return;
  // Written to while it was read: fine when it only grew after what was read.
  if (static_cast<uint64_t>(st.st_size) >= offset_ && StillAsRead()) return;
  throw AppError("'" + NameText(FileNameOf(path_)) + "' changed while it was read");
}

bool JournalSource::StillAsRead() const {
  std::string now;
  if (!ReadAt(fd_, 0, head_.size(), now) || now != head_) return false;
  return ReadAt(fd_, offset_ - tail_.size(), tail_.size(), now) && now == tail_;
}

SourceChange JournalSource::Look(Clock::time_point now, std::string& added) {
  added.clear();
  struct stat at {};
  const bool present = ::stat(path_.c_str(), &at) == 0 && S_ISREG(at.st_mode);
  if (!present) {
    // The writer may still append to the file it holds open: what it wrote is still read.
    Drain(added);
    if (!missing_) {
      missing_ = true;
      missingSince_ = now;
    }
    if (!added.empty()) return SourceChange::Grew;
    if (!goneTold_ && now - missingSince_ >= kGoneAfter) {
      goneTold_ = true;
      return SourceChange::Gone;
    }
    return SourceChange::Same;
  }
  missing_ = goneTold_ = false;
  if (fd_ < 0 || static_cast<uint64_t>(at.st_dev) != device_ || static_cast<uint64_t>(at.st_ino) != inode_) {
    const int fd = OpenRegular(path_);
    if (fd < 0) return SourceChange::Same;
    Drain(added);
    Close();
    Forget();
    fd_ = fd;
    struct stat st {};
    ::fstat(fd_, &st);
    device_ = static_cast<uint64_t>(st.st_dev);
    inode_ = static_cast<uint64_t>(st.st_ino);
    size_ = static_cast<uint64_t>(st.st_size);
    modifiedNs_ = ModifiedNs(st);
    return SourceChange::Rotated;
  }
  struct stat st {};
  if (::fstat(fd_, &st) != 0) return SourceChange::Same;
  const auto size = static_cast<uint64_t>(st.st_size);
  if (size == size_ && size == offset_ && ModifiedNs(st) == modifiedNs_) return SourceChange::Same;
  size_ = size;
  modifiedNs_ = ModifiedNs(st);
  if (size < offset_ || !StillAsRead()) {
    Rewind();
    return SourceChange::Rewritten;
  }
  if (size == offset_) return SourceChange::Same;
  Drain(added);
  return added.empty() ? SourceChange::Same : SourceChange::Grew;
}

}  // namespace vantorel
