#pragma once
// The date-time pickers' values as date-time values, and their display formats.
#include <QDate>
#include <QString>
#include <QTime>

#include "datetime/DateTime.h"
#include "datetime/RegionalSettings.h"

namespace vantorel {

TDateTime FromQTime(const QTime& time);
QTime ToQTime(TDateTime value);
TDateTime FromQDate(const QDate& date);
QDate ToQDate(TDateTime value);

// Qt display formats that show a time or a date as the regional settings write them.
QString QtTimeFormat(const RegionalSettings& settings);
QString QtDateFormat(const RegionalSettings& settings);

}  // namespace vantorel
