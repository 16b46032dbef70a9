#include "journals/FileWrite.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "uStrUtils/AppError.h"
#include "uStrUtils/Cp1251.h"

namespace vantorel {
namespace {

[[noreturn]] void Fail(const std::string& path, int err) {
  throw AppError(Utf8ToCp1251("Не удалось сохранить файл \"" + path + "\": " + std::strerror(err)));
}

}  // namespace

bool SameFile(const std::string& a, const std::string& b) {
  struct stat sa {}, sb {};
  return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

void WriteFileReplacing(const std::string& path,
                        const std::function<void(const std::function<void(std::string_view)>& write)>& produce) {
  const size_t slash = path.find_last_of('/');
  const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  std::string temporary = folder + "." + name + ".XXXXXX";
  // A file without a name until it is whole: a write cut short, even by a kill, leaves
  // nothing. File systems without unnamed files get a named temporary file instead.
  int fd = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
  const bool unnamed = fd >= 0;
  if (!unnamed) fd = ::mkstemp(temporary.data());
  if (fd < 0) Fail(path, errno);
  bool open = true;
  auto drop = [&] {
    open = false;
    ::close(fd);
    if (!unnamed) ::unlink(temporary.c_str());
  };
  auto fail = [&](int err) {
    drop();
    Fail(path, err);
  };
  // A new file gets the usual permissions, an existing one keeps its own.
  struct stat existing {};
  const mode_t mode = ::stat(path.c_str(), &existing) == 0 ? existing.st_mode & 07777 : 0666 & ~[] {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
  }();
  if (::fchmod(fd, mode) != 0) fail(errno);
  try {
    produce([&](std::string_view bytes) {
      while (!bytes.empty()) {
        const ssize_t wrote = ::write(fd, bytes.data(), bytes.size());
        if (wrote < 0 && errno == EINTR) continue;
        if (wrote < 0) fail(errno);
        bytes.remove_prefix(static_cast<size_t>(wrote));
      }
    });
  } catch (...) {
    if (open) drop();
    throw;
  }
  if (::fsync(fd) != 0) fail(errno);
  if (unnamed) {
    // The whole file gets a name beside the target, then takes the target's place.
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    for (int attempt = 0;; ++attempt) {
      temporary = folder + "." + name + "." + std::to_string(::getpid()) + "-" + std::to_string(attempt);
      if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, temporary.c_str(), AT_SYMLINK_FOLLOW) == 0) break;
      if (errno != EEXIST || attempt == 100) fail(errno);
    }
  }
  if (::close(fd) != 0) {
    ::unlink(temporary.c_str());
    Fail(path, errno);
  }
  if (::rename(temporary.c_str(), path.c_str()) != 0) {
    const int err = errno;
    ::unlink(temporary.c_str());
    Fail(path, err);
  }
}

}  // namespace vantorel
