#include "journals/FileWrite.h"

#include <sys/stat.h>

#include "journals/FileWriter.h"

namespace vantorel {

bool SameFile(const std::string& a, const std::string& b) {
  struct stat sa {}, sb {};
  return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

void WriteFileReplacing(const std::string& path,
                        const std::function<void(const std::function<void(std::string_view)>& write)>& produce) {
  FileWriter file(path);
  produce([&file](std::string_view bytes) { file.Write(bytes); });
  file.Commit();
}

}  // namespace vantorel
