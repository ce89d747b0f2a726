#pragma once

#include <QByteArray>
#include <QStringList>

namespace vireo {

// The service's track lists (random listening answers, web playlist files): XML in which every
// element named "rlist" (in any case) carries the link of a track in its attribute "url".
class RemoteList {
 public:
  // The add links of the listed tracks, in document order: each "url" (empty when missing) with
  // "AL" appended, ready for the library's add command. The scan is forgiving, as the pages that
  // write these lists are: a bare "&" in a value, a missing declaration or a broken tail only
  // lose what they break. Bytes that are not UTF-8 are read as GB18030.
  static QStringList Links(QByteArrayView xml);
};

}  // namespace vireo
