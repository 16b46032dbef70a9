// The system's file system, through POSIX calls.
#include "journals/FileSystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace vantorel {
namespace {

void Fill(const struct stat& st, FileStatus& out) {
  out.type = S_ISREG(st.st_mode) ? FileStatus::Type::Regular
             : S_ISDIR(st.st_mode) ? FileStatus::Type::Directory
                                   : FileStatus::Type::Other;
  out.device = static_cast<uint64_t>(st.st_dev);
  out.inode = static_cast<uint64_t>(st.st_ino);
  out.size = static_cast<uint64_t>(st.st_size);
  out.links = static_cast<uint64_t>(st.st_nlink);
  out.modifiedNs = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

class SystemFile final : public ReadableFile {
 public:
  explicit SystemFile(int fd) : fd_(fd) {}
  ~SystemFile() override { ::close(fd_); }

  long Read(char* into, size_t size, int& error) override {
    for (;;) {
      const ssize_t got = ::read(fd_, into, size);
      if (got >= 0) return static_cast<long>(got);
      if (errno == EINTR) continue;
      error = errno;
      return -1;
    }
  }
  long ReadAt(uint64_t offset, char* into, size_t size, int& error) const override {
    for (;;) {
      const ssize_t got = ::pread(fd_, into, size, static_cast<off_t>(offset));
      if (got >= 0) return static_cast<long>(got);
      if (errno == EINTR) continue;
      error = errno;
      return -1;
    }
  }
  void Seek(uint64_t offset) override { ::lseek(fd_, static_cast<off_t>(offset), SEEK_SET); }
  bool Status(FileStatus& out) const override {
    struct stat st {};
    if (::fstat(fd_, &st) != 0) return false;
    Fill(st, out);
    return true;
  }

 private:
  int fd_;
};

class SystemFileSystem final : public FileSystem {
 public:
  std::unique_ptr<ReadableFile> Open(const std::string& path, int& error) override {
    // A FIFO is refused before it is opened: opening one to read waits for a writer.
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode)) {
      error = kNotRegular;
      return nullptr;
    }
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
      error = errno;
      return nullptr;
    }
    if (::fstat(fd, &st) != 0) {
      error = errno;
      ::close(fd);
      return nullptr;
    }
    if (!S_ISREG(st.st_mode)) {
      ::close(fd);
      error = S_ISDIR(st.st_mode) ? EISDIR : kNotRegular;
      return nullptr;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return std::make_unique<SystemFile>(fd);
  }

  bool Status(const std::string& path, FileStatus& out) const override {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return false;
    Fill(st, out);
    return true;
  }

  std::vector<std::string> Names(const std::string& folder) const override {
    std::vector<std::string> names;
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (dir == nullptr) return names;
    while (const dirent* entry = ::readdir(dir)) {
      const std::string name = entry->d_name;
      if (name != "." && name != "..") names.push_back(name);
    }
    ::closedir(dir);
    return names;
  }
};

}  // namespace

FileSystem& SystemFiles() {
  static SystemFileSystem files;
  return files;
}

}  // namespace vantorel
