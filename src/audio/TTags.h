#pragma once

#include <QString>

namespace vireo {

// What the playlist shows of a file: filled by TAudioEngine::ReadTags.
struct TTags {
  QString Title;
  QString Artist;
  QString Album;
  double Length = 0.0;  // in days: seconds / 86400
};

}  // namespace vireo
