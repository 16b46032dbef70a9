#include "support/TestFiles.h"

#include <cstdio>
#include <fstream>

#include "uStrUtils/Cp1251.h"

namespace vantorel::test {

std::string WriteScratchFile(const std::string& name, std::string_view bytes) {
  const std::string path = std::string(VANTOREL_TEST_SCRATCH) + "/" + name;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return path;
}

std::string MissingScratchPath(const std::string& name) {
  const std::string path = std::string(VANTOREL_TEST_SCRATCH) + "/" + name;
  std::remove(path.c_str());
  return path;
}

std::string W(std::string_view utf8) { return Utf8ToCp1251(utf8); }

}  // namespace vantorel::test
