#include "platform/SystemRegional.h"

#include <QDate>
#include <QRegularExpression>

#include "platform/DisplayText.h"

namespace vantorel {
namespace {

bool IsFormatLetter(QChar c) { return c.isLetter(); }

// The first character of `format` that is neither a letter nor quoted text.
char FirstSeparator(const QString& format, char fallback) {
  bool quoted = false;
  for (QChar c : format) {
    if (c == '\'') {
      quoted = !quoted;
      continue;
    }
    if (!quoted && !IsFormatLetter(c) && c != ' ' && c.unicode() < 0x80) return static_cast<char>(c.unicode());
  }
  return fallback;
}

// Qt's date pattern (d, dd, M, MM, yy, yyyy) in the short-date form: d, dd, m, mm, yy, yyyy,
// '/' for the separator. Names of days and months, which a short date should not hold, are
// written as numbers.
std::string ShortDatePattern(const QString& format, char separator) {
  std::string out;
  bool quoted = false;
  for (qsizetype i = 0; i < format.size();) {
    const QChar c = format[i];
    if (c == '\'') {
      quoted = !quoted;
      ++i;
      continue;
    }
    qsizetype run = 1;
    while (i + run < format.size() && format[i + run] == c) ++run;
    if (!quoted && (c == 'd' || c == 'M' || c == 'y')) {
      const char letter = c == 'd' ? 'd' : c == 'M' ? 'm' : 'y';
      const qsizetype width = letter == 'y' ? (run <= 2 ? 2 : 4) : (run >= 2 ? 2 : 1);
      if (!(letter == 'd' && run >= 3)) out.append(static_cast<size_t>(width), letter);
    } else if (!quoted && c.unicode() == static_cast<char16_t>(static_cast<unsigned char>(separator))) {
      out.append(static_cast<size_t>(run), '/');
    }
    i += run;
  }
  return out;
}

}  // namespace

RegionalSettings RegionalSettingsFromLocale(const QLocale& locale) {
  RegionalSettings s;
  if (locale.language() == QLocale::C) return s;

  const QString date = locale.dateFormat(QLocale::ShortFormat);
  s.dateSeparator = FirstSeparator(date, '/');
  s.shortDateFormat = ShortDatePattern(date, s.dateSeparator);

  const QString time = locale.timeFormat(QLocale::LongFormat);
  s.timeSeparator = FirstSeparator(time, ':');
  const qsizetype hourAt = time.indexOf(QRegularExpression("[hH]"));
  const qsizetype markerAt = time.indexOf(QRegularExpression("[aA]"));
  s.clock24 = markerAt < 0;
  s.hourLeadingZero = hourAt >= 0 && hourAt + 1 < time.size() && time[hourAt + 1] == time[hourAt];
  s.markerBeforeTime = markerAt >= 0 && markerAt < hourAt;

  const QString decimal = locale.decimalPoint();
  if (decimal.size() == 1 && decimal[0].unicode() < 0x80) s.decimalSeparator = static_cast<char>(decimal[0].unicode());
  if (!locale.amText().isEmpty()) s.timeAMString = ToCp1251(locale.amText());
  if (!locale.pmText().isEmpty()) s.timePMString = ToCp1251(locale.pmText());
  return s;
}

DateTimeRules SystemDateTimeRules() {
  return DateTimeRules{RegionalSettingsFromLocale(QLocale::system()), QDate::currentDate().year()};
}

}  // namespace vantorel
