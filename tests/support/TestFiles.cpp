#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "uStrUtils/Cp1251.h"

namespace vantorel::test {

namespace {

// A folder of its own for each test, so tests that run at the same time never share a file.
std::string ScratchDir() {
  std::string dir = VANTOREL_TEST_SCRATCH;
  if (const auto* test = ::testing::UnitTest::GetInstance()->current_test_info()) {
    std::string own = std::string(test->test_suite_name()) + "." + test->name();
    for (char& c : own) {
      if (c == '/') c = '_';
    }
    dir += "/" + own;
  }
  std::filesystem::create_directories(dir);
  return dir;
}

}  // namespace

std::string WriteScratchFile(const std::string& name, std::string_view bytes) {
  const std::string path = ScratchDir() + "/" + name;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return path;
}

std::string MissingScratchPath(const std::string& name) {
  const std::string path = ScratchDir() + "/" + name;
  std::remove(path.c_str());
  return path;
}

std::string W(std::string_view utf8) { return Utf8ToCp1251(utf8); }

}  // namespace vantorel::test
