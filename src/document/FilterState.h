#pragma once
// What the operator has set: the same for every kind of journal. The window reads it off its
// controls, vantorel-query off its options; a document answers which records pass it.
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "datetime/DateTime.h"
#include "document/RecordMarks.h"
#include "document/TextFilter.h"
#include "journals/JournalKinds.h"

namespace vantorel {

// A value list's selection: the index of the selected item (0 lets every value through, -1
// when typed text names no item) and that item's text, in Windows-1251.
struct ListSelection {
  int index = 0;
  std::string text;
  bool operator==(const ListSelection&) const = default;
};

struct FilterState {
  // Only the times of day of the two bounds count; both ends are inclusive.
  TDateTime startTime = 0;
  TDateTime endTime = EncodeTime(23, 59, 59, 0);
  // Only the days count, and only for kinds whose date range applies.
  TDateTime startDate = 0;
  TDateTime endDate = 0;
  // The selections of the kind's lists, in the kind's order.
  std::array<ListSelection, kMaxLists> lists;
  // "Показывать неважные аварии".
  bool showUnimportant = false;
  // The text filters: a row shows when it holds every text to show and none to hide.
  std::vector<TextFilter> texts;
  // "Только отмеченные": only the records of `marks` show.
  bool markedOnly = false;
  std::shared_ptr<const RecordMarks> marks;
  bool operator==(const FilterState&) const = default;
  // Whether `other` lets the same records of a journal through: its marks count only while
  // only marked records show.
  bool SameRows(const FilterState& other) const {
    if (markedOnly || other.markedOnly) return *this == other;
    FilterState unmarked = other;
    unmarked.marks = marks;
    return *this == unmarked;
  }
};

}  // namespace vantorel
