#pragma once

#include <QString>

namespace vireo {

// The open dialog's filter in Qt's own form. The engine and the playlist readers describe what
// they open in the form the drop rule reads ("所有音乐|*.mp1;*.mp2|播放列表|*.m3u"); Qt's dialog
// wants "所有音乐 (*.mp1 *.mp2);;播放列表 (*.m3u)" and would show the other form as raw text and
// match no file with it.
class DialogFilter {
 public:
  // Pairs of name and patterns, "|" between all of them, ";" between patterns. A name without
  // patterns (a trailing "|name") is dropped; blank patterns are skipped.
  static QString ToQt(const QString& pairs);
};

}  // namespace vireo
