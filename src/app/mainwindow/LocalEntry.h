#pragma once

#include <QString>

#include "audio/TTags.h"
#include "playlist/TDDPlaylistItem.h"

namespace vireo {

// AddLocalEntry's entry for a local file, from the tags the engine read (empty tags for a file it
// cannot read: the file still becomes an entry, and playing it fails later like any bad track).
class LocalEntry {
 public:
  // FileName the path; LongTime the tags' length; not a network track. Title the tag title as
  // read unless it is blank, else the file's name without folder and extension; Artist the tag
  // artist; Caption "Title - Artist", the separator kept when Artist is empty.
  static TDDPlaylistItem FromTags(const QString& path, const TTags& tags);
};

}  // namespace vireo
