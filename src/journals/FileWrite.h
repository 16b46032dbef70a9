#pragma once
// Writing a file whole, through the one door of files written (FileWriter).
#include <functional>
#include <string>
#include <string_view>

namespace vantorel {

// Writes the file of `path` piece by piece as `produce` hands them to `write`, through a
// FileWriter: a regular file (or none) is replaced once every byte is written and flushed, and
// a write cut short leaves it as it was; anything else the path names is written into. Raises
// AppError (in Windows-1251) naming the file and the system's reason when any step fails, and
// what `produce` raises.
void WriteFileReplacing(const std::string& path,
                        const std::function<void(const std::function<void(std::string_view)>& write)>& produce);

// True when `a` and `b` name the same existing file.
bool SameFile(const std::string& a, const std::string& b);

}  // namespace vantorel
