#pragma once
// A journal file read whole into memory: the one buffer its records point into.
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace vantorel {

struct FileBytes {
  std::unique_ptr<char[]> data;
  size_t size = 0;

  std::string_view View() const { return {data.get(), size}; }
};

// How a file that cannot be opened or read is reported.
enum class ReadErrorStyle {
  // "Cannot open file "%s". %s", with the path and the system's error text.
  WholeFile,
  // The input/output messages of text reading: "File not found", "File access denied", ...
  TextFile,
};

// Reads the whole file at `path` (UTF-8 file-system path). Raises AppError in `style`.
FileBytes ReadFileBytes(const std::string& path, ReadErrorStyle style);

// The input/output error message of a text-reading error code.
std::string InOutErrorMessage(int code);

// The text-reading error code that stands for a system errno value.
int InOutCodeOfErrno(int err);

}  // namespace vantorel
