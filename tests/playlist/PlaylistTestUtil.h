#pragma once

#include <QStringList>
#include <ostream>

#include "playlist/TDDPlaylistModel.h"

namespace vireo::test {

// Appends entries titled by the given names (artist "A"), lengths 1, 2, 3 ... minutes.
inline void Fill(TDDPlaylistModel& list, const QStringList& titles) {
  auto& items = list.Items();
  items.BeginUpdate();
  for (const QString& t : titles) {
    TDDPlaylistItem& item = items.Add();
    item.Title = t;
    item.Artist = QStringLiteral("A");
    item.Caption = t + QStringLiteral(" - A");
    item.FileName = QStringLiteral("/music/") + t + QStringLiteral(".mp3");
    item.LongTime = items.Count() / 1440.0;
  }
  items.EndUpdate();
}

inline void FillCount(TDDPlaylistModel& list, int n) {
  QStringList titles;
  for (int i = 0; i < n; ++i) titles << QStringLiteral("t%1").arg(i, 3, 10, QLatin1Char('0'));
  Fill(list, titles);
}

inline QStringList Titles(const TDDPlaylistModel& list) {
  QStringList out;
  for (int i = 0; i < list.Count(); ++i) out << list.Items()[i].Title;
  return out;
}

}  // namespace vireo::test

// Readable QString values in gtest failure messages.
inline void PrintTo(const QString& s, std::ostream* os) {
  *os << '"' << s.toStdString() << '"';
}
