#pragma once

#include <QString>
#include <functional>
#include <memory>

#include "lyrics/ILrcDown.h"

namespace vireo {

// What the automatic lyric lookup needs from the player, handed in by the main window when it
// starts a lookup (copied into the thread then).
struct LrcLookupContext {
  struct EntryNames {
    QString title;
    QString singer;
  };

  QString lyricFolder;                // config::kLrcPath; missing: no folder search, no saving
  // The service host answered the update check (ServiceReachable): only then is the lyric
  // reported to it. The online search does not depend on it: the lyric service is another host.
  bool reportToService = false;
  std::shared_ptr<ILrcDown> lrcDown;  // null: no online search
  // Title and singer of the playlist's current entry at the moment it is called; called on the
  // UI thread when a lyric fetched online is saved. Unset: nothing is saved.
  std::function<EntryNames()> currentEntry;
  // The per-user table of offsets of lyric files the player may not write (LyricOffsetTable);
  // empty: none.
  QString offsetTable;
};

}  // namespace vireo
