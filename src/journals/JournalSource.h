#pragma once
// The one door through which a journal's bytes come in: the open file, which file it is, and
// at each look what became of it since the last one (grew, rotated, rewritten, gone).
#include <chrono>
#include <cstdint>
#include <string>

namespace vantorel {

// How a file that cannot be opened or read is reported.
enum class ReadErrorStyle {
  // "Cannot open file "%s". %s", with the path and the system's error text.
  WholeFile,
  // The input/output messages of text reading: "File not found", "File access denied", ...
  TextFile,
};

// What a look found.
enum class SourceChange {
  Same,       // nothing new
  Grew,       // bytes were appended after those read
  Rotated,    // the path names another file; the old one was read to its end first
  Rewritten,  // the same file was cut short or its bytes already read changed
  Gone,       // no file at the path for the grace time
};

class JournalSource {
 public:
  using Clock = std::chrono::steady_clock;
  // A path that names no file for this long is gone; a rotation's gap is shorter.
  static constexpr Clock::duration kGoneAfter = std::chrono::seconds(5);

  explicit JournalSource(std::string path) : path_(std::move(path)) {}
  ~JournalSource();
  JournalSource(JournalSource&& other) noexcept;
  JournalSource& operator=(JournalSource&& other) noexcept;
  JournalSource(const JournalSource&) = delete;
  JournalSource& operator=(const JournalSource&) = delete;

  // Opens the file at the path for reading from its start. What is not a regular file (a
  // FIFO, a device, a socket) is refused before any read that could block or never end:
  // AppError "'NAME' is not a regular file"; a file that cannot be opened raises AppError
  // in `style` (a directory: access denied).
  void Open(ReadErrorStyle style = ReadErrorStyle::TextFile);
  bool IsOpen() const { return fd_ >= 0; }
  const std::string& Path() const { return path_; }

  // Reads up to `size` bytes where reading stands; 0 at the end of what the file holds now.
  // Raises AppError in the style Open was given.
  size_t Read(char* into, size_t size);
  // Reading starts again at the file's start (the same file).
  void Rewind();
  // Up to `size` of the file's first bytes, wherever reading stands; empty when they cannot
  // be read.
  std::string Peek(size_t size) const;
  // How far the file has been read.
  uint64_t Offset() const { return offset_; }
  // After a reading: raises AppError "'NAME' changed while it was read" unless the bytes read
  // are still the file's first bytes, the file unchanged since it was opened or last looked
  // at, or only grown after them (its size, first and last bytes read still as read).
  void CheckUnchanged() const;
  // The file's size when it was opened or last looked at.
  uint64_t KnownSize() const { return size_; }

  // Looks at the path and the open file. Grew and Rotated put the bytes that came after
  // those read into `added` (for Rotated, the old file's last bytes); after Rotated and
  // Rewritten, reading goes on at the start of the file the path now names. `now` comes from
  // the caller's clock, so the grace time of a missing file can be tested.
  SourceChange Look(Clock::time_point now, std::string& added);

 private:
  // Reads what the open file holds after those read, into `out`.
  void Drain(std::string& out);
  // The first and last bytes read are still what they were.
  bool StillAsRead() const;
  void Close();
  void Forget();

  std::string path_;
  int fd_ = -1;
  ReadErrorStyle style_ = ReadErrorStyle::TextFile;
  uint64_t device_ = 0;
  uint64_t inode_ = 0;
  uint64_t size_ = 0;
  int64_t modifiedNs_ = 0;
  uint64_t offset_ = 0;
  // The file's first bytes and the last bytes read, to tell a rewrite from growth.
  std::string head_;
  std::string tail_;
  // Since when the path has named no file, and whether that was told.
  bool missing_ = false;
  bool goneTold_ = false;
  Clock::time_point missingSince_{};
};

// The input/output error message of a text-reading error code.
std::string InOutErrorMessage(int code);

// The text-reading error code that stands for a system errno value.
int InOutCodeOfErrno(int err);

}  // namespace vantorel
