#pragma once

#include <QString>
#include <functional>

namespace vireo {

class TDDPlaylistModel;

// The main window's playlist persistence over TDKPlist: the file's "PlayerList" section of a
// document whose root is "DefaultList".
//
// showEmptyPanel, when set, is called with true when the list has no entries and false
// otherwise, so the window can put its empty-list panel in the list's place.
//
// Threading: UI thread (the model is a UI object); the file work is short and blocking, as it
// was in the original player.

// Appends the file's entries after any present ones, in one update of the model; CurrentItem is
// left alone. A missing or unreadable file loads nothing. Returns the number of entries added.
int LoadPlaylist(TDDPlaylistModel& list, const QString& path,
                 const std::function<void(bool empty)>& showEmptyPanel = {});

// Rewrites the file from the list (elements the section held before are dropped; anything else in
// the file is kept). False when the file could not be written; the old file is then unchanged.
bool SavePlaylist(const TDDPlaylistModel& list, const QString& path,
                  const std::function<void(bool empty)>& showEmptyPanel = {});

// "Url" as stored, read as a boolean: "1"/"0", "true"/"false" (any case), other numbers true
// when non-zero; anything else is false.
bool ParseUrlFlag(const QString& text);

}  // namespace vireo
