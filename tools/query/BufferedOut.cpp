#include "query/BufferedOut.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace vantorel {

std::string TemporaryFolder() {
  const char* tmpdir = std::getenv("TMPDIR");
  return tmpdir != nullptr && *tmpdir != '\0' ? tmpdir : "/tmp";
}

std::FILE* UnnamedTemporary() {
  const std::string folder = TemporaryFolder();
  int fd = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
  if (fd < 0) {
    // A file system without unnamed files: the name goes at once.
    std::string name = folder + "/vantorel-query-XXXXXX";
    fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd >= 0) ::unlink(name.c_str());
  }
  std::FILE* file = fd < 0 ? nullptr : ::fdopen(fd, "w+");
  if (file == nullptr && fd >= 0) {
    const int err = errno;
    ::close(fd);
    errno = err;
  }
  return file;
}

}  // namespace vantorel
