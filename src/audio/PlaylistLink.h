#pragma once

#include <QByteArray>

namespace vireo {

// The first entry of a network playlist file: "FileN=" lines of a .pls (the lowest N wins), or
// the first line of an .m3u that is not a comment. Relative entries are resolved against the
// playlist's own address. Empty when the text names nothing. Thread-safe (pure).
class PlaylistLink {
 public:
  static QByteArray FirstEntry(const QByteArray& text, const QByteArray& playlistUrl);
};

}  // namespace vireo
