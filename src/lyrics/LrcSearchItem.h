#pragma once

#include <QString>

namespace vireo {

// One result of a lyric search.
struct LrcSearchItem {
  QString Title;
  QString Singer;
  QString Album;
  qint64 Id = 0;  // what Download takes

  bool operator==(const LrcSearchItem&) const = default;
};

}  // namespace vireo
