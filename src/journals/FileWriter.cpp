#include "journals/FileWriter.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "journals/WriteSignalsHeld.h"
#include "uStrUtils/AppError.h"
#include "uStrUtils/Cp1251.h"
#include "uStrUtils/NameText.h"

namespace vantorel {
namespace {

// The folder part of `path` with its slash ("" for a bare name, "/" for a name in the root).
std::string FolderWithSlash(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// The file `path` names once the links at its end are followed: a link to a regular file is
// kept, and the file it names replaced. A link that names nothing yet makes that file.
std::string FollowLinks(std::string path) {
  for (int hop = 0; hop < 40; ++hop) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) break;
    char to[PATH_MAX];
    const ssize_t length = ::readlink(path.c_str(), to, sizeof to);
    if (length <= 0 || static_cast<size_t>(length) == sizeof to) break;
    const std::string next(to, static_cast<size_t>(length));
    path = next.front() == '/' ? next : FolderWithSlash(path) + next;
  }
  return path;
}

// A name beside `target` for its new bytes until they take its place; `suffix` makes it one
// of a kind. The target's own name is shortened so that the whole stays a valid name.
std::string BesideName(const std::string& target, const std::string& suffix) {
  const std::string folder = FolderWithSlash(target);
  const std::string name = target.substr(folder.size(), 200);
  return folder + "." + name + "." + suffix;
}

// Writes all of `bytes`; the errno of a failure, 0 when all went (see WriteSignalsHeld).
int WriteAll(int fd, std::string_view bytes) {
  const WriteSignalsHeld held;
  while (!bytes.empty()) {
    const ssize_t wrote = ::write(fd, bytes.data(), bytes.size());
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote < 0) return errno;
    // A write of nothing where something was asked: the device takes no more.
    if (wrote == 0) return ENOSPC;
    bytes.remove_prefix(static_cast<size_t>(wrote));
  }
  return 0;
}

}  // namespace

FileWriter::FileWriter(const std::string& path, Temporary temporary) : path_(path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
    if (S_ISDIR(st.st_mode)) Fail(EISDIR);
    // A FIFO waits here for its reader, as any writer of it does.
    fd_ = ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
    if (fd_ < 0) Fail(errno);
    direct_ = true;
    return;
  }
  target_ = FollowLinks(path);
  const std::string folder = FolderWithSlash(target_);
  folder_ = folder.empty() ? "." : folder;
  // Created as a new file would be, the process's umask applied; an existing file's
  // permissions are given to it at Commit.
  if (temporary == Temporary::Unnamed) {
    fd_ = ::open(folder_.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (fd_ >= 0) return;
    // EOPNOTSUPP: the file system makes no file without a name; EISDIR or EINVAL: the kernel
    // knows no such files. Anything else is the folder's own fault.
    if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) Fail(errno);
  }
  for (unsigned attempt = 0;; ++attempt) {
    named_ = BesideName(target_, std::to_string(::getpid()) + "-" + std::to_string(attempt));
    fd_ = ::open(named_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd_ >= 0) return;
    const int err = errno;
    named_.clear();
    if (err != EEXIST || attempt == 1000) Fail(err);
  }
}

FileWriter::~FileWriter() {
  if (fd_ >= 0) ::close(fd_);
  if (scratch_ >= 0) ::close(scratch_);
  if (!named_.empty()) ::unlink(named_.c_str());
}

void FileWriter::Fail(int err) {
  failed_ = err;
  throw AppError(Utf8ToCp1251("Не удалось сохранить файл \"") + NameText(path_) + "\": " +
                 Utf8ToCp1251(std::strerror(err)));
}

void FileWriter::Write(std::string_view bytes) {
  if (failed_ != 0) Fail(failed_);
  if (committed_) Fail(EBADF);
  if (const int err = WriteAll(fd_, bytes)) Fail(err);
}

const std::string& FileWriter::SeekableName() {
  if (!seekableName_.empty()) return seekableName_;
  if (failed_ != 0) Fail(failed_);
  if (!named_.empty()) {
    seekableName_ = named_;
    return seekableName_;
  }
  int fd = fd_;
  if (direct_) {
    // A device or a FIFO cannot be sought in: the library writes into a scratch file, which
    // Commit copies into the target.
    scratch_ = ::open(P_tmpdir, O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (scratch_ < 0) {
      std::string name = std::string(P_tmpdir) + "/vantorel-XXXXXX";
      scratch_ = ::mkostemp(name.data(), O_CLOEXEC);
      if (scratch_ < 0) Fail(errno);
      ::unlink(name.c_str());
    }
    fd = scratch_;
  }
  // The open file itself, however it is named: a file without a name included.
  seekableName_ = "/proc/self/fd/" + std::to_string(fd);
  return seekableName_;
}

void FileWriter::CopyScratch() {
  char piece[1 << 16];
  for (off_t at = 0;;) {
    const ssize_t got = ::pread(scratch_, piece, sizeof piece, at);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) Fail(errno);
    if (got == 0) break;
    if (const int err = WriteAll(fd_, std::string_view(piece, static_cast<size_t>(got)))) Fail(err);
    at += got;
  }
}

std::string FileWriter::LinkBeside() {
  const std::string self = "/proc/self/fd/" + std::to_string(fd_);
  for (unsigned attempt = 0;; ++attempt) {
    const std::string name = BesideName(target_, std::to_string(::getpid()) + "-" + std::to_string(attempt));
    if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) return name;
    const int err = errno;
    // Without /proc, the descriptor itself is linked, which needs the right to do so.
    if (err == ENOENT && ::linkat(fd_, "", AT_FDCWD, name.c_str(), AT_EMPTY_PATH) == 0) return name;
    if (err != EEXIST || attempt == 1000) Fail(err);
  }
}

void FileWriter::Commit() {
  if (failed_ != 0) Fail(failed_);
  if (committed_) return;
  if (direct_) {
    if (scratch_ >= 0) CopyScratch();
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0 && errno != EINTR) Fail(errno);
    committed_ = true;
    return;
  }
  if (::fsync(fd_) != 0) Fail(errno);
  struct stat old {};
  if (::stat(target_.c_str(), &old) == 0 && S_ISREG(old.st_mode)) {
    // The owner where the system allows it (as root); elsewhere the writer keeps it. Then the
    // permissions, which a change of owner may have cut.
    const bool owned = ::fchown(fd_, old.st_uid, old.st_gid) == 0;
    static_cast<void>(owned);
    if (::fchmod(fd_, old.st_mode & 07777) != 0) Fail(errno);
  }
  const std::string beside = named_.empty() ? LinkBeside() : named_;
  named_ = beside;
  const int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0 && errno != EINTR) Fail(errno);
  if (::rename(beside.c_str(), target_.c_str()) != 0) Fail(errno);
  named_.clear();
  committed_ = true;
  // The new name itself made lasting: the folder flushed too.
  const int folder = ::open(folder_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder >= 0) {
    ::fsync(folder);
    ::close(folder);
  }
}

}  // namespace vantorel
