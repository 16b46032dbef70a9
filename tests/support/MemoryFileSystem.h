#pragma once
// A file system in memory: files are kept by number and named by paths, a file opened to read
// stays readable after it loses its name, and every change moves its modified time on. A
// unit and its log rotation are played on it without touching a disk or sleeping.
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "journals/FileSystem.h"

namespace vantorel::test {

class MemoryFileSystem final : public FileSystem {
 public:
  // The file at `path`, made empty when it is missing; its number.
  uint64_t Create(const std::string& path);
  // Replaces the bytes of the file at `path` (made when missing), as one write would.
  void Write(const std::string& path, std::string_view bytes);
  // Appends to the file numbered `file`, named or not, as its writer holding it open would.
  void Append(uint64_t file, std::string_view bytes);
  // Cuts the file at `path` to its first `size` bytes.
  void Truncate(const std::string& path, size_t size);
  // `from` takes the name `to`; a file that had that name loses it.
  void Rename(const std::string& from, const std::string& to);
  void Remove(const std::string& path);
  // The number of the file at `path`; 0 when none.
  uint64_t FileAt(const std::string& path) const;
  const std::string& Bytes(uint64_t file) const { return nodes_.at(file)->bytes; }

  std::unique_ptr<ReadableFile> Open(const std::string& path, int& error) override;
  bool Status(const std::string& path, FileStatus& out) const override;
  std::vector<std::string> Names(const std::string& folder) const override;

  struct Node {
    uint64_t number = 0;
    std::string bytes;
    uint64_t links = 0;
    int64_t modified = 0;
  };

 private:
  Node& Changed(uint64_t file);

  std::map<uint64_t, std::shared_ptr<Node>> nodes_;
  std::map<std::string, uint64_t> names_;
  uint64_t next_ = 1;
  int64_t clock_ = 0;
};

}  // namespace vantorel::test
