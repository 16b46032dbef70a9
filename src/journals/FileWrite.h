#pragma once
// Writing a file whole, so that a failed write leaves any earlier file as it was.
#include <functional>
#include <string>
#include <string_view>

namespace vantorel {

// Writes a file without a name beside `path`, piece by piece as `produce` hands them to
// `write`, and puts it in `path`'s place once every byte is written and flushed: a write cut
// short leaves no file behind. Raises AppError (in Windows-1251) naming the file and the
// system's reason when any step fails.
void WriteFileReplacing(const std::string& path,
                        const std::function<void(const std::function<void(std::string_view)>& write)>& produce);

// True when `a` and `b` name the same existing file.
bool SameFile(const std::string& a, const std::string& b);

}  // namespace vantorel
