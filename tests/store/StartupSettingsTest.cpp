#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include "FileTestUtil.h"
#include "base/ConfigKeys.h"
#include "store/PlayerSettings.h"
#include "store/TDKConfig.h"

namespace vireo {
namespace {

using namespace Qt::StringLiterals;
using test::ReadAll;

class StartupSettings : public ::testing::Test {
 protected:
  void SetUp() override {
    data = dir.filePath(u"docs/Vireo/"_s);
    app = dir.filePath(u"app/"_s);
    ASSERT_TRUE(EnsureFolder(data));
  }
  QString Config() const { return ConfigFilePath(data); }
  void Write(const QString& path, const QString& attr, const QString& value) {
    TDKConfig cfg(Config(), u"MainConfig"_s);
    cfg.WriteString(path, attr, value);
  }
  QTemporaryDir dir;
  QString data, app;
};

TEST_F(StartupSettings, FirstStartGivesDefaultsAndCreatesTheFolders) {
  const PlayerSettings s = ReadStartupSettings(data, app);
  EXPECT_EQ(s.Volume, 65);
  EXPECT_EQ(s.PlayMode, TPlayMode::InOrder);
  EXPECT_EQ(s.SkinName, u"Default"_s);
  EXPECT_EQ(s.SkinDir, app + u"skin/Default/"_s);
  EXPECT_EQ(s.EqPresetId, 0);
  EXPECT_FALSE(s.DBGain);
  EXPECT_EQ(s.LrcDir, data + u"lrc/"_s);
  EXPECT_EQ(s.MusicDir, data + u"music/"_s);
  EXPECT_TRUE(QFileInfo(s.LrcDir).isDir());
  EXPECT_TRUE(QFileInfo(s.MusicDir).isDir());
  EXPECT_EQ(s.PlaylistPath, data + u"Default.pls"_s);
  EXPECT_TRUE(s.ServiceHost.isEmpty());
  EXPECT_EQ(s.LrclibUrl, u"https://lrclib.net"_s);
  EXPECT_EQ(s.ArchiveUrl, u"https://archive.org"_s);
  EXPECT_FALSE(QFileInfo::exists(Config()));  // reading writes nothing

  // Next start: the default folder now exists and is used as the default names it.
  EXPECT_EQ(ReadStartupSettings(data, app).LrcDir, data + u"lrc"_s);
}

TEST_F(StartupSettings, FileFromTheWindowsPlayer) {
  test::CopyData(u"store/Vireo.xml"_s, Config());
  const QByteArray before = ReadAll(Config());
  const PlayerSettings s = ReadStartupSettings(data, app);
  EXPECT_EQ(s.Volume, 80);
  EXPECT_EQ(s.PlayMode, TPlayMode::RepeatList);  // stored code 1: repeat the list
  EXPECT_TRUE(s.DBGain);
  EXPECT_EQ(s.EqPresetId, 3);
  EXPECT_EQ(s.SkinName, u"蓝色经典"_s);
  EXPECT_EQ(s.SkinDir, app + u"skin/蓝色经典/"_s);
  // Windows folders do not exist here: the defaults under the data folder are used.
  EXPECT_EQ(s.LrcDir, data + u"lrc/"_s);
  EXPECT_EQ(s.MusicDir, data + u"music/"_s);
  EXPECT_EQ(s.PlaylistPath, data + u"Default.pls"_s);
  EXPECT_EQ(ReadAll(Config()), before);

  // Close: the folder keys stay as they were, the playlist path is the fallback.
  ASSERT_TRUE(WriteCloseSettings(s));
  TDKConfig cfg(Config(), u"MainConfig"_s);
  EXPECT_EQ(cfg.ReadString(u"Window/LRC"_s, u"PATH"_s, {}),
            u"C:\\Documents and Settings\\张三\\My Documents\\Vireo\\lrc"_s);
  EXPECT_EQ(cfg.ReadString(u"Window/MUSIC"_s, u"PATH"_s, {}), u"D:\\歌曲缓存"_s);
  EXPECT_EQ(cfg.ReadString(u"Window/PLIST"_s, u"PATH"_s, {}), data + u"Default.pls"_s);
  EXPECT_EQ(cfg.ReadInteger(u"Window/PLAY"_s, u"PATTERN"_s, -1), 1);
}

TEST_F(StartupSettings, StoredFoldersAndPlaylistThatExistAreUsedAsStored) {
  const QString lrc = dir.filePath(u"my lyrics"_s);  // no trailing separator
  const QString list = dir.filePath(u"列表.pls"_s);
  ASSERT_TRUE(QDir().mkpath(lrc));
  test::WriteAll(list, "<DefaultList/>");
  Write(u"Window/LRC"_s, u"PATH"_s, lrc);
  Write(u"Window/PLIST"_s, u"PATH"_s, list);
  Write(u"Window/SERVICE"_s, u"HOST"_s, u" 127.0.0.1:8080 "_s);
  Write(u"Lyrics/LRCLIB"_s, u"URL"_s, u"http://lyrics.example:8081/"_s);
  Write(u"Library/ARCHIVE"_s, u"URL"_s, u"https://mirror.example/archive"_s);
  const PlayerSettings s = ReadStartupSettings(data, app);
  EXPECT_EQ(s.LrcDir, lrc);
  EXPECT_EQ(s.PlaylistPath, list);
  EXPECT_EQ(s.ServiceHost, u"127.0.0.1:8080"_s);
  EXPECT_EQ(s.LrclibUrl, u"http://lyrics.example:8081/"_s);
  EXPECT_EQ(s.ArchiveUrl, u"https://mirror.example/archive"_s);

  // The services' addresses are the user's to edit: closing leaves them as they were.
  ASSERT_TRUE(WriteCloseSettings(s));
  TDKConfig cfg(Config(), u"MainConfig"_s);
  EXPECT_EQ(cfg.ReadString(u"Lyrics/LRCLIB"_s, u"URL"_s, {}), u"http://lyrics.example:8081/"_s);
  EXPECT_EQ(cfg.ReadString(u"Library/ARCHIVE"_s, u"URL"_s, {}),
            u"https://mirror.example/archive"_s);
}

TEST_F(StartupSettings, BlankServiceAddressesReadAsTheDefaults) {
  Write(u"Lyrics/LRCLIB"_s, u"URL"_s, u"   "_s);
  Write(u"Library/ARCHIVE"_s, u"URL"_s, u"\t"_s);
  const PlayerSettings s = ReadStartupSettings(data, app);
  EXPECT_EQ(s.LrclibUrl, u"https://lrclib.net"_s);
  EXPECT_EQ(s.ArchiveUrl, u"https://archive.org"_s);
}

TEST_F(StartupSettings, OddStoredValues) {
  Write(u"Window/PLAY"_s, u"PATTERN"_s, u"7"_s);
  Write(u"Window/Volume"_s, u"Value"_s, u"loud"_s);
  Write(u"Window/DBGain"_s, u"Value"_s, u"256"_s);
  Write(u"Window/EQ"_s, u"ID"_s, u"x"_s);
  Write(u"Window/SKIN"_s, u"NAME"_s, QString());
  PlayerSettings s = ReadStartupSettings(data, app);
  EXPECT_EQ(s.PlayMode, TPlayMode::InOrder);
  EXPECT_EQ(s.Volume, 65);
  EXPECT_FALSE(s.DBGain);
  EXPECT_EQ(s.EqPresetId, 0);
  EXPECT_EQ(s.SkinName, u"Default"_s);
  ASSERT_TRUE(WriteCloseSettings(s));
  TDKConfig cfg(Config(), u"MainConfig"_s);
  EXPECT_EQ(cfg.ReadString(u"Window/PLAY"_s, u"PATTERN"_s, {}), u"0"_s);
}

TEST_F(StartupSettings, PlayModeMapping) {
  const int patterns[] = {0, 1, 2, 3};
  const int modes[] = {0, 2, 1, 3};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(int(PlayModeFromPattern(patterns[i])), modes[i]);
    EXPECT_EQ(PatternFromPlayMode(TPlayMode(modes[i])), patterns[i]);
  }
  EXPECT_EQ(PlayModeFromPattern(-1), TPlayMode::InOrder);
  EXPECT_EQ(PatternFromPlayMode(TPlayMode(9)), 0);
}

TEST_F(StartupSettings, CloseWritingOrderAndRoundTrip) {
  PlayerSettings s = ReadStartupSettings(data, app);
  s.Volume = 33;
  s.PlayMode = TPlayMode::RepeatTrack;
  s.DBGain = true;
  s.EqPresetId = 7;
  s.SkinName = u"夜色"_s;
  ASSERT_TRUE(WriteCloseSettings(s));
  const QByteArray bytes = ReadAll(Config());
  const char* order[] = {"<Volume ", "<PLIST ", "<PLAY ", "<DBGain ", "<EQ ", "<SKIN "};
  qsizetype last = -1;
  for (const char* tag : order) {
    const qsizetype at = bytes.indexOf(tag);
    EXPECT_GT(at, last) << tag;
    last = at;
  }
  EXPECT_EQ(bytes.indexOf("<LRC"), -1);  // folder keys are written by the folder commands only

  const PlayerSettings back = ReadStartupSettings(data, app);
  EXPECT_EQ(back.Volume, 33);
  EXPECT_EQ(back.PlayMode, TPlayMode::RepeatTrack);
  EXPECT_TRUE(back.DBGain);
  EXPECT_EQ(back.EqPresetId, 7);
  EXPECT_EQ(back.SkinName, u"夜色"_s);
  EXPECT_EQ(back.PlaylistPath, data + u"Default.pls"_s);
}

TEST_F(StartupSettings, FolderCommandsWriteTheirKey) {
  const QString songs = dir.filePath(u"歌曲"_s);
  ASSERT_TRUE(QDir().mkpath(songs));
  ASSERT_TRUE(WriteMusicDir(data, songs));
  ASSERT_TRUE(WriteLrcDir(data, dir.path()));
  const PlayerSettings s = ReadStartupSettings(data, app);
  EXPECT_EQ(s.MusicDir, songs);
  EXPECT_EQ(s.LrcDir, dir.path());
  EXPECT_FALSE(WriteLrcDir(dir.filePath(u"missing/"_s), dir.path()));
}

TEST(DataDir, DocumentsFolderWithForwardSlashes) {
  const QString d = DefaultDataDir();
  EXPECT_TRUE(d.endsWith(u"/Vireo/"_s)) << d.toStdString();
  EXPECT_FALSE(d.contains(u'\\'));
}

}  // namespace
TEST_F(StartupSettings, TheDesktopLyricsComeBackWhereTheyWereDragged) {
  PlayerSettings s = ReadStartupSettings(data, app);
  EXPECT_FALSE(s.DesktopLyricsPos.has_value());
  // Never dragged: nothing is written for them.
  ASSERT_TRUE(WriteCloseSettings(s));
  EXPECT_FALSE(ReadAll(Config()).contains("DESKTOPLRC"));
  // Dragged, even to the screen's corner or off its left edge: the place is kept as it was.
  for (const QPoint at : {QPoint(0, 0), QPoint(-40, 900)}) {
    s.DesktopLyricsPos = at;
    ASSERT_TRUE(WriteCloseSettings(s));
    EXPECT_EQ(ReadStartupSettings(data, app).DesktopLyricsPos, std::optional<QPoint>(at));
  }
}

