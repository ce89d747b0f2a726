#pragma once

#include <QPoint>
#include <QString>
#include <memory>

#include "app/mainwindow/SongCacheWriter.h"
#include "store/PlayerSettings.h"

namespace vireo {

// The process-wide values of the running player, owned by the main window and handed by pointer
// to the windows that read them (the lyric windows, the library window). UI thread only.
struct PlayerContext {
  PlayerSettings Settings;  // AppDir, DataDir, LrcDir, MusicDir, PlaylistPath, skin, EQ, mode
  // False until the update check hears the service answer.
  bool ServiceReachable = false;
  // 0: desktop lyrics (the start value), 1: the lyric window.
  int LyricMode = 0;

  // The network track being streamed and its copy for the song cache.
  int LoadingIndex = -1;
  QString CachePath;
  QString CacheTempPath;
  std::unique_ptr<SongCacheWriter> CacheWriter;
};

}  // namespace vireo
