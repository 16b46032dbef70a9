#include "journals/FileBytes.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

#include "journals/LoadObserver.h"
#include "uStrUtils/AppError.h"
#include "uStrUtils/Cp1251.h"

namespace vantorel {
namespace {

// Smaller files are read before a thread beside would have started.
constexpr size_t kPrefaultFrom = size_t{32} << 20;
// The prefault starts once this much is read (a quarter of a smaller file).
constexpr size_t kPrefaultAfter = size_t{128} << 20;

// Counts a piece that has just come in and marks the split places it holds.
class PieceCounter {
 public:
  PieceCounter(JournalBytes& out, size_t expected, int parts) : out_(out), parts_(parts < 1 ? 1 : parts) {
    share_ = expected / static_cast<size_t>(parts_);
    next_ = share_;
  }

  void Counted(size_t from, size_t to) {
    const char* data = out_.bytes.data();
    while (static_cast<int>(out_.splits.size()) + 1 < parts_ && share_ > 0 && next_ < to) {
      const size_t look = std::max(from, next_);
      const void* lineFeed = std::memchr(data + look, '\n', to - look);
      if (lineFeed == nullptr) break;
      const size_t at = static_cast<size_t>(static_cast<const char*>(lineFeed) - data) + 1;
      out_.lines.Feed(data, from, at);
      out_.splits.push_back({at, out_.lines.WholeEndsSoFar(), out_.lines.LineFeedsSoFar()});
      from = at;
      next_ = at + share_;
    }
    out_.lines.Feed(data, from, to);
  }

 private:
  JournalBytes& out_;
  int parts_;
  size_t share_ = 0;
  size_t next_ = 0;
};

// Whether the text of `rule` has ended in what `lines` has counted.
bool TextEnded(const LineCounter& lines, std::optional<LineRule> rule) {
  if (!rule || !lines.WholeTextEndedSoFar()) return false;
  return *rule == LineRule::WholeFile || lines.TextEndedSoFar();
}

}  // namespace

int PartsFor(size_t size, int maxParts, size_t minPartBytes) {
  if (maxParts <= 1) return 1;
  const size_t byShare = minPartBytes == 0 ? static_cast<size_t>(maxParts) : size / minPartBytes;
  return static_cast<int>(std::max<size_t>(1, std::min<size_t>(static_cast<size_t>(maxParts), byShare)));
}

namespace {

void ReadAll(JournalSource& source, const ReadOptions& options, JournalBytes& out) {
  // The size is a hint: a file that grows or shrinks while it is read is read as it is.
  const size_t expected = source.KnownSize() > source.Offset() ? source.KnownSize() - source.Offset() : 0;
  const size_t piece = std::max<size_t>(options.pieceBytes, 1);
  FileBytes& bytes = out.bytes;
  // One byte more than the file: a read that returns nothing there confirms the end. A
  // quarter more is kept for a journal that grows while it is followed: pages not written
  // cost nothing.
  bytes.block = LargeBlock(expected + 1 + expected / 4);
  PieceCounter counter(out, expected, PartsFor(expected, options.maxParts, options.minPartBytes));
  // The second half's pages come in beside the read of the first half, from when the read is
  // well under way: the system serves first touches of memory one after another, and the
  // window's own first steps after the start of a load must not wait behind a prefault.
  std::optional<Prefault> beside;
  const bool whole = source.ReadsWhole();
  bool besideDue = options.prefault && expected >= kPrefaultFrom && !whole;
  for (;;) {
    if (besideDue && bytes.size >= std::min(kPrefaultAfter, expected / 4)) {
      beside.emplace(std::vector<Prefault::Range>{{bytes.data() + expected / 2, expected - expected / 2}});
      besideDue = false;
    }
    if (options.cancel != nullptr && options.cancel->load(std::memory_order_relaxed)) throw LoadCancelled();
    if (bytes.size == bytes.block.capacity()) {
      beside.reset();
      if (options.watcher != nullptr) options.watcher->Moving();
      const char* from = bytes.data();
      bytes.block.Reserve(bytes.size + bytes.size / 2 + piece);
      if (options.watcher != nullptr) options.watcher->Moved(from, bytes.size, bytes.data());
    }
    const size_t room = bytes.block.capacity() - bytes.size;
    const size_t want = whole ? room : std::min(piece, room);
    const size_t got = source.Read(bytes.data() + bytes.size, want);
    if (got == 0) break;
    counter.Counted(bytes.size, bytes.size + got);
    bytes.size += got;
    if (options.watcher != nullptr) options.watcher->Counted(out, bytes.size);
    if (TextEnded(out.lines, options.stopAtTextEnd)) break;
  }
  out.lines.Finish(bytes.size);
  source.CheckUnchanged();
}

}  // namespace

JournalBytes ReadJournalBytes(JournalSource& source, const ReadOptions& options) {
  JournalBytes out;
  try {
    ReadAll(source, options, out);
  } catch (...) {
    // Threads beside may still be parsing the bytes read so far.
    if (options.watcher != nullptr) options.watcher->Abandoned();
    throw;
  }
  return out;
}

FileBytes ReadFileBytes(const std::string& path, ReadErrorStyle style) {
  JournalSource source(path);
  source.Open(style);
  return ReadJournalBytes(source).bytes;
}

JournalBytes JournalBytesOf(std::string_view text, int maxParts, size_t minPartBytes) {
  JournalBytes out;
  out.bytes.block = LargeBlock(text.size() + 1);
  if (!text.empty()) std::memcpy(out.bytes.data(), text.data(), text.size());
  out.bytes.size = text.size();
  PieceCounter counter(out, text.size(), PartsFor(text.size(), maxParts, minPartBytes));
  constexpr size_t kPiece = size_t{1} << 20;
  for (size_t at = 0; at < text.size(); at += kPiece) counter.Counted(at, std::min(text.size(), at + kPiece));
  out.lines.Finish(text.size());
  return out;
}

}  // namespace vantorel