TEST_F(StartupSettings, MuteLyricModeAndWindowPlacesRoundTrip) {
  PlayerSettings s = ReadStartupSettings(data, app);
  EXPECT_FALSE(s.Mute);
  EXPECT_EQ(s.LyricMode, 0);
  EXPECT_FALSE(s.MainWindow || s.LyricWindow || s.LibraryWindow);
  s.Mute = true;
  s.LyricMode = 1;
  s.MainWindow = QRect(-30, 12, 360, 480);
  s.LyricWindow = QRect(100, 600, 400, 190);
  ASSERT_TRUE(WriteCloseSettings(s));
  const PlayerSettings back = ReadStartupSettings(data, app);
  EXPECT_TRUE(back.Mute);
  EXPECT_EQ(back.LyricMode, 1);
  EXPECT_EQ(back.MainWindow, s.MainWindow);
  EXPECT_EQ(back.LyricWindow, s.LyricWindow);
  EXPECT_FALSE(back.LibraryWindow.has_value());  // never written
  // A stored mode other than 0 or 1, or an empty size, reads as unset.
  QString text = QString::fromLatin1(ReadAll(Config()));
  text.replace(QStringLiteral("<LYRICMODE Value=\"1\""), QStringLiteral("<LYRICMODE Value=\"7\""));
  text.replace(QStringLiteral("WIDTH=\"400\""), QStringLiteral("WIDTH=\"0\""));
  QFile f(Config());
  ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
  f.write(text.toLatin1());
  f.close();
  const PlayerSettings odd = ReadStartupSettings(data, app);
  EXPECT_EQ(odd.LyricMode, 0);
  EXPECT_FALSE(odd.LyricWindow.has_value());
}

}  // namespace vireo
