// The parameter-change and statistics loader fed arbitrary bytes. Besides the checks of the
// other loaders, the date range it reports must span the day of every record it read, and
// stay the given start date for a journal without records.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "FuzzSupport.h"
#include "journals/LineReaders.h"

using namespace vantorel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  constexpr TDateTime kStartDate = 41600.75;  // 23.11.2013 18:00
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const size_t lines = fuzz::WholeLinesRead(bytes);
  Journal journal;
  if (!fuzz::ParseWholeFileKind(bytes, JournalKind::Param, kStartDate, lines, journal)) return 0;
  FUZZ_CHECK(lines >= 1);
  FUZZ_CHECK(journal.size() == lines - 1);
  FUZZ_CHECK(journal.progressMax == lines);
  FUZZ_CHECK(journal.bytes.size == size);
  FUZZ_CHECK(journal.nulLine == fuzz::NulLineOf(bytes));
  if (journal.empty()) {
    FUZZ_CHECK(journal.days.earliest == kStartDate && journal.days.latest == kStartDate);
  } else {
    FUZZ_CHECK(CompareDatePart(journal.days.earliest, journal.days.latest) <= 0);
  }
  for (size_t i = 0; i < journal.size(); ++i) {
    FUZZ_CHECK(CompareDatePart(journal.records.times[i], journal.days.earliest) >= 0);
    FUZZ_CHECK(CompareDatePart(journal.records.times[i], journal.days.latest) <= 0);
  }
  fuzz::CheckRecords(journal, fuzz::kWholeFileBreaks);
  fuzz::CheckLists(journal);
  return 0;
}
