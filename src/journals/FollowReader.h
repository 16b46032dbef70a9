#pragma once
// What a followed journal's reader is told by the follower: the window's journal, the rows
// vantorel-query prints, a test's model. The follower decides what the files' changes mean;
// the reader only takes their record lines.
#include <cstddef>
#include <string>
#include <string_view>

namespace vantorel {

// What became of the bytes a reader was given.
struct FollowRead {
  // A record line that is no date and time: the records before it stay until Fail.
  std::string error;
  // The bytes change a record already read (its line had no line end when it was read), or
  // of several journals they would reorder the journals: only a fresh open shows them right.
  bool freshOpen = false;
};

class FollowReader {
 public:
  virtual ~FollowReader() = default;
  // Journal `member`'s bytes that follow those it was given before: record lines, the last
  // one whole once its line end has come.
  virtual FollowRead Append(size_t member, std::string_view bytes) = 0;
  // What journal `member` is given from now on comes from another file (the one that took a
  // rotated file's name, or the one its rotation emptied): the line the earlier bytes left
  // open is whole, and what ended their text ends nothing after it.
  virtual FollowRead NextFile(size_t member) = 0;
  // Journal `member`'s records go: its file was emptied or rewritten. Its lines come again
  // from the file's start.
  virtual void Drop(size_t member) = 0;
  // The journal cannot be read as it stands: it shows no records until it is opened afresh.
  virtual void Fail(const std::string& error) = 0;
};

}  // namespace vantorel
