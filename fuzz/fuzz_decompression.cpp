// A gzip journal's bytes read the two ways the loader may read them: whole into all the room
// its size asks for, and piece by piece as a stream. Both give the same text, or both refuse.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzSupport.h"
#include "journals/Decompression.h"
#include "support/MemoryFileSystem.h"

using namespace vantorel;

namespace {

// Past this much text both readings stop and compare what they made: a small input may
// stand for a great deal of text.
constexpr size_t kMostText = size_t{4} << 20;
// The most room a whole reading is given.
constexpr size_t kMostRoom = size_t{1} << 20;

struct Reading {
  std::string text;
  bool refused = false;
  // What came before a refusal is of no use to the loader: it drops the journal.
  bool operator==(const Reading& other) const {
    return refused == other.refused && (refused || text == other.text);
  }
};

// Reads `file` in reads of `first` bytes, then of `then` bytes, until it ends or kMostText.
Reading ReadAll(ReadableFile& file, size_t first, size_t then) {
  Reading out;
  std::vector<char> room(std::max(first, then));
  size_t want = first;
  while (out.text.size() < kMostText) {
    int error = 0;
    const long got = file.Read(room.data(), want, error);
    if (got < 0) {
      out.refused = true;
      break;
    }
    if (got == 0) break;
    out.text.append(room.data(), static_cast<size_t>(got));
    want = then;
  }
  if (out.text.size() > kMostText) out.text.resize(kMostText);
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  test::MemoryFileSystem files;
  files.Write("/u/x.alarms.2.gz", bytes);
  int error = 0;
  std::unique_ptr<ReadableFile> whole = Decompressing(files.Open("/u/x.alarms.2.gz", error), Compression::Gzip);
  std::unique_ptr<ReadableFile> stream = Decompressing(files.Open("/u/x.alarms.2.gz", error), Compression::Gzip);
  FUZZ_CHECK(whole != nullptr && stream != nullptr);
  FileStatus status;
  FUZZ_CHECK(whole->Status(status));
  // As the loader asks: the size the file tells, a byte more and a quarter more.
  const size_t room = static_cast<size_t>(std::min<uint64_t>(status.size + 1 + status.size / 4, kMostRoom));
  const Reading atOnce = ReadAll(*whole, room, 4096);
  const Reading inPieces = ReadAll(*stream, 7, 4096);
  FUZZ_CHECK(atOnce == inPieces);
  return 0;
}
