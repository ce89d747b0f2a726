#include "store/PlayerSettings.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <algorithm>

#include "base/AtomicFileWriter.h"
#include "base/ConfigKeys.h"
#include "store/TDKConfig.h"

namespace vireo {
namespace {

QString WithSlash(QString path) {
  if (!path.isEmpty() && !path.endsWith(u'/')) path += u'/';
  return path;
}

QString ReadKey(TDKConfig& cfg, const ConfigKey& key, const QString& def) {
  return cfg.ReadString(key.Path(), key.Attribute(), def);
}

// A stored folder that exists is used as stored; otherwise the default folder, created.
QString FolderOrFallback(TDKConfig& cfg, const ConfigKey& key, const QString& dataDir,
                         QLatin1StringView folder) {
  const QString stored = ReadKey(cfg, key, dataDir + folder);
  if (QFileInfo(stored).isDir()) return stored;
  const QString fallback = dataDir + folder + u'/';
  EnsureFolder(fallback);
  return fallback;
}

bool WriteOne(const QString& dataDir, const ConfigKey& key, const QString& value) {
  TDKConfig cfg(ConfigFilePath(dataDir), QString(config::kRootName));
  cfg.WriteString(key.Path(), key.Attribute(), value);
  return cfg.Save();
}

// A window's place and size under path ("LEFT", "TOP", "WIDTH", "HEIGHT"); unset unless all four
// are there and the size is not empty.
std::optional<QRect> ReadWindowRect(TDKConfig& cfg, QLatin1StringView path) {
  constexpr int kUnset = config::kDesktopLyricsUnset;
  const QString p(path);
  const int left = cfg.ReadInteger(p, QStringLiteral("LEFT"), kUnset);
  const int top = cfg.ReadInteger(p, QStringLiteral("TOP"), kUnset);
  const int width = cfg.ReadInteger(p, QStringLiteral("WIDTH"), 0);
  const int height = cfg.ReadInteger(p, QStringLiteral("HEIGHT"), 0);
  if (left == kUnset || top == kUnset || width <= 0 || height <= 0) return std::nullopt;
  return QRect(left, top, width, height);
}

void WriteWindowRect(TDKConfig& cfg, QLatin1StringView path, const std::optional<QRect>& r) {
  if (!r) return;
  const QString p(path);
  cfg.WriteInteger(p, QStringLiteral("LEFT"), r->left());
  cfg.WriteInteger(p, QStringLiteral("TOP"), r->top());
  cfg.WriteInteger(p, QStringLiteral("WIDTH"), r->width());
  cfg.WriteInteger(p, QStringLiteral("HEIGHT"), r->height());
}

}  // namespace

QString DefaultDataDir() {
  QString docs = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  if (docs.isEmpty()) docs = QDir::homePath();
  return WithSlash(QDir::fromNativeSeparators(docs)) + QStringLiteral("Vireo/");
}

bool EnsureFolder(const QString& path) {
  if (path.isEmpty()) return false;
  if (QFileInfo(path).isDir()) return true;
  return QDir().mkpath(path) && QFileInfo(path).isDir();
}

int RemoveInterruptedSaves(const PlayerSettings& settings) {
  int removed = AtomicFileWriter::RemoveLeftovers(ConfigFilePath(settings.DataDir));
  if (!settings.PlaylistPath.isEmpty())
    removed += AtomicFileWriter::RemoveLeftovers(settings.PlaylistPath);
  return removed;
}

QString ConfigFilePath(const QString& dataDir) {
  return dataDir + config::kFileName;
}

TPlayMode PlayModeFromPattern(int pattern) {
  switch (pattern) {
    case 1:
      return TPlayMode::RepeatList;
    case 2:
      return TPlayMode::StopAfterTrack;
    case 3:
      return TPlayMode::RepeatTrack;
    default:
      return TPlayMode::InOrder;
  }
}

int PatternFromPlayMode(TPlayMode playMode) {
  switch (playMode) {
    case TPlayMode::RepeatList:
      return 1;
    case TPlayMode::StopAfterTrack:
      return 2;
    case TPlayMode::RepeatTrack:
      return 3;
    default:
      return 0;
  }
}

PlayerSettings ReadStartupSettings(const QString& dataDir, const QString& appDir) {
  using namespace config;
  PlayerSettings s;
  s.DataDir = dataDir;
  s.AppDir = appDir;
  TDKConfig cfg(ConfigFilePath(dataDir), QString(kRootName));

  s.PlayMode = PlayModeFromPattern(
      cfg.ReadInteger(kPlayPattern.Path(), kPlayPattern.Attribute(), kPlayPatternDefault));
  s.DBGain = cfg.ReadBool(kDBGain.Path(), kDBGain.Attribute(), kDBGainDefault);
  s.LrcDir = FolderOrFallback(cfg, kLrcPath, dataDir, kLrcFolder);
  s.MusicDir = FolderOrFallback(cfg, kMusicPath, dataDir, kMusicFolder);
  const QString defaultList = dataDir + kPlaylistFile;
  s.PlaylistPath = ReadKey(cfg, kPlaylistPath, defaultList);
  if (!QFileInfo(s.PlaylistPath).isFile()) s.PlaylistPath = defaultList;
  s.EqPresetId = cfg.ReadInteger(kEqId.Path(), kEqId.Attribute(), kEqIdDefault);
  s.SkinName = ReadKey(cfg, kSkinName, QString(kSkinNameDefault));
  s.SkinDir = appDir + QStringLiteral("skin/") + s.SkinName + u'/';
  s.Volume =
      std::clamp(cfg.ReadInteger(kVolume.Path(), kVolume.Attribute(), kVolumeDefault), 0, 100);
  s.ServiceHost = ReadKey(cfg, kServiceHost, QString(kServiceHostDefault)).trimmed();
  // An empty address would leave the component without a service: it means the default.
  s.LrclibUrl = ReadKey(cfg, kLrclibUrl, QString(kLrclibUrlDefault)).trimmed();
  if (s.LrclibUrl.isEmpty()) s.LrclibUrl = QString(kLrclibUrlDefault);
  s.ArchiveUrl = ReadKey(cfg, kArchiveUrl, QString(kArchiveUrlDefault)).trimmed();
  if (s.ArchiveUrl.isEmpty()) s.ArchiveUrl = QString(kArchiveUrlDefault);
  const int left = cfg.ReadInteger(kDesktopLyricsLeft.Path(), kDesktopLyricsLeft.Attribute(),
                                   kDesktopLyricsUnset);
  const int top =
      cfg.ReadInteger(kDesktopLyricsTop.Path(), kDesktopLyricsTop.Attribute(), kDesktopLyricsUnset);
  if (left != kDesktopLyricsUnset && top != kDesktopLyricsUnset)
    s.DesktopLyricsPos = QPoint(left, top);
  s.Mute = cfg.ReadBool(kMute.Path(), kMute.Attribute(), false);
  s.LyricMode = cfg.ReadInteger(kLyricMode.Path(), kLyricMode.Attribute(), 0) == 1 ? 1 : 0;
  s.ShowTranslations = cfg.ReadBool(kShowTranslations.Path(), kShowTranslations.Attribute(),
                                    kShowTranslationsDefault);
  s.MainWindow = ReadWindowRect(cfg, kMainWindowPath);
  s.LyricWindow = ReadWindowRect(cfg, kLyricWindowPath);
  s.LibraryWindow = ReadWindowRect(cfg, kLibraryWindowPath);
  return s;  // nothing was written: the file is not touched
}

bool WriteCloseSettings(const PlayerSettings& s) {
  using namespace config;
  TDKConfig cfg(ConfigFilePath(s.DataDir), QString(kRootName));
  cfg.WriteInteger(kVolume.Path(), kVolume.Attribute(), s.Volume);
  cfg.WriteString(kPlaylistPath.Path(), kPlaylistPath.Attribute(), s.PlaylistPath);
  cfg.WriteInteger(kPlayPattern.Path(), kPlayPattern.Attribute(), PatternFromPlayMode(s.PlayMode));
  cfg.WriteBool(kDBGain.Path(), kDBGain.Attribute(), s.DBGain);
  cfg.WriteInteger(kEqId.Path(), kEqId.Attribute(), s.EqPresetId);
  cfg.WriteString(kSkinName.Path(), kSkinName.Attribute(), s.SkinName);
  if (s.DesktopLyricsPos) {
    cfg.WriteInteger(kDesktopLyricsLeft.Path(), kDesktopLyricsLeft.Attribute(),
                     s.DesktopLyricsPos->x());
    cfg.WriteInteger(kDesktopLyricsTop.Path(), kDesktopLyricsTop.Attribute(),
                     s.DesktopLyricsPos->y());
  }
  cfg.WriteBool(kMute.Path(), kMute.Attribute(), s.Mute);
  cfg.WriteInteger(kLyricMode.Path(), kLyricMode.Attribute(), s.LyricMode);
  cfg.WriteBool(kShowTranslations.Path(), kShowTranslations.Attribute(), s.ShowTranslations);
  WriteWindowRect(cfg, kMainWindowPath, s.MainWindow);
  WriteWindowRect(cfg, kLyricWindowPath, s.LyricWindow);
  WriteWindowRect(cfg, kLibraryWindowPath, s.LibraryWindow);
  return cfg.Save();
}

bool WriteLrcDir(const QString& dataDir, const QString& folder) {
  return WriteOne(dataDir, config::kLrcPath, folder);
}

bool WriteMusicDir(const QString& dataDir, const QString& folder) {
  return WriteOne(dataDir, config::kMusicPath, folder);
}

}  // namespace vireo
