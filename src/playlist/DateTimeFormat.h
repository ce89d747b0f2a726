#pragma once

#include <QString>

namespace vireo {

// Formats a time of day given in days (1.0 = 24 h; only the fraction counts, its sign is
// dropped) with a date-time pattern, as the playlist's length column does.
//
// Pattern letters (case does not matter):
//   h  hour 0..23        hh  two-digit hour
//   n  minute 0..59      nn  two-digit minute
//   m  minute when it follows an hour letter (as in "h:mm"), else the month of the date part
//   mm as m, two digits
//   s  second 0..59      ss  two-digit second
//   z  millisecond 0..999  zzz three-digit millisecond
//   d  day of month      dd  two-digit day   (date part, counted from 30 December 1899)
//   yy two-digit year    yyyy four-digit year
//   "text" or 'text'  copied without the quotes
// Every other character is copied as it stands. The time is rounded to whole milliseconds first,
// so 65 minutes show as "05:00" under "nn:ss".
QString FormatDateTime(const QString& pattern, double days);

}  // namespace vireo
