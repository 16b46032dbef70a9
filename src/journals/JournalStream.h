#pragma once
// A journal read piece by piece into one reused buffer: its titles, then its record lines by
// the kind's line rule, without the whole file in memory.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "journals/JournalKinds.h"
#include "journals/JournalSource.h"

namespace vantorel {

class JournalStream {
 public:
  // Reads `source`, open, from where it stands: the title line first. Raises AppError when
  // the file cannot be read.
  JournalStream(JournalSource& source, const KindDescription& kind);
  JournalStream(const JournalStream&) = delete;
  JournalStream& operator=(const JournalStream&) = delete;

  // For a journal that is followed as it grows: a last line without its line end, the title
  // line's too, is not given out until its line end comes.
  void WaitForLineEnds() { waitForLineEnds_ = true; }
  // From now on the bytes come through Resume alone; the source is not read again.
  void FeedOnly() { feedOnly_ = true; }
  // Reads the title line; false while a followed journal's title line has not ended.
  bool ReadTitles();
  // The titles the first line writes into the title row.
  const std::vector<std::string>& Titles() const { return titles_; }
  // False when the file holds no line at all.
  bool HasLines() const { return hasLines_; }
  // The next record line; false at the end of what has come. The line lives until the next
  // call. Raises AppError when the file cannot be read, and at the end of the reading of a
  // journal not followed when the file changed while it was read (JournalSource::CheckUnchanged).
  bool Next(std::string_view& line);

  // After Next came to the end: `added`, the bytes that came after those read, are read
  // next. False when the text has ended (a NUL or a Ctrl-Z was met).
  bool Resume(std::string_view added);
  // No more bytes will come: a last line without its line end is a line after all.
  void EndOfFile() { final_ = true; }
  // Reading starts again where the source now stands: with a title line; or, `untitled`,
  // with record lines under the titles read before (a journal cut short in place by log
  // rotation, which its unit goes on appending records to).
  void Restart(bool untitled = false);
  // No byte of the file at or after `offset` is read: a second reading of a file reads what
  // the first one read, whatever came after it.
  void StopAt(uint64_t offset) { stopAt_ = offset; }
  // The bytes read and not given out yet, after the last line Next gave; they live, and places
  // found in them hold, while Changes stays as it was.
  std::string_view Ahead() const { return {buffer_.data() + pos_, filled_ - pos_}; }
  // Counts every move or growth of the bytes held.
  uint64_t Changes() const { return changes_; }
  // The whole-file line, counted from 1 with the title line, whose NUL ended the text of a
  // journal read as whole-file lines; 0 while no NUL was met.
  size_t NulLine() const { return nulLine_; }

 private:
  bool NextLine(std::string_view& line);
  // Reads more of the file behind what is kept; false at its end.
  bool Fill();
  // Room behind what is kept, the kept bytes moved to the buffer's start.
  void MakeRoom();
  // The bytes a cut line waits for may still come.
  bool Waiting() const { return waitForLineEnds_ && !final_; }

  JournalSource& source_;
  const KindDescription& kind_;
  std::vector<char> buffer_;
  size_t pos_ = 0;
  size_t filled_ = 0;
  bool eof_ = false;
  bool final_ = false;
  // A NUL (whole-file lines) or Ctrl-Z (text lines) was met: nothing after it is read.
  bool ended_ = false;
  bool titled_ = false;
  bool hasLines_ = false;
  bool waitForLineEnds_ = false;
  bool feedOnly_ = false;
  std::vector<std::string> titles_;
  uint64_t stopAt_ = UINT64_MAX;
  // Whole-file lines given out, the title's included.
  size_t wholeLines_ = 0;
  size_t nulLine_ = 0;
  // The end of this reading was checked against the file.
  bool checked_ = false;
  uint64_t changes_ = 0;
};

}  // namespace vantorel
