#pragma once
// The two ways a journal's bytes become lines.
#include <cstddef>
#include <string>
#include <string_view>

namespace vantorel {

// Whole-file lines: a line ends at CR LF, LF or a lone CR; a NUL byte ends the text; a line
// end at the very end adds no empty line.
class WholeFileLines {
 public:
  explicit WholeFileLines(std::string_view bytes);

  // The next line, false after the last one.
  bool Next(std::string_view& line);

  // The number of lines, counted without reading them one by one.
  size_t LineCount() const { return CountLines(text_); }
  // The number of lines of `bytes`.
  static size_t Count(std::string_view bytes) { return WholeFileLines(bytes).LineCount(); }

 private:
  static size_t CountLines(std::string_view text);

  std::string_view text_;
  size_t pos_ = 0;
  // Where the next LF and the next CR at or after pos_ stand; text_.size() when none is left.
  size_t lf_ = 0;
  size_t cr_ = 0;
};

// Text lines, as a text file is read line by line: LF ends a line, so does CR LF; any other
// CR is dropped and the line goes on; Ctrl-Z (26) ends the file. The reader works in place:
// a line from which a CR was dropped is compacted inside the caller's buffer, so lines stay
// views into it. Bytes before the current position are not needed again by the reader.
class TextLines {
 public:
  TextLines(char* data, size_t size);

  // The next line, false at the end of the file.
  bool Next(std::string_view& line);

 private:
  char* data_;
  size_t size_;
  size_t pos_ = 0;
};

// The first text line of `bytes` by the rules of TextLines, copied; `bytes` is not changed.
std::string FirstTextLine(std::string_view bytes);

}  // namespace vantorel
