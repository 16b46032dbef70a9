#include "support/MemoryFileSystem.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace vantorel::test {
namespace {

void Fill(const MemoryFileSystem::Node& node, FileStatus& out) {
  out.type = FileStatus::Type::Regular;
  out.device = 1;
  out.inode = node.number;
  out.size = node.bytes.size();
  out.links = node.links;
  out.modifiedNs = node.modified;
}

class MemoryFile final : public ReadableFile {
 public:
  explicit MemoryFile(std::shared_ptr<MemoryFileSystem::Node> node) : node_(std::move(node)) {}

  long Read(char* into, size_t size, int& error) override {
    const long got = ReadAt(offset_, into, size, error);
    if (got > 0) offset_ += static_cast<uint64_t>(got);
    return got;
  }
  long ReadAt(uint64_t offset, char* into, size_t size, int&) const override {
    const std::string& bytes = node_->bytes;
    if (offset >= bytes.size()) return 0;
    const size_t n = std::min<size_t>(size, bytes.size() - offset);
    std::memcpy(into, bytes.data() + offset, n);
    return static_cast<long>(n);
  }
  void Seek(uint64_t offset) override { offset_ = offset; }
  bool Status(FileStatus& out) const override {
    Fill(*node_, out);
    return true;
  }

 private:
  std::shared_ptr<MemoryFileSystem::Node> node_;
  uint64_t offset_ = 0;
};

}  // namespace

MemoryFileSystem::Node& MemoryFileSystem::Changed(uint64_t file) {
  Node& node = *nodes_.at(file);
  node.modified = ++clock_;
  return node;
}

uint64_t MemoryFileSystem::Create(const std::string& path) {
  if (const uint64_t file = FileAt(path)) return file;
  auto node = std::make_shared<Node>();
  node->number = next_++;
  node->links = 1;
  node->modified = ++clock_;
  nodes_[node->number] = node;
  names_[path] = node->number;
  return node->number;
}

void MemoryFileSystem::Write(const std::string& path, std::string_view bytes) { Changed(Create(path)).bytes = bytes; }

void MemoryFileSystem::Append(uint64_t file, std::string_view bytes) { Changed(file).bytes.append(bytes); }

void MemoryFileSystem::Truncate(const std::string& path, size_t size) {
  Node& node = Changed(Create(path));
  node.bytes.resize(std::min(size, node.bytes.size()));
}

void MemoryFileSystem::Rename(const std::string& from, const std::string& to) {
  const uint64_t file = FileAt(from);
  if (file == 0 || from == to) return;
  Remove(to);
  names_.erase(from);
  names_[to] = file;
}

void MemoryFileSystem::Remove(const std::string& path) {
  const uint64_t file = FileAt(path);
  if (file == 0) return;
  names_.erase(path);
  --nodes_.at(file)->links;
}

uint64_t MemoryFileSystem::FileAt(const std::string& path) const {
  const auto at = names_.find(path);
  return at == names_.end() ? 0 : at->second;
}

std::unique_ptr<ReadableFile> MemoryFileSystem::Open(const std::string& path, int& error) {
  const uint64_t file = FileAt(path);
  if (file == 0) {
    error = ENOENT;
    return nullptr;
  }
  return std::make_unique<MemoryFile>(nodes_.at(file));
}

bool MemoryFileSystem::Status(const std::string& path, FileStatus& out) const {
  const uint64_t file = FileAt(path);
  if (file == 0) return false;
  Fill(*nodes_.at(file), out);
  return true;
}

std::vector<std::string> MemoryFileSystem::Names(const std::string& folder) const {
  const std::string prefix = folder.empty() || folder.back() == '/' ? folder : folder + "/";
  std::vector<std::string> names;
  for (const auto& [path, file] : names_) {
    if (path.compare(0, prefix.size(), prefix) == 0 && path.find('/', prefix.size()) == std::string::npos) {
      names.push_back(path.substr(prefix.size()));
    }
  }
  return names;
}

}  // namespace vantorel::test
