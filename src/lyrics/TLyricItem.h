#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include "lyrics/TLyricWord.h"

namespace vireo {

// One line of a lyric timeline.
struct TLyricItem {
  QString Text;      // the line, trimmed; may be empty
  QString TimeText;  // the time tag as read, e.g. "01:23.45"; "-" first for a negative time
  qint32 Time = 0;   // milliseconds; may be negative
  // The word tags of a karaoke line in text order (empty for an ordinary line). A line that
  // carries several time tags gets its word times moved along with each of them.
  QList<TLyricWord> Words;
  // The lines of the same time that followed it in the file (GroupTranslations), e.g. the
  // translation of a foreign-language line.
  QStringList Translations;

  bool operator==(const TLyricItem&) const = default;
};

}  // namespace vireo
