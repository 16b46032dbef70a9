// The action loader fed arbitrary bytes. It may refuse them only with the conversion error
// of a second field; what it accepts must be one record per text line after the title, its
// texts fields of that line inside the journal's buffer, and lists that hold each value once.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "FuzzSupport.h"
#include "journals/ActionLog.h"
#include "journals/LineReaders.h"
#include "uStrUtils/Literals.h"

using namespace vantorel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const size_t wholeLines = WholeFileLines::Count(input);
  // The text lines of the input, counted on a copy: the reader works in place.
  size_t textLines = 0;
  {
    FileBytes copy = fuzz::BytesOf(data, size);
    TextLines lines(copy.data.get(), copy.size);
    std::string_view line;
    while (lines.Next(line)) ++textLines;
  }

  SilentLoad silent;
  ActionLoad load;
  try {
    load = ParseActionLog(fuzz::BytesOf(data, size), fuzz::JournalRules(), silent);
  } catch (const AppError& error) {
    FUZZ_CHECK(textLines >= 2);
    fuzz::CheckLoaderError(error, fuzz::kTextBreaks, input.find('\0') != std::string_view::npos);
    return 0;
  }
  FUZZ_CHECK(load.progressMax == wholeLines);
  const ActionRecords& loaded = load.records;
  FUZZ_CHECK(loaded.size() == (textLines > 0 ? textLines - 1 : 0));
  for (const ActLine& r : loaded.records) {
    FUZZ_CHECK(std::isfinite(r.DateTime));
    for (LongText t : {r.User, r.Detail1, r.Detail2, r.Detail3}) {
      fuzz::CheckField(loaded.Text(t), loaded.bytes, fuzz::kTextBreaks, false);
    }
    fuzz::CheckField(loaded.Text(r.Action), loaded.bytes, fuzz::kTextBreaks, true);
  }
  const Literals& words = Cp1251Literals();
  fuzz::CheckListValues(load.lists.users, words.allUsers, loaded, [](const ActLine& r) { return r.User; });
  fuzz::CheckListValues(load.lists.actions, words.allActions, loaded, [](const ActLine& r) { return r.Action; });
  return 0;
}
