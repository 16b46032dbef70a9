#include "journals/FileBytes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "uStrUtils/AppError.h"
#include "uStrUtils/Cp1251.h"

namespace vantorel {
namespace {

[[noreturn]] void Fail(const std::string& path, int err, ReadErrorStyle style) {
  if (style == ReadErrorStyle::TextFile) throw AppError(InOutErrorMessage(InOutCodeOfErrno(err)));
  throw AppError("Cannot open file \"" + Utf8ToCp1251(path) + "\". " + Utf8ToCp1251(std::strerror(err)));
}

class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

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

FileBytes ReadFileBytes(const std::string& path, ReadErrorStyle style) {
  Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0) Fail(path, errno, style);
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0) Fail(path, errno, style);
  if (S_ISDIR(st.st_mode)) Fail(path, EISDIR, style);

  // The size is a hint: a file that grows or shrinks while it is read is read as it is.
  size_t capacity = st.st_size > 0 ? static_cast<size_t>(st.st_size) : 0;
  FileBytes bytes;
  bytes.data = std::make_unique_for_overwrite<char[]>(capacity + 1);
  for (;;) {
    if (bytes.size == capacity) {
      char probe = 0;
      const ssize_t got = ::read(fd.get(), &probe, 1);
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) Fail(path, errno, style);
      if (got == 0) break;
      const size_t grown = capacity < 4096 ? 8192 : capacity * 2;
      auto larger = std::make_unique_for_overwrite<char[]>(grown + 1);
      std::memcpy(larger.get(), bytes.data.get(), bytes.size);
      larger[bytes.size++] = probe;
      bytes.data = std::move(larger);
      capacity = grown;
      continue;
    }
    const ssize_t got = ::read(fd.get(), bytes.data.get() + bytes.size, capacity - bytes.size);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) Fail(path, errno, style);
    if (got == 0) break;
    bytes.size += static_cast<size_t>(got);
  }
  return bytes;
}

}  // namespace vantorel
