// The action loader fed arbitrary bytes. It may refuse them only with the conversion error
// of a second field; what it accepts must be one record per text line after the title, its
// texts fields of that line inside the journal's buffer, lists that hold each value once, and
// the same journal when it is parsed in several parts.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzSupport.h"
#include "journals/LineReaders.h"

using namespace vantorel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  size_t wholeLines = 0, textLines = 0;
  {
    WholeFileLines reader(bytes);
    std::string_view line;
    while (reader.Next(line)) ++wholeLines;
    // The text reader works in place: on a copy.
    std::string copy(bytes);
    TextLines text(copy.data(), copy.size());
    while (text.Next(line)) ++textLines;
  }
  Journal journal;
  if (!fuzz::ParseBothWays(bytes, JournalKind::Action, 0, journal, [&](const AppError& error) {
        FUZZ_CHECK(textLines >= 2);
        fuzz::CheckLoaderError(error, fuzz::kTextBreaks, false);
      })) {
    return 0;
  }
  FUZZ_CHECK(journal.progressMax == wholeLines);
  FUZZ_CHECK(journal.bytes.size == size);
  FUZZ_CHECK(journal.size() == (textLines > 0 ? textLines - 1 : 0));
  fuzz::CheckRecords(journal, fuzz::kTextBreaks);
  fuzz::CheckLists(journal);
  return 0;
}
