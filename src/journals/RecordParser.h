#pragma once
// One record line of a journal of kind K made into its values: the fields are cut off the
// line's front, the date-time field is converted, the listed fields are added to the lists
// and an alarm's message gives its tone. The load, the growth of a followed journal and
// vantorel-query all read records through it.
#include <array>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <utility>

#include "datetime/DateTimeReader.h"
#include "journals/AlarmMessages.h"
#include "journals/FieldCut.h"
#include "journals/Records.h"
#include "journals/JournalKinds.h"
#include "uStrUtils/DistinctList.h"
#include "uStrUtils/StrUtils.h"

namespace vantorel {

// The values of one record line.
struct ParsedRecord {
  TDateTime time = 0;
  std::array<uint32_t, kMaxLists> items{};
  TextTone tone = TextTone::Plain;
};

// The last field a kind's load looks at; the fields after it are cut only when shown.
constexpr int LastParsedField(const KindDescription& kind) {
  int last = kind.dateTimeField;
  for (int l = 0; l < kind.listCount; ++l) last = kind.lists[l].field > last ? kind.lists[l].field : last;
  return kind.messageField > last ? kind.messageField : last;
}

// Record `i` of `records`, of kind K, made of `values` and its line.
template <JournalKind K>
void StoreRecord(JournalRecords& records, size_t i, const ParsedRecord& values, LineText line) {
  constexpr const KindDescription& kind = Describe<K>();
  records.times[i] = values.time;
  // One whole store: a store of the bit fields one by one reads the slot first, and the read
  // of a fresh page maps a shared zero page that the write then has to replace.
  std::memcpy(&records.lines[i], &line, sizeof line);
  for (int l = 0; l < kind.listCount; ++l) records.items[static_cast<size_t>(l)].Set(i, values.items[static_cast<size_t>(l)]);
  if constexpr (kind.messageField >= 0) records.tones[i] = values.tone;
}

template <JournalKind K>
class RecordParser {
 public:
  // With an arena, list values are copied into it: the lists then outlive the line buffer.
  // Only the lists whose bit is set in `listMask` are built; the others' items stay 0.
  RecordParser(const DateTimeRules& rules, std::array<DistinctList, kMaxLists>& lists, TextArena* keep = nullptr,
               unsigned listMask = ~0u)
      : dates_(rules), lists_(lists), keep_(keep), listMask_(listMask) {}

  // Raises the conversion AppError when the date-time field is not a date and time.
  void Parse(std::string_view line, ParsedRecord& out) {
    Fields(line, out, std::make_integer_sequence<int, LastParsedField(kKind) + 1>{});
  }
  // The same, with every field of the line as the table shows it in `fields`.
  void Parse(std::string_view line, ParsedRecord& out, std::array<std::string_view, kMaxColumns>& fields) {
    AllFields(line, out, fields, std::make_integer_sequence<int, kKind.columns>{});
  }

 private:
  static constexpr const KindDescription& kKind = Describe<K>();

  template <int... F>
  void Fields(std::string_view rest, ParsedRecord& out, std::integer_sequence<int, F...>) {
    std::string_view field;
    (Field<F>(rest, field, out), ...);
  }

  template <int... F>
  void AllFields(std::string_view rest, ParsedRecord& out, std::array<std::string_view, kMaxColumns>& fields,
                 std::integer_sequence<int, F...>) {
    (KeptField<F>(rest, fields[F], out), ...);
  }

  template <int F>
  void KeptField(std::string_view& rest, std::string_view& field, ParsedRecord& out) {
    if constexpr (F <= LastParsedField(kKind)) {
      Field<F>(rest, field, out);
    } else {
      field = CutFieldOf(kKind, rest, F);
    }
  }

  template <int F>
  void Field(std::string_view& rest, std::string_view& field, ParsedRecord& out) {
    field = CutFieldOf(kKind, rest, F);
    if constexpr (F == kKind.dateTimeField) out.time = dates_.Read(field);
    constexpr int list = ListOfField(kKind, F);
    if constexpr (list >= 0) {
      if (listMask_ & (1u << list)) out.items[list] = lists_[list].Add(field, keep_);
    }
    if constexpr (F == kKind.messageField) out.tone = ToneOfMessage(field);
  }

  DateTimeReader dates_;
  std::array<DistinctList, kMaxLists>& lists_;
  TextArena* keep_;
  unsigned listMask_;
};

}  // namespace vantorel
