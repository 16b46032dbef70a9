#pragma once
// A journal file read whole into memory: the one buffer its records point into.
#include <atomic>
#include <optional>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "journals/JournalKinds.h"
#include "journals/JournalSource.h"
#include "journals/LargeBlock.h"
#include "journals/LineReaders.h"

namespace vantorel {

struct FileBytes {
  LargeBlock block;
  size_t size = 0;

  char* data() const { return block.data(); }
  std::string_view View() const { return {block.data(), size}; }
};

// A place right after a line feed where a big journal may be cut into parts parsed side by
// side, with the whole-file line ends and the line feeds before it.
struct SplitPoint {
  size_t at = 0;
  size_t wholeEnds = 0;
  size_t lineFeeds = 0;
};

// A journal as read: its bytes, its lines counted by both rules while they came in, and the
// places where it may be cut, in file order.
struct JournalBytes {
  FileBytes bytes;
  LineCounter lines;
  std::vector<SplitPoint> splits;
};

// How many parts of at least `minPartBytes` a journal of `size` bytes is cut into, at most
// `maxParts`.
int PartsFor(size_t size, int maxParts, size_t minPartBytes);

// Told of a read as it goes, on the reading thread.
class ReadWatcher {
 public:
  virtual ~ReadWatcher() = default;
  // The bytes [0, counted) of `read` are in, counted and split where they may be.
  virtual void Counted(const JournalBytes& read, size_t counted) = 0;
  // The buffer is about to move to a larger one: nothing may look at it until Moved.
  virtual void Moving() = 0;
  // The `size` bytes at `from` are now at `to`.
  virtual void Moved(const char* from, size_t size, char* to) = 0;
  // The read failed or was cancelled: the buffer goes when this returns, so nothing may look
  // at it any more.
  virtual void Abandoned() = 0;
};

struct ReadOptions {
  // The journal is split into PartsFor(its size, maxParts, minPartBytes) shares.
  int maxParts = 1;
  size_t minPartBytes = 0;
  // When set, the read ends soon with LoadCancelled.
  const std::atomic<bool>* cancel = nullptr;
  // A thread beside the read brings the buffer's pages in.
  bool prefault = false;
  // The read goes in pieces of this many bytes, each counted while it is still in the cache.
  size_t pieceBytes = size_t{1} << 20;
  // Told of each piece; may be null.
  ReadWatcher* watcher = nullptr;
  // With a kind's line rule, the read stops once the text has ended by it, what comes after
  // never read: whole-file lines at the first NUL; text lines at the first Ctrl-Z, once a NUL
  // has ended the whole-file count of the lines too.
  std::optional<LineRule> stopAtTextEnd;
};

// Reads what `source`, open, holds from where it stands to its end (or its text's end, see
// ReadOptions), counting its lines as each piece comes in, and marks split places as
// `options` asks. Raises AppError as the source does or when the file changed while it was
// read (JournalSource::CheckUnchanged), OutOfMemory when the buffer cannot be had,
// LoadCancelled when cancelled, and what the watcher raises.
JournalBytes ReadJournalBytes(JournalSource& source, const ReadOptions& options = {});

// The bytes alone.
FileBytes ReadFileBytes(const std::string& path, ReadErrorStyle style);

// A journal's bytes already in memory, counted and split as ReadJournalBytes does.
JournalBytes JournalBytesOf(std::string_view bytes, int maxParts = 1, size_t minPartBytes = 0);

}  // namespace vantorel
