#pragma once
// What vantorel-query prints, held until the query has succeeded.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "uStrUtils/AppError.h"

#include "query/Query.h"

namespace vantorel {

// Output is handed on in pieces of about this size.
inline constexpr size_t kFlushAt = size_t{1} << 20;

// The folder of temporary files: TMPDIR, or /tmp.
std::string TemporaryFolder();

// A temporary file in TemporaryFolder() that has no name, so that nothing of it stays behind
// however the program ends; null when none can be made, errno then saying why.
std::FILE* UnnamedTemporary();

// Collects output and hands it to the sink in large pieces, once the query has succeeded: a
// journal that fails part way through leaves no row and no count line behind. Until then
// what does not fit in memory waits in a temporary file, so memory does not grow with the
// output either.
class BufferedOut {
 public:
  explicit BufferedOut(TextSink& sink) : sink_(sink) { buffer_.reserve(kFlushAt + 64 * 1024); }
  // What was not handed on is dropped: a query that ends by an error leaves no more output,
  // and nothing is written while an error unwinds. Never throws.
  ~BufferedOut() {
    if (spill_ != nullptr) std::fclose(spill_);
  }
  BufferedOut(const BufferedOut&) = delete;
  BufferedOut& operator=(const BufferedOut&) = delete;

  std::string& Text() { return buffer_; }
  void LineDone() {
    buffer_.push_back('\n');
    Flushed();
  }
  // Hands the text on once there is enough of it.
  void Flushed() {
    if (buffer_.size() >= kFlushAt) Flush();
  }
  void Flush() {
    if (buffer_.empty()) return;
    if (committed_) {
      sink_.Write(buffer_);
    } else {
      if (spill_ == nullptr) spill_ = UnnamedTemporary();
      if (spill_ == nullptr) NoRoom(errno);
      if (std::fwrite(buffer_.data(), 1, buffer_.size(), spill_) != buffer_.size()) NoRoom(errno);
    }
    buffer_.clear();
  }
  // The query has succeeded: what waited is handed on, and from now on everything at once.
  void Commit() {
    if (committed_) return;
    committed_ = true;
    if (spill_ != nullptr) {
      std::string piece(kFlushAt, '\0');
      size_t got = 0;
      if (std::fflush(spill_) != 0) NoRoom(errno);
      std::rewind(spill_);
      while ((got = std::fread(piece.data(), 1, piece.size(), spill_)) > 0) sink_.Write(std::string_view(piece.data(), got));
      if (std::ferror(spill_)) NoRoom(errno);
      std::fclose(spill_);
      spill_ = nullptr;
    }
    Flush();
  }

 private:
  // The output could not wait in the temporary folder.
  [[noreturn]] static void NoRoom(int err) {
    throw AppError("Cannot keep the output in " + TemporaryFolder() + ": " + std::strerror(err));
  }

  TextSink& sink_;
  std::string buffer_;
  std::FILE* spill_ = nullptr;
  bool committed_ = false;
};

}  // namespace vantorel
