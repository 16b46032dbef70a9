// CutField over arbitrary text: the first byte is the delimiter, the rest the source. Every
// cut must account for each byte of the source exactly once and must end.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "FuzzSupport.h"
#include "uStrUtils/StrUtils.h"

using vantorel::CutField;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const char delimiter = static_cast<char>(data[0]);
  const std::string_view whole(reinterpret_cast<const char*>(data) + 1, size - 1);

  std::string_view source = whole;
  std::string_view field;
  size_t cuts = 0;
  size_t fieldBytes = 0;
  while (!source.empty()) {
    const std::string_view before = source;
    CutField(source, delimiter, field);
    ++cuts;
    FUZZ_CHECK(cuts <= whole.size());
    // The field is the front of the source up to the first delimiter.
    FUZZ_CHECK(field.data() == before.data());
    FUZZ_CHECK(field.find(delimiter) == std::string_view::npos);
    fieldBytes += field.size();
    if (source.empty()) {
      // Either no delimiter was left, or only delimiters followed the field.
      for (char c : before.substr(field.size())) FUZZ_CHECK(c == delimiter);
      continue;
    }
    // What was dropped between field and rest is a run of at least one delimiter, and the
    // rest starts with a character that is no delimiter.
    FUZZ_CHECK(source.data() > field.data() + field.size());
    FUZZ_CHECK(source.data() + source.size() == before.data() + before.size());
    for (const char* p = field.data() + field.size(); p != source.data(); ++p) FUZZ_CHECK(*p == delimiter);
    FUZZ_CHECK(source.front() != delimiter);
  }
  // The fields hold every byte that is not a delimiter.
  size_t others = 0;
  for (char c : whole) others += c != delimiter ? 1 : 0;
  FUZZ_CHECK(fieldBytes == others);

  // An empty source gives an empty field and stays empty.
  field = whole;
  CutField(source, delimiter, field);
  FUZZ_CHECK(field.empty() && source.empty());
  return 0;
}
