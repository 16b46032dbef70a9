#pragma once
// The one door through which a journal's bytes come in: the open file, which file it is, and
// whether the bytes read so far are still what it holds.
#include <cstdint>
#include <memory>
#include <string>

#include "journals/Extension.h"
#include "journals/FileSystem.h"

namespace vantorel {

// How a file that cannot be opened or read is reported.
enum class ReadErrorStyle {
  // "Cannot open file "%s". %s", with the path and the system's error text.
  WholeFile,
  // The input/output messages of text reading: "File not found", "File access denied", ...
  TextFile,
};

class JournalSource {
 public:
  explicit JournalSource(std::string path, FileSystem& files = SystemFiles()) : path_(std::move(path)), files_(&files) {}
  JournalSource(JournalSource&& other) noexcept = default;
  JournalSource& operator=(JournalSource&& other) noexcept = default;
  JournalSource(const JournalSource&) = delete;
  JournalSource& operator=(const JournalSource&) = delete;

  // Opens the file at the path for reading from its start. What is not a regular file (a
  // FIFO, a device, a socket) is refused before any read that could block or never end:
  // AppError "'NAME' is not a regular file"; a file that cannot be opened raises AppError
  // in `style` (a directory: access denied).
  void Open(ReadErrorStyle style = ReadErrorStyle::TextFile);
  bool IsOpen() const { return file_ != nullptr; }
  // The file is compressed (its name says how): it is read as the text it holds, never
  // grows, and cannot be read at an offset.
  bool Compressed() const { return CompressionOf(path_) != Compression::None; }
  // Reads are best asked for all the room there is (see ReadableFile::ReadsWhole).
  bool ReadsWhole() const { return file_ != nullptr && file_->ReadsWhole(); }
  const std::string& Path() const { return path_; }
  FileSystem& Files() const { return *files_; }

  // Reads up to `size` bytes where reading stands; 0 at the end of what the file holds now,
  // or at the limit. Raises AppError in the style Open was given.
  size_t Read(char* into, size_t size);
  // Reading starts again at the file's start (the same file).
  void Rewind();
  // Reading goes on at `offset` of the same file; what was read before it is not known.
  void SkipTo(uint64_t offset);
  // Up to `size` of the file's bytes from `offset` on, wherever reading stands; fewer when
  // the file ends, none when they cannot be read.
  std::string Peek(size_t size, uint64_t offset = 0) const;
  // How far the file has been read.
  uint64_t Offset() const { return offset_; }
  // After a reading: raises AppError "'NAME' changed while it was read" unless the bytes read
  // are still the file's first bytes, the file unchanged since it was opened or last looked
  // at, or only grown after them (its size, first and last bytes read still as read).
  void CheckUnchanged() const;
  // The file's size when it was opened or last looked at.
  uint64_t KnownSize() const { return size_; }
  // Reads end at byte `end` until the limit is lifted: a journal read while its unit writes
  // is read to its last line end.
  void LimitTo(uint64_t end) { limit_ = end; }
  void Unlimit() { limit_ = kNoLimit; }

  // The open file as it is now (its size becomes the known size); false when it cannot be
  // told or nothing is open.
  bool Look(FileStatus& out);
  // Which file was opened.
  const FileStatus& Opened() const { return opened_; }
  // The first and the last bytes read are still what the file holds there.
  bool StillAsRead() const;
  // Whether the file holds, at the same places, the first and the last bytes read here.
  bool HoldsWhatWasRead(const JournalSource& other) const;

 private:
  static constexpr uint64_t kNoLimit = ~uint64_t{0};
  void Forget();

  std::string path_;
  FileSystem* files_;
  std::unique_ptr<ReadableFile> file_;
  ReadErrorStyle style_ = ReadErrorStyle::TextFile;
  FileStatus opened_;
  uint64_t size_ = 0;
  uint64_t offset_ = 0;
  uint64_t limit_ = kNoLimit;
  // The file's first bytes and the last bytes read, to tell a rewrite from growth.
  std::string head_;
  std::string tail_;
};

// The input/output error message of a text-reading error code.
std::string InOutErrorMessage(int code);

// The text-reading error code that stands for a system errno value.
int InOutCodeOfErrno(int err);

}  // namespace vantorel
