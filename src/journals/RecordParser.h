#pragma once
// One record line of a journal of kind K made into its values: the fields are cut off the
// line's front, the date-time field is converted, the listed fields are added to the lists
// and an alarm's message gives its tone. The load, the growth of a followed journal and
// vantorel-query all read records through it.
#include <array>
#include <cstdint>
#include <string_view>
#include <utility>

#include "datetime/DateTimeReader.h"
#include "journals/AlarmMessages.h"
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

 private:
  static constexpr const KindDescription& kKind = Describe<K>();

  static std::string_view Capped(std::string_view text) {
    if constexpr (kKind.capped) return text.substr(0, kFieldCap);
    return text;
  }

  template <int... F>
  void Fields(std::string_view rest, ParsedRecord& out, std::integer_sequence<int, F...>) {
    std::string_view field;
    (Field<F>(rest, field, out), ...);
  }

  template <int F>
  void Field(std::string_view& rest, std::string_view& field, ParsedRecord& out) {
    if constexpr (F == kKind.columns - 1) {
      field = rest;
    } else {
      CutField(rest, '\t', field);
    }
    if constexpr (F == kKind.dateTimeField) out.time = dates_.Read(field);
    constexpr int list = ListOfField(kKind, F);
    if constexpr (list >= 0) {
      if (listMask_ & (1u << list)) out.items[list] = lists_[list].Add(Capped(field), keep_);
    }
    if constexpr (F == kKind.messageField) out.tone = ToneOfMessage(Capped(field));
  }

  DateTimeReader dates_;
  std::array<DistinctList, kMaxLists>& lists_;
  TextArena* keep_;
  unsigned listMask_;
};

}  // namespace vantorel
