// The parameter-change and statistics loader fed arbitrary bytes. Besides the checks of the
// other loaders, the date range it reports must span the day of every record it read, and
// stay the given start date for a journal without records.
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "FuzzSupport.h"
#include "journals/LineReaders.h"
#include "journals/ParamStatLog.h"
#include "uStrUtils/Literals.h"

using namespace vantorel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  constexpr TDateTime kStartDate = 41600.75;  // 23.11.2013 18:00
  const size_t lines = WholeFileLines::Count({reinterpret_cast<const char*>(data), size});
  SilentLoad silent;
  ParamLoad load;
  try {
    load = ParseParamStatLog(fuzz::BytesOf(data, size), kStartDate, fuzz::JournalRules(), silent);
  } catch (const AppError& error) {
    fuzz::CheckLoaderError(error, fuzz::kWholeFileBreaks);
    return 0;
  }
  FUZZ_CHECK(lines >= 1);
  const ParamRecords& loaded = load.records;
  FUZZ_CHECK(loaded.size() == lines - 1);
  if (loaded.empty()) {
    FUZZ_CHECK(load.earliest == kStartDate && load.latest == kStartDate);
  } else {
    FUZZ_CHECK(CompareDatePart(load.earliest, load.latest) <= 0);
  }
  for (const ParamRecord& r : loaded.records) {
    FUZZ_CHECK(std::isfinite(r.DateTime));
    FUZZ_CHECK(CompareDatePart(r.DateTime, load.earliest) >= 0);
    FUZZ_CHECK(CompareDatePart(r.DateTime, load.latest) <= 0);
    for (FixedText t : {r.GroupName, r.Detail1, r.NodeName, r.BoardPort, r.ParamName, r.Detail2}) {
      FUZZ_CHECK(t.length <= kFixedTextCapacity);
      fuzz::CheckField(loaded.Text(t), loaded.bytes, fuzz::kWholeFileBreaks, false);
    }
    FUZZ_CHECK(r.Detail3.length <= kFixedTextCapacity);
    fuzz::CheckField(loaded.Text(r.Detail3), loaded.bytes, fuzz::kWholeFileBreaks, true);
  }
  const Literals& words = Cp1251Literals();
  fuzz::CheckListValues(load.lists.groups, words.allGroups, loaded, [](const ParamRecord& r) { return r.GroupName; });
  fuzz::CheckListValues(load.lists.nodes, words.allNodes, loaded, [](const ParamRecord& r) { return r.NodeName; });
  fuzz::CheckListValues(load.lists.ports, words.allPorts, loaded, [](const ParamRecord& r) { return r.BoardPort; });
  fuzz::CheckListValues(load.lists.params, words.allParams, loaded, [](const ParamRecord& r) { return r.ParamName; });
  return 0;
}
