#pragma once

#include <QPoint>
#include <QRect>
#include <QString>
#include <optional>

#include "base/ConfigKeys.h"
#include "store/TPlayMode.h"

namespace vireo {

// The process-wide values the main window keeps in "Vireo.xml": filled at start-up by
// ReadStartupSettings, written back at close by WriteCloseSettings. Folders use '/' and, where
// the player adds one, a trailing '/'.
//
// Threading: plain functions doing blocking file work; the main window calls them at start-up
// and close, where the original player did the same.
struct PlayerSettings {
  QString AppDir;        // folder of the running image, with a trailing '/'
  QString DataDir;       // per-user data folder, with a trailing '/'
  QString LrcDir;        // lyric folder, as stored (users of it append '/')
  QString MusicDir;      // song cache folder, as stored
  QString PlaylistPath;  // the playlist file
  QString SkinName = QString(config::kSkinNameDefault);
  QString SkinDir;  // AppDir + "skin/" + SkinName + "/"
  int EqPresetId = config::kEqIdDefault;
  TPlayMode PlayMode = TPlayMode::InOrder;
  bool DBGain = config::kDBGainDefault;  // volume levelling
  int Volume = config::kVolumeDefault;   // 0..100
  // The service host to hand to ServiceHost::SetHost; empty means offline.
  QString ServiceHost;
  // The online lyric service and the library's archive search: read at start-up, never written.
  QString LrclibUrl = QString(config::kLrclibUrlDefault);
  QString ArchiveUrl = QString(config::kArchiveUrlDefault);
  // Where the desktop lyrics were last dragged to; unset until the user moves them.
  std::optional<QPoint> DesktopLyricsPos;
  bool Mute = false;
  int LyricMode = 0;  // 0 the desktop lyrics, 1 the lyric window
  bool ShowTranslations = config::kShowTranslationsDefault;  // translations under the lyrics
  // Where the main, lyric and library windows were at the last close, and their sizes; unset
  // before the first close.
  std::optional<QRect> MainWindow, LyricWindow, LibraryWindow;
};

// The user's documents folder + "Vireo/" (the home folder + "Vireo/" without one).
QString DefaultDataDir();
// Creates path with every missing parent; true when it is a folder afterwards.
bool EnsureFolder(const QString& path);
// dataDir + "Vireo.xml".
QString ConfigFilePath(const QString& dataDir);

// Stored "PATTERN" code to PlayMode and back (0<->0, 1<->2, 2<->1, 3<->3); any other code reads
// as 0, any other PlayMode writes 0.
TPlayMode PlayModeFromPattern(int pattern);
int PatternFromPlayMode(TPlayMode playMode);

// Reads every setting from dataDir + "Vireo.xml" (missing or unreadable: all defaults). A lyric
// or cache folder that does not exist is replaced by dataDir + "lrc/" or "music/", which is
// created; a playlist file that does not exist by dataDir + "Default.pls". Never writes the file.
// dataDir and appDir must end in '/'.
PlayerSettings ReadStartupSettings(const QString& dataDir, const QString& appDir);

// Writes, in this order, Volume, PlaylistPath, the play mode code, DBGain, EqPresetId and
// SkinName (then the desktop lyrics' place, when the user moved them, then the mute, the lyric
// mode and the windows' places that are set) into dataDir + "Vireo.xml",
// keeping everything else in it. False when the file could
// not be written; the old file then stays as it was.
bool WriteCloseSettings(const PlayerSettings& settings);

// Removes what saves interrupted by a crash or power cut left beside "Vireo.xml" and the playlist
// file (see AtomicFileWriter): the application calls it once at start-up, right after
// ReadStartupSettings and before anything is saved. Returns the number of files removed.
int RemoveInterruptedSaves(const PlayerSettings& settings);

// The folder commands: writes the lyric or song cache folder to its key. False on a failed write.
bool WriteLrcDir(const QString& dataDir, const QString& folder);
bool WriteMusicDir(const QString& dataDir, const QString& folder);

}  // namespace vireo
