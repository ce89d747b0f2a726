#pragma once

#include <QString>
#include <memory>

#include "playlist/TDDPlaylistItem.h"

class QWidget;

namespace vireo {

class IMusicSearch;

// What the library window and the update flow need from the main window. The main window
// implements it and hands itself to TPetrelShare; tests use a small fake. Every call comes on the
// UI thread.
class ILibraryHost {
 public:
  virtual ~ILibraryHost() = default;

  // The link command: appends the entry a library link stands for (LibraryLink::Parse(link)
  // .Entry()) inside one playlist update, and for a "PL" link makes it current and plays it;
  // shows the playlist instead of the empty-list panel. Returns the link's id (LibraryLink::id),
  // which goes to the service's hit counter.
  virtual QString AddLibraryLink(const QString& link) = 0;
  // Appends a search result whose address has been resolved (ISURL true, LongTime 0, Caption
  // "title - singer"); with play, makes it current, stops the engine and plays it. Shows the
  // playlist instead of the empty-list panel.
  virtual void AddLibraryTrack(const TDDPlaylistItem& entry, bool play) = 0;
  // Saves the playlist file (after a link added an entry).
  virtual void SavePlaylist() = 0;

  // The music search component (MUSIC_SEARCH_CreateObj), or null: searches then do nothing.
  virtual std::shared_ptr<IMusicSearch> MusicSearch() = 0;
  // The per-user data folder, ending with '/' (the update dialog saves into its "update/").
  virtual QString DataDir() const = 0;
  // ServiceReachable, set by UpdateCheckDone from the update check.
  virtual void SetServiceReachable(bool reachable) = 0;

  // The main window, for placing the library window at its right edge (its frame geometry).
  virtual QWidget* MainWindow() = 0;
  // btn_share and the menu item "乐库" (pmv_share) show whether the library window is visible.
  virtual void SetLibraryChecked(bool checked) = 0;
  // Closes the main window as its close button does (playlist and settings saved, player ends):
  // the end of the update flow.
  virtual void Close() = 0;
};

}  // namespace vireo
