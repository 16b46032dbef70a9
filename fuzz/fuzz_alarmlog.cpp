// The alarm loader fed arbitrary bytes. It may refuse them only with its own two errors; what
// it accepts must be one record per whole-file line after the title, every text a field of
// that line held inside the journal's buffer, filter lists that list each value once, and the
// same journal when it is parsed in several parts.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "FuzzSupport.h"
#include "journals/LineReaders.h"

using namespace vantorel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const size_t lines = fuzz::WholeLinesRead(bytes);
  Journal journal;
  if (!fuzz::ParseWholeFileKind(bytes, JournalKind::Alarms, 0, lines, journal)) return 0;
  FUZZ_CHECK(lines >= 1);
  FUZZ_CHECK(journal.size() == lines - 1);
  FUZZ_CHECK(journal.progressMax == lines);
  FUZZ_CHECK(journal.bytes.size == size);
  FUZZ_CHECK(journal.nulLine == fuzz::NulLineOf(bytes));
  fuzz::CheckRecords(journal, fuzz::kWholeFileBreaks);
  fuzz::CheckLists(journal);
  for (size_t i = 0; i < journal.size(); ++i) {
    FUZZ_CHECK(journal.records.tones[i] == ToneOfMessage(FieldOfLine(kAlarmKind, journal.Line(i), kAlarmKind.messageField)));
  }
  return 0;
}
