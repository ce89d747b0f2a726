#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "FileTestUtil.h"
#include "TinyTmpfs.h"
#include "playlist/PlaylistFile.h"
#include "playlist/TDDPlaylistModel.h"
#include "store/PlayerSettings.h"
#include "store/TDKConfig.h"

namespace vireo {
namespace {

using namespace Qt::StringLiterals;
using test::ReadAll;

// The settings and the playlist on a disk that fills up: every save reports failure, the files
// keep their last good contents, and the next start reads them as they were.
TEST(FullDisk, SettingsAndPlaylistSavesFailAndKeepTheOldFiles) {
  test::TinyTmpfs disk;
  if (!disk.Ok()) GTEST_SKIP() << disk.Why().toStdString();
  const QString dataDir = disk.FilePath(u""_s) + u'/';
  const QString config = ConfigFilePath(dataDir);
  const QString playlist = dataDir + u"Default.pls"_s;

  TDDPlaylistModel list;
  for (int i = 0; i < 40; ++i) {
    TDDPlaylistItem& item = list.Items().Add();
    item.Title = u"歌曲 %1"_s.arg(i);
    item.Artist = u"歌手"_s;
    item.FileName = u"/music/%1.mp3"_s.arg(i);
    item.LongTime = 200.0 / 86400;
  }
  ASSERT_TRUE(SavePlaylist(list, playlist));
  PlayerSettings settings;
  settings.DataDir = dataDir;
  settings.PlaylistPath = playlist;
  settings.Volume = 33;
  settings.SkinName = u"Light"_s;
  ASSERT_TRUE(WriteCloseSettings(settings));
  const QByteArray goodConfig = ReadAll(config);
  const QByteArray goodPlaylist = ReadAll(playlist);

  for (qint64 room : {0, 4096}) {
    SCOPED_TRACE(testing::Message() << "room " << room);
    ASSERT_TRUE(disk.FillLeaving(room));
    for (int i = 0; i < 200; ++i) list.Items().Add().Title = u"more"_s;  // past any room
    EXPECT_FALSE(SavePlaylist(list, playlist));
    settings.Volume = 90;
    settings.SkinName = QString(6000, u'x');  // more than the room left
    EXPECT_FALSE(WriteCloseSettings(settings));
    {
      TDKConfig cfg(config, u"MainConfig"_s);  // the destructor's save fails quietly too
      cfg.WriteString(u"Window/SKIN"_s, u"NAME"_s, QString(5000, u'y'));
    }
    EXPECT_EQ(ReadAll(config), goodConfig);
    EXPECT_EQ(ReadAll(playlist), goodPlaylist);
    disk.Drain();
  }

  const PlayerSettings next = ReadStartupSettings(dataDir, u"/app/"_s);
  EXPECT_EQ(next.Volume, 33);
  EXPECT_EQ(next.SkinName, u"Light"_s);
  TDDPlaylistModel loaded;
  EXPECT_EQ(LoadPlaylist(loaded, playlist), 40);
  EXPECT_EQ(QDir(dataDir).entryList(QDir::Files), (QStringList{u"Default.pls"_s, u"Vireo.xml"_s}));
}

TEST(FullDisk, StartUpRemovesWhatAnInterruptedSaveLeft) {
  QTemporaryDir dir;
  const QString dataDir = dir.path() + u'/';
  PlayerSettings settings;
  settings.DataDir = dataDir;
  settings.PlaylistPath = dir.filePath(u"lists/Mine.pls"_s);
  ASSERT_TRUE(QDir(dataDir).mkdir(u"lists"_s));
  for (const QString& name : {u"Vireo.xml.vireo-save-41-0"_s, u"lists/Mine.pls.vireo-save-41-1"_s,
                              u"lists/Mine.pls"_s, u"Vireo.xml"_s})
    test::WriteAll(dataDir + name, "complete copy");
  EXPECT_EQ(RemoveInterruptedSaves(settings), 2);
  EXPECT_EQ(QDir(dataDir).entryList(QDir::Files), QStringList{u"Vireo.xml"_s});
  EXPECT_EQ(QDir(dataDir + u"lists"_s).entryList(QDir::Files), QStringList{u"Mine.pls"_s});
}

}  // namespace
}  // namespace vireo
