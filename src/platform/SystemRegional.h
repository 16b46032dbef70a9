#pragma once
// The regional settings and the current year as the system gives them.
#include <QLocale>

#include "datetime/RegionalSettings.h"

namespace vantorel {

// The settings of `locale`; the stand-ins of RegionalSettings for the C locale, which has
// none of its own.
RegionalSettings RegionalSettingsFromLocale(const QLocale& locale);

// The system locale's settings and the system clock's year.
DateTimeRules SystemDateTimeRules();

}  // namespace vantorel
