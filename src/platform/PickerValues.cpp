#include "platform/PickerValues.h"

#include <cmath>

namespace vantorel {
namespace {
const QDate kDayZero(1899, 12, 30);
}

TDateTime FromQTime(const QTime& time) { return time.msecsSinceStartOfDay() / kMsPerDay; }

QTime ToQTime(TDateTime value) { return QTime::fromMSecsSinceStartOfDay(TimeOfDayMs(value)); }

TDateTime FromQDate(const QDate& date) { return static_cast<TDateTime>(kDayZero.daysTo(date)); }

QDate ToQDate(TDateTime value) { return kDayZero.addDays(static_cast<qint64>(std::trunc(value))); }

QString QtTimeFormat(const RegionalSettings& s) {
  const QString hours = s.clock24 ? (s.hourLeadingZero ? "HH" : "H") : (s.hourLeadingZero ? "hh" : "h");
  const QString sep = QString(QChar(s.timeSeparator));
  QString time = hours + sep + "mm" + sep + "ss";
  if (s.clock24) return time;
  return s.markerBeforeTime ? "ap " + time : time + " ap";
}

QString QtDateFormat(const RegionalSettings& s) {
  QString out;
  const std::string& f = s.shortDateFormat;
  for (size_t i = 0; i < f.size();) {
    const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(f[i])));
    size_t run = 1;
    while (i + run < f.size() && std::tolower(static_cast<unsigned char>(f[i + run])) == c) ++run;
    if (c == 'd') {
      out += run >= 2 ? "dd" : "d";
    } else if (c == 'm') {
      out += run >= 2 ? "MM" : "M";
    } else if (c == 'y') {
      out += run <= 2 ? "yy" : "yyyy";
    } else if (c == '/') {
      out += QString(run, QChar(s.dateSeparator));
    } else {
      out += "'" + QString(run, QChar(f[i])) + "'";
    }
    i += run;
  }
  return out;
}

}  // namespace vantorel
