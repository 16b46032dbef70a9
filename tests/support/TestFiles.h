#pragma once
// Scratch journals for tests: written under the build tree, named per test.
#include <string>
#include <string_view>

namespace vantorel::test {

// Writes `bytes` to a scratch file named `name` and returns its full path.
std::string WriteScratchFile(const std::string& name, std::string_view bytes);

// A scratch path that does not exist.
std::string MissingScratchPath(const std::string& name);

// Windows-1251 bytes of UTF-8 text, for journal lines written in tests.
std::string W(std::string_view utf8);

}  // namespace vantorel::test
