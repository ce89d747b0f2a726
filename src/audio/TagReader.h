#pragma once

#include "audio/TTags.h"

namespace vireo {

// Title, artist, album and length of a file, for the playlist, independent of what plays. The
// file must decode (as for playing it); otherwise every field is empty and the length 0. Tags come
// from TagLib, with legacy 8-bit fields decoded by LegacyText; formats TagLib does not know fall
// back to the container's own metadata. Thread-safe; blocks on the disk.
class TagReader {
 public:
  static TTags Read(const QString& path);
};

}  // namespace vireo
