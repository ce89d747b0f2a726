#include "playlist/DateTimeFormat.h"

#include <QDate>
#include <cmath>

namespace vireo {
namespace {

QString Padded(qint64 value, int width) {
  return QStringLiteral("%1").arg(value, width, 10, QLatin1Char('0'));
}

// Length of the run of the same letter (case-insensitive) starting at i.
qsizetype RunLength(const QString& pattern, qsizetype i) {
  const QChar c = pattern.at(i).toLower();
  qsizetype j = i + 1;
  while (j < pattern.size() && pattern.at(j).toLower() == c) ++j;
  return j - i;
}

}  // namespace

QString FormatDateTime(const QString& pattern, double days) {
  if (!std::isfinite(days)) days = 0;
  double whole = std::trunc(days);
  qint64 ms = std::llround(std::fabs(days - whole) * 86400000.0);
  if (ms >= 86400000) {  // rounding reached the next day
    ms -= 86400000;
    whole += days < 0 ? -1 : 1;
  }
  const qint64 hour = ms / 3600000;
  const qint64 minute = ms / 60000 % 60;
  const qint64 second = ms / 1000 % 60;
  const qint64 milli = ms % 1000;
  const QDate date = QDate(1899, 12, 30).addDays(static_cast<qint64>(whole));

  QString out;
  bool afterHour = false;
  qsizetype i = 0;
  while (i < pattern.size()) {
    const QChar c = pattern.at(i);
    const char16_t lc = c.toLower().unicode();
    if (lc == u'"' || lc == u'\'') {
      const qsizetype end = pattern.indexOf(c, i + 1);
      const qsizetype stop = end < 0 ? pattern.size() : end;
      out += QStringView(pattern).mid(i + 1, stop - i - 1);
      i = stop + 1;
      continue;
    }
    const qsizetype run = RunLength(pattern, i);
    switch (lc) {
      case u'h':
        out += run >= 2 ? Padded(hour, 2) : QString::number(hour);
        afterHour = true;
        i += run >= 2 ? 2 : 1;
        continue;
      case u'n':
        out += run >= 2 ? Padded(minute, 2) : QString::number(minute);
        afterHour = false;
        i += run >= 2 ? 2 : 1;
        continue;
      case u'm':
        if (afterHour)
          out += run >= 2 ? Padded(minute, 2) : QString::number(minute);
        else
          out += run >= 2 ? Padded(date.month(), 2) : QString::number(date.month());
        afterHour = false;
        i += run >= 2 ? 2 : 1;
        continue;
      case u's':
        out += run >= 2 ? Padded(second, 2) : QString::number(second);
        afterHour = false;
        i += run >= 2 ? 2 : 1;
        continue;
      case u'z':
        out += run >= 3 ? Padded(milli, 3) : QString::number(milli);
        afterHour = false;
        i += run >= 3 ? 3 : 1;
        continue;
      case u'd':
        out += run >= 2 ? Padded(date.day(), 2) : QString::number(date.day());
        afterHour = false;
        i += run >= 2 ? 2 : 1;
        continue;
      case u'y':
        out += run >= 3 ? Padded(date.year(), 4) : Padded(date.year() % 100, 2);
        afterHour = false;
        i += run >= 4 ? 4 : run;
        continue;
      default:
        out += c;
        ++i;
    }
  }
  return out;
}

}  // namespace vireo
