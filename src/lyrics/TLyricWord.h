#pragma once

#include <QtGlobal>

namespace vireo {

// Where a word of a karaoke line starts: the time of its <mm:ss.xx> tag and the position in the
// shown text (UTF-16 index) the tag stood at. A tag at the end of the line (Pos equal to the
// text's length) marks when the last word ends.
struct TLyricWord {
  qint32 Time = 0;  // milliseconds, on the same clock as the line's time
  qint32 Pos = 0;

  bool operator==(const TLyricWord&) const = default;
};

}  // namespace vireo
