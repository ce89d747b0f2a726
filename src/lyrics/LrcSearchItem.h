#pragma once

#include <QString>

namespace vireo {

// One result of a lyric search.
struct LrcSearchItem {
  QString Title;
  QString Singer;
  QString Album;
  qint64 Id = 0;  // what Download takes
  // What the result's lyric holds, when the service told it with the results (else false).
  bool WordTiming = false;   // karaoke word tags
  bool Translation = false;  // lines given twice at one time: a translation

  bool operator==(const LrcSearchItem&) const = default;
};

}  // namespace vireo
