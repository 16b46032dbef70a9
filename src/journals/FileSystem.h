#pragma once
// The file system as the journals' readers meet it: a file opened to read, what a name stands
// for, a folder's names. The system's own serves the programs; tests put one in memory in its
// place, so that what a unit and its log rotation do to a journal is played without sleeping.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vantorel {

// What stat tells of a file.
struct FileStatus {
  enum class Type { Regular, Directory, Other };
  Type type = Type::Other;
  uint64_t device = 0;
  uint64_t inode = 0;
  uint64_t size = 0;
  // Names the file has: 0 once it was removed while held open.
  uint64_t links = 0;
  int64_t modifiedNs = 0;

  bool SameFile(const FileStatus& other) const { return device == other.device && inode == other.inode; }
};

// A file opened to read. Errors are errno values.
class ReadableFile {
 public:
  virtual ~ReadableFile() = default;
  // Up to `size` bytes where reading stands, into `into`; 0 at the end of what the file holds
  // now; -1 with `error` set.
  virtual long Read(char* into, size_t size, int& error) = 0;
  // The same at `offset`, wherever reading stands.
  virtual long ReadAt(uint64_t offset, char* into, size_t size, int& error) const = 0;
  // Reading goes on at `offset`.
  virtual void Seek(uint64_t offset) = 0;
  // The file as it is now; false when that cannot be told.
  virtual bool Status(FileStatus& out) const = 0;
  // Whether a read is best asked for all the room there is: the file's bytes are made whole
  // at once, several times as fast as piece by piece.
  virtual bool ReadsWhole() const { return false; }
};

class FileSystem {
 public:
  // Open's error for what is neither a regular file nor a folder (a FIFO, a device, a socket):
  // it is refused before any read that could block or never end.
  static constexpr int kNotRegular = -2;
  // A read's error for compressed data that ends short or is corrupt.
  static constexpr int kNotComplete = -3;

  virtual ~FileSystem() = default;
  // Opens the regular file at `path` to read from its start; null with `error` set: an errno
  // value (EISDIR for a folder) or kNotRegular.
  virtual std::unique_ptr<ReadableFile> Open(const std::string& path, int& error) = 0;
  // What `path` names, links followed; false when it names nothing.
  virtual bool Status(const std::string& path, FileStatus& out) const = 0;
  // The names in `folder`, in no order; none when it cannot be read.
  virtual std::vector<std::string> Names(const std::string& folder) const = 0;
};

// The system's file system; lives as long as the program. Any thread may use it.
FileSystem& SystemFiles();

}  // namespace vantorel
