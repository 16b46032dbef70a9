#pragma once
// Journals of any size that look like the Ostrevane's: for benchmarks and tests.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>

#include "journals/Extension.h"

namespace vantorel {

// How the date-times are written: as the Russian regional settings read them
// ("25.11.2013 14:05:09"), or as the stand-ins for a system without settings read them
// ("11/25/13 2:05:09 pm").
enum class DateStyle { Russian, StandIn };

struct GenerateOptions {
  JournalKind kind = JournalKind::Alarms;
  size_t records = 1000;
  uint64_t seed = 1;
  // The records are spread in time order over this many days, from `firstDay` days after
  // 25 November 2013.
  int days = 7;
  int firstDay = 0;
  DateStyle dates = DateStyle::Russian;
};

// Writes the title line and `records` record lines, Windows-1251, CR LF line ends, in pieces
// of about a megabyte. The same options give the same bytes.
void GenerateJournal(const GenerateOptions& options, const std::function<void(std::string_view)>& write);

}  // namespace vantorel
