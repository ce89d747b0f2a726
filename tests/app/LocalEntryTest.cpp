#include <gtest/gtest.h>

#include "app/mainwindow/LocalEntry.h"

namespace vireo {
namespace {

TEST(LocalEntry, AFileWithoutTagsIsNamedAfterItsFile) {
  for (const char* path : {"/music/Song One.mp3", "Song One.mp3", "D:\\歌\\Song One.mp3"}) {
    const TDDPlaylistItem e = LocalEntry::FromTags(QString::fromUtf8(path), TTags{});
    EXPECT_EQ(e.Title, QStringLiteral("Song One")) << path;
    EXPECT_EQ(e.Caption, QStringLiteral("Song One - ")) << path;
    EXPECT_EQ(e.FileName, QString::fromUtf8(path));
    EXPECT_FALSE(e.ISURL);
    EXPECT_EQ(e.LongTime, 0);
  }
  // Only the last extension goes; a blank title counts as none.
  TTags blank;
  blank.Title = QStringLiteral(" \t ");
  EXPECT_EQ(LocalEntry::FromTags(QStringLiteral("/m/a.b.flac"), blank).Title,
            QStringLiteral("a.b"));
  EXPECT_EQ(LocalEntry::FromTags(QStringLiteral("/m/noext"), blank).Title, QStringLiteral("noext"));
}

TEST(LocalEntry, TagsAreTakenAsRead) {
  TTags tags;
  tags.Title = QStringLiteral(" 晴天 ");
  tags.Artist = QStringLiteral("周杰伦");
  tags.Length = 269.0 / 86400;
  const TDDPlaylistItem e = LocalEntry::FromTags(QStringLiteral("/m/x.mp3"), tags);
  EXPECT_EQ(e.Title, QStringLiteral(" 晴天 "));
  EXPECT_EQ(e.Artist, QStringLiteral("周杰伦"));
  EXPECT_EQ(e.Caption, QStringLiteral(" 晴天  - 周杰伦"));
  EXPECT_DOUBLE_EQ(e.LongTime, 269.0 / 86400);
}

}  // namespace
}  // namespace vireo
