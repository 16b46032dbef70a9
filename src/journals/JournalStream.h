#pragma once
// A journal read piece by piece into one reused buffer: its titles, then its record lines by
// the kind's line rule, without the whole file in memory.
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "journals/JournalKinds.h"

namespace vantorel {

class JournalStream {
 public:
  // Opens the journal; raises AppError with the input/output message of text reading.
  JournalStream(const std::string& path, const KindDescription& kind);
  ~JournalStream();
  JournalStream(const JournalStream&) = delete;
  JournalStream& operator=(const JournalStream&) = delete;

  // The titles the first line writes into the title row.
  const std::vector<std::string>& Titles() const { return titles_; }
  // False when the file holds no line at all.
  bool HasLines() const { return hasLines_; }
  // The next record line; false at the end of the text. The line lives until the next call.
  // Raises AppError when the file cannot be read.
  bool Next(std::string_view& line);

  // For a journal that is followed as it grows: a last line without its line end is not
  // given out until its line end comes.
  void WaitForLineEnds() { waitForLineEnds_ = true; }
  // After Next came to the end of the file: the next Next reads what has come since. False
  // when the text has ended (a NUL or a Ctrl-Z was met).
  bool Resume();
  // The bytes of the file read so far, and which file it is.
  uint64_t BytesRead() const { return bytesRead_; }
  uint64_t Device() const { return device_; }
  uint64_t Inode() const { return inode_; }

 private:
  // Reads more of the file behind what is kept; false at its end.
  bool Fill();
  // Skips the first line by the kind's rule.
  void SkipTitleLine();

  const KindDescription& kind_;
  int fd_ = -1;
  std::vector<char> buffer_;
  size_t pos_ = 0;
  size_t filled_ = 0;
  bool eof_ = false;
  // A NUL (whole-file lines) or Ctrl-Z (text lines) was met: nothing after it is read.
  bool ended_ = false;
  bool hasLines_ = false;
  bool waitForLineEnds_ = false;
  uint64_t bytesRead_ = 0;
  uint64_t device_ = 0;
  uint64_t inode_ = 0;
  std::vector<std::string> titles_;
};

}  // namespace vantorel
