#pragma once

#include <QString>

namespace vireo {

// One line of a lyric timeline.
struct TLyricItem {
  QString Text;      // the line, trimmed; may be empty
  QString TimeText;  // the time tag as read, e.g. "01:23.45"; "-" first for a negative time
  qint32 Time = 0;   // milliseconds; may be negative

  bool operator==(const TLyricItem&) const = default;
};

}  // namespace vireo
