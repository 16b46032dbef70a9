#pragma once
// Date-time to the texts of the table, by the regional settings.
#include <string>

#include "datetime/DateTime.h"
#include "datetime/RegionalSettings.h"

namespace vantorel {

// The time of day alone in the long time format: hours (leading zero only when the settings
// ask for one; 1..12 on the 12-hour clock), minutes and seconds in two digits, joined by
// the time separator; on the 12-hour clock the morning or afternoon word before or after
// the time, one blank between. Appended to `out`.
void AppendTimeText(std::string& out, TDateTime value, const RegionalSettings& settings);

// The date in the short date format. Appended to `out`.
void AppendDateText(std::string& out, TDateTime value, const RegionalSettings& settings);

// The date, then one blank and the time text unless hours, minutes and seconds are all zero.
void AppendDateTimeText(std::string& out, TDateTime value, const RegionalSettings& settings);

// The moment for other programs, whatever the regional settings: ISO 8601 with milliseconds
// and no zone, "2013-11-25T14:05:09.000", rounded to the millisecond as the time text is (a
// time within half a millisecond of midnight stays on its day). Appended to `out`.
void AppendIsoMoment(std::string& out, TDateTime value);

std::string TimeText(TDateTime value, const RegionalSettings& settings);
std::string DateTimeText(TDateTime value, const RegionalSettings& settings);

}  // namespace vantorel
