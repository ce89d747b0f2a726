#pragma once

#include <QString>

#include "store/TPlayMode.h"

namespace vireo {

class TAudioEngine;

// The entry the player treats as current, as the desktop sees it.
struct MediaTrack {
  bool valid = false;  // false: no current entry (an empty list, or previous on the first entry)
  int index = -1;      // CurrentItem
  QString fileName;    // local path or URL
  QString title;
  QString artist;
  QString album;
  bool isUrl = false;  // ISURL
  int lengthMs = 0;    // LongTime in ms; 0 until known
};

// What the desktop (MPRIS2, media keys) may ask of the player. The main window implements it;
// every command acts exactly as the matching button or menu item does, so the desktop never finds
// a way around the play-mode rules or the playlist.
//
// Threading contract: called on the UI thread only, from D-Bus calls dispatched by its event
// loop; implementations may show windows or dialogs but must not block for long.
class IMediaPlayerHost {
 public:
  virtual ~IMediaPlayerHost() = default;

  // The player's one engine; its signals drive the playback status. Never null while the host
  // lives.
  virtual TAudioEngine* Engine() const = 0;

  virtual void PlayPause() = 0;  // btn_playClick
  virtual void Next() = 0;       // btn_nextClick
  virtual void Previous() = 0;   // btn_previousClick
  virtual void Stop() = 0;       // TAudioEngine::Stop, with what the window shows for it
  // Seeking as the position slider does on release: TAudioEngine::SetPosition(ms), and the slider
  // and time label follow.
  virtual void SeekTo(int ms) = 0;
  // A local path (a file:// address already made a path), a playlist file of another player, a
  // network address or a vireo: link: appended to the list and played, as an opened file is.
  // False when it cannot be (an unknown scheme, a missing file).
  virtual bool OpenUri(const QString& nameOrUrl) = 0;

  virtual TPlayMode PlayMode() const = 0;
  virtual void SetPlayMode(TPlayMode mode) = 0;  // as pmmode_noneClick with the matching item
  virtual int Volume() const = 0;          // the volume slider, 0..100
  virtual void SetVolume(int volume) = 0;  // as sldr_volumeMouseUp with the slider moved there

  virtual void Raise() = 0;  // show and activate the main window (restoring it from the tray)
  virtual void Quit() = 0;   // close the player as pmm_close does (the list and settings saved)

  virtual int EntryCount() const = 0;
  virtual MediaTrack CurrentTrack() const = 0;
};

}  // namespace vireo
