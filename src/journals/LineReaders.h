#pragma once
// The two ways a journal's bytes become lines, and counting lines while the bytes come in.
#include <cstddef>
#include <string>
#include <string_view>

namespace vantorel {

// Whole-file lines over [begin, end): a line ends at CR LF, LF or a lone CR; a NUL byte ends
// the text (found as the reading reaches it); a line end at the very end adds no empty line.
class WholeFileLines {
 public:
  WholeFileLines(const char* begin, const char* end) : pos_(begin), end_(end) {}
  explicit WholeFileLines(std::string_view bytes) : WholeFileLines(bytes.data(), bytes.data() + bytes.size()) {}

  // The next line, false after the last one.
  bool Next(std::string_view& line);
  // Where the next line starts.
  const char* Position() const { return pos_; }
  // The line Next gave stopped where the bytes stop: with no line end, or with a CR as their
  // last byte, whose LF may come in bytes not read yet.
  bool Cut() const { return cut_; }
  // A NUL byte ended the text.
  bool AtNul() const { return nul_; }

  // The number of lines of `bytes`.
  static size_t Count(std::string_view bytes);

 private:
  const char* pos_;
  const char* end_;
  bool cut_ = false;
  bool nul_ = false;
};

// Text lines over [begin, end), as a text file is read line by line: LF ends a line, so does
// CR LF; any other CR is dropped and the line goes on; Ctrl-Z (26) ends the file. The reader
// works in place: a line from which a CR was dropped is compacted inside the caller's
// buffer, so lines stay views into it.
class TextLines {
 public:
  TextLines(char* begin, char* end) : pos_(begin), end_(end) {}
  TextLines(char* data, size_t size) : TextLines(data, data + size) {}

  // The next line, false at the end of the file.
  bool Next(std::string_view& line);
  const char* Position() const { return pos_; }

 private:
  char* pos_;
  char* end_;
};

// Where the text line that starts at `begin` ends: its LF or the Ctrl-Z that ends the file;
// `end` when neither comes before it.
const char* TextLineEnd(const char* begin, const char* end);

// Where the title line of a journal read as whole-file lines ends: at its LF, at a Ctrl-Z,
// or at a NUL, which ends the whole text; `end` when none comes before it.
const char* WholeFileTitleEnd(const char* begin, const char* end);

// The first text line of `bytes` by the rules of TextLines, copied; `bytes` is not changed.
std::string FirstTextLine(std::string_view bytes);

// Counts the lines of a journal by both rules while its bytes come in, one piece after
// another, each byte once.
class LineCounter {
 public:
  // The next piece, [data + from, data + to) of one buffer whose earlier pieces were fed.
  void Feed(const char* data, size_t from, size_t to);
  // After the last piece; `size` is where the bytes end.
  void Finish(size_t size);

  // Whole-file lines of the text before the first NUL, and where that text ends.
  size_t WholeLines() const { return wholeEnds_ + (wholeOpen_ ? 1 : 0); }
  size_t WholeTextEnd() const { return wholeEnd_; }
  // Text lines of the text before the first Ctrl-Z, and where that text ends.
  size_t TextLineCount() const { return lineFeeds_ + (textOpen_ ? 1 : 0); }
  size_t TextEnd() const { return textEnd_; }

  // Counts of what has been fed so far, for a place right after a line feed (where no line
  // is left open): whole-file lines and text lines that end before it.
  size_t WholeEndsSoFar() const { return wholeEnds_; }
  size_t LineFeedsSoFar() const { return lineFeeds_; }
  // A NUL (whole-file lines) or a Ctrl-Z (text lines) was fed: the text ends there.
  bool WholeTextEndedSoFar() const { return wholeEnd_ != kOpen; }
  bool TextEndedSoFar() const { return textEnd_ != kOpen; }
  // The whole-file line, counted from 1, that holds the first NUL; 0 when none was fed.
  size_t NulLine() const { return nulLine_; }

 private:
  static constexpr size_t kOpen = ~size_t{0};
  // Line ends before the first NUL; a CR ending the fed bytes waits for the next byte.
  size_t wholeEnds_ = 0;
  bool pendingCr_ = false;
  bool wholeOpen_ = false;  // the text so far ends inside a line
  size_t wholeEnd_ = kOpen;
  size_t nulLine_ = 0;
  size_t lineFeeds_ = 0;
  bool textOpen_ = false;
  size_t textEnd_ = kOpen;
};

}  // namespace vantorel
