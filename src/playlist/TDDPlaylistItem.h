#pragma once

#include <QString>

namespace vireo {

// One playlist entry: a local file or a network track. Plain data; copying an entry copies every
// field, the album and the two flags included.
class TDDPlaylistItem {
 public:
  QString Caption;   // the row text; every adder sets Title + " - " + Artist
  QString FileName;  // local path or URL, what the engine is asked to play
  QString Title;
  QString Artist;
  QString Alum;         // album (network tracks)
  bool ISURL = false;   // a network track without a local copy yet
  double LongTime = 0;  // length in days (1.0 = 24 h), 0 until known
  QString StrLength;    // LongTime in the list's time format; rewritten when the format changes
  bool Selected = false;
  // Marks the current entry while the list is rebuilt by a sort; never set outside one.
  bool CurrentMark = false;
};

}  // namespace vireo
