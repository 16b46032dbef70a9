// The alarm loader fed arbitrary bytes. It may refuse them only with its own two errors; what
// it accepts must be one record per whole-file line after the title, every text a field of
// that line held inside the journal's buffer, and filter lists that list each value once.
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "FuzzSupport.h"
#include "journals/AlarmLog.h"
#include "journals/LineReaders.h"
#include "uStrUtils/Literals.h"

using namespace vantorel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const size_t lines = WholeFileLines::Count({reinterpret_cast<const char*>(data), size});
  SilentLoad silent;
  AlarmLoad load;
  try {
    load = ParseAlarmLog(fuzz::BytesOf(data, size), fuzz::JournalRules(), silent);
  } catch (const AppError& error) {
    fuzz::CheckLoaderError(error, fuzz::kWholeFileBreaks);
    return 0;
  }
  FUZZ_CHECK(lines >= 1);
  const AlarmRecords& loaded = load.records;
  FUZZ_CHECK(loaded.size() == lines - 1);
  FUZZ_CHECK(loaded.bytes.size == size);
  for (const AlarmRecord& r : loaded.records) {
    FUZZ_CHECK(std::isfinite(r.DateTime));
    for (FixedText t : {r.GroupName, r.Detail1, r.NodeName, r.BoardPort, r.Message}) {
      FUZZ_CHECK(t.length <= kFixedTextCapacity);
      fuzz::CheckField(loaded.Text(t), loaded.bytes, fuzz::kWholeFileBreaks, false);
    }
    FUZZ_CHECK(r.Detail2.length <= kFixedTextCapacity);
    fuzz::CheckField(loaded.Text(r.Detail2), loaded.bytes, fuzz::kWholeFileBreaks, true);
  }
  const Literals& words = Cp1251Literals();
  fuzz::CheckListValues(load.lists.groups, words.allGroups, loaded, [](const AlarmRecord& r) { return r.GroupName; });
  fuzz::CheckListValues(load.lists.nodes, words.allNodes, loaded, [](const AlarmRecord& r) { return r.NodeName; });
  fuzz::CheckListValues(load.lists.ports, words.allPorts, loaded, [](const AlarmRecord& r) { return r.BoardPort; });
  return 0;
}
