#pragma once
// The first record of the earliest and of the latest day among a journal's records.
#include "datetime/DateTime.h"

namespace vantorel {

struct DaySpan {
  // False until a record is noted; the days are then what the span was given to start with.
  bool any = false;
  TDateTime earliest = 0;
  TDateTime latest = 0;

  // The next record in file order.
  void Note(TDateTime t) {
    if (!any) {
      any = true;
      earliest = latest = t;
      return;
    }
    if (CompareDatePart(t, earliest) < 0) earliest = t;
    if (CompareDatePart(t, latest) > 0) latest = t;
  }
  // The span of records that follow these in file order.
  void Join(const DaySpan& later) {
    if (!later.any) return;
    if (!any) {
      *this = later;
      return;
    }
    if (CompareDatePart(later.earliest, earliest) < 0) earliest = later.earliest;
    if (CompareDatePart(later.latest, latest) > 0) latest = later.latest;
  }
};

}  // namespace vantorel
