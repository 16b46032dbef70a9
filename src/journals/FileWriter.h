#pragma once
// One file written in the place of a path: the one door through which the programs write
// files. What the path names decides how: a regular file, or nothing, is replaced whole or
// not at all; anything else (a device, a FIFO, a terminal) is written into.
#include <string>
#include <string_view>

namespace vantorel {

class FileWriter {
 public:
  // What holds the bytes until Commit: a file without a name where the file system makes
  // one, else a named stand-in; or the named stand-in at once.
  enum class Temporary { Unnamed, Named };

  // Begins the file of `path` (bytes as the file system takes them), from any thread.
  // - A regular file, or none: the bytes go into a file without a name in the folder of the
  //   file the path names (a link is followed to it, and stays a link), which takes that
  //   file's place at Commit. Until then the old file stays as it was, and a kill at any
  //   moment leaves nothing behind (but in the instant at Commit between the file's taking a
  //   hidden name ".NAME.PID-N" beside the target and that name's taking the target's
  //   place). Where the file system makes no file without a name (or `temporary` asks for
  //   it), a hidden named file ".NAME.PID-N" beside the target stands in from the start,
  //   removed on failure but left behind by a kill.
  // - Anything else that exists is opened and written into directly: never replaced, and
  //   what was written before a failure stays written.
  // Raises AppError (Windows-1251) naming the file with the system's reason when the file
  // cannot be begun (a folder at the path, no folder, no permission, a socket).
  explicit FileWriter(const std::string& path, Temporary temporary = Temporary::Unnamed);
  // Without Commit a replacement leaves nothing behind. Never throws.
  ~FileWriter();
  FileWriter(const FileWriter&) = delete;
  FileWriter& operator=(const FileWriter&) = delete;

  // Appends `bytes`. Raises AppError naming the file with the system's reason ("No space
  // left on device"); after a failure every call raises it again and nothing more is written.
  void Write(std::string_view bytes);
  // A name under which a library that writes a file by its name, and may seek in it, writes
  // the whole file instead of Write; what it leaves there is what Commit puts in place.
  // Raises AppError when no such file can be had.
  const std::string& SeekableName();
  // Puts the file in place: flushed to the disk, then under the target's name, with the old
  // file's permissions (and owner, where allowed), or the usual ones for a new file. Raises
  // AppError naming the file, the old one then left as it was.
  void Commit();

  // Whether the path names something that is written into directly.
  bool Direct() const { return direct_; }

 private:
  [[noreturn]] void Fail(int err);
  // The direct target gets what the library wrote into the scratch file.
  void CopyScratch();
  // The bytes become a name beside the target: the name, or raises.
  std::string LinkBeside();

  std::string path_;
  // The regular file to replace (the path with its links followed) and its folder.
  std::string target_;
  std::string folder_;
  int fd_ = -1;
  bool direct_ = false;
  // The stand-in for a file without a name, when the file system has none.
  std::string named_;
  // For a direct target written by name: a file without a name in the temporary folder.
  int scratch_ = -1;
  std::string seekableName_;
  int failed_ = 0;
  bool committed_ = false;
};

}  // namespace vantorel
