// The journal date-time reader against the general conversion. Byte 0 picks the settings,
// byte 1 the current year; the rest, cut at each line feed, is a run of texts that one reader
// reads in order, so that its remembered date meets the texts after it. Each text must give
// the general conversion's answer: the same success, the same bits of the value (or the
// value left alone), the same error.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>

#include "FuzzSupport.h"
#include "datetime/DateTimeParse.h"
#include "datetime/DateTimeReader.h"
#include "uStrUtils/AppError.h"

using namespace vantorel;

namespace {

bool SameBits(TDateTime a, TDateTime b) { return std::memcmp(&a, &b, sizeof a) == 0; }

void Compare(DateTimeReader& reader, const DateTimeRules& rules, std::string_view text) {
  // A NaN that no conversion yields: a value left alone keeps these bits.
  TDateTime expected = -std::numeric_limits<double>::quiet_NaN();
  TDateTime got = expected;
  const bool ok = TryStrToDateTime(text, rules, expected);
  FUZZ_CHECK(reader.TryRead(text, got) == ok);
  FUZZ_CHECK(SameBits(got, expected));

  std::string expectedError, gotError;
  TDateTime thrown = 0, read = 0;
  try {
    thrown = StrToDateTime(text, rules);
  } catch (const AppError& error) {
    expectedError = error.Message();
  }
  try {
    read = reader.Read(text);
  } catch (const AppError& error) {
    gotError = error.Message();
  }
  FUZZ_CHECK(gotError == expectedError);
  FUZZ_CHECK(SameBits(read, thrown));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  static const int kYears[4] = {2026, 1950, 9999, 1};
  const DateTimeRules rules = fuzz::SettingsNumber(data[0], kYears[data[1] % 4]);
  DateTimeReader reader(rules);
  std::string_view rest(reinterpret_cast<const char*>(data) + 2, size - 2);
  for (;;) {
    const size_t cut = rest.find('\n');
    Compare(reader, rules, rest.substr(0, cut));
    if (cut == std::string_view::npos) break;
    rest.remove_prefix(cut + 1);
  }
  return 0;
}
