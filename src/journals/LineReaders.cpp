#include "journals/LineReaders.h"

#include <cstring>

namespace vantorel {
namespace {

const char* Find(const char* from, const char* to, char c) {
  return static_cast<const char*>(std::memchr(from, c, static_cast<size_t>(to - from)));
}

// Removes every CR of [begin, end) in place and returns the new end.
char* DropCarriageReturns(char* begin, char* end) {
  char* out = static_cast<char*>(std::memchr(begin, '\r', static_cast<size_t>(end - begin)));
  if (out == nullptr) return end;
  for (char* in = out; in != end; ++in) {
    if (*in != '\r') *out++ = *in;
  }
  return out;
}

}  // namespace

WholeFileLines::WholeFileLines(std::string_view bytes) : text_(bytes) {
  const void* nul = std::memchr(bytes.data(), '\0', bytes.size());
  if (nul != nullptr) text_ = bytes.substr(0, static_cast<size_t>(static_cast<const char*>(nul) - bytes.data()));
}

bool WholeFileLines::Next(std::string_view& line) {
  if (pos_ >= text_.size()) return false;
  const char* begin = text_.data() + pos_;
  const char* end = text_.data() + text_.size();
  const char* lf = Find(begin, end, '\n');
  const char* stop = lf != nullptr ? lf : end;
  const char* cr = Find(begin, stop, '\r');
  if (cr != nullptr) {
    // A CR ends the line; with an LF right after it, the pair is one line end.
    line = std::string_view(begin, static_cast<size_t>(cr - begin));
    const bool pair = cr + 1 < end && cr[1] == '\n';
    pos_ = static_cast<size_t>(cr - text_.data()) + (pair ? 2 : 1);
    return true;
  }
  line = std::string_view(begin, static_cast<size_t>(stop - begin));
  pos_ = static_cast<size_t>(stop - text_.data()) + (lf != nullptr ? 1 : 0);
  return true;
}

size_t WholeFileLines::Count(std::string_view bytes) {
  WholeFileLines lines(bytes);
  size_t count = 0;
  std::string_view line;
  while (lines.Next(line)) ++count;
  return count;
}

TextLines::TextLines(char* data, size_t size) : data_(data), size_(size) {
  const void* eof = std::memchr(data, 26, size);
  if (eof != nullptr) size_ = static_cast<size_t>(static_cast<const char*>(eof) - data);
}

bool TextLines::Next(std::string_view& line) {
  if (pos_ >= size_) return false;
  char* begin = data_ + pos_;
  char* end = data_ + size_;
  char* lf = static_cast<char*>(std::memchr(begin, '\n', static_cast<size_t>(end - begin)));
  char* stop = lf != nullptr ? lf : end;
  pos_ = static_cast<size_t>(stop - data_) + (lf != nullptr ? 1 : 0);
  char* textEnd = DropCarriageReturns(begin, stop);
  line = std::string_view(begin, static_cast<size_t>(textEnd - begin));
  return true;
}

std::string FirstTextLine(std::string_view bytes) {
  const void* eof = std::memchr(bytes.data(), 26, bytes.size());
  if (eof != nullptr) bytes = bytes.substr(0, static_cast<size_t>(static_cast<const char*>(eof) - bytes.data()));
  const void* lf = std::memchr(bytes.data(), '\n', bytes.size());
  if (lf != nullptr) bytes = bytes.substr(0, static_cast<size_t>(static_cast<const char*>(lf) - bytes.data()));
  std::string line(bytes);
  line.resize(static_cast<size_t>(DropCarriageReturns(line.data(), line.data() + line.size()) - line.data()));
  return line;
}

}  // namespace vantorel
