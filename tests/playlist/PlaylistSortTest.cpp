#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>

#include "PlaylistTestUtil.h"

namespace vireo {
namespace {

using namespace Qt::StringLiterals;
using test::Fill;
using test::FillCount;
using test::Titles;

QStringList Captions(const TDDPlaylistModel& list) {
  QStringList out;
  for (int i = 0; i < list.Count(); ++i) out << list.Items()[i].Caption;
  return out;
}

void SetCaptions(TDDPlaylistModel& list, const QStringList& captions) {
  Fill(list, captions);
  for (int i = 0; i < list.Count(); ++i) list.Items()[i].Caption = captions[i];
}

TEST(PlaylistSort, ByCaptionFoldsOnlyAsciiLettersToUpperCase) {
  TDDPlaylistModel list;
  SetCaptions(list, {u"b"_s, u"_x"_s, u"B2"_s, u"Z"_s, u"a"_s, u"é"_s});
  list.Items().Sort(TDDPlaylistItems::ByCaption);
  // '_' lies above the upper-case letters; é is a multi-byte character and sorts after ASCII.
  EXPECT_EQ(Captions(list), (QStringList{u"a"_s, u"b"_s, u"B2"_s, u"Z"_s, u"_x"_s, u"é"_s}));
}

TEST(PlaylistSort, ByCaptionPutsChineseInPinyinOrder) {
  TDDPlaylistModel list;
  SetCaptions(list, {u"张三"_s, u"阿明"_s, u"李四"_s, u"王五"_s, u"Beyond"_s});
  list.Items().Sort(TDDPlaylistItems::ByCaption);
  EXPECT_EQ(Captions(list), (QStringList{u"Beyond"_s, u"阿明"_s, u"李四"_s, u"王五"_s, u"张三"_s}));
}

TEST(PlaylistSort, ByCaptionLeavesTheSecondByteOfAChineseCharacterAlone) {
  // 乤 is 81 61 in GBK, 乕 81 5B and 丄 81 41: the second bytes look like 'a', '[' and 'A'. Folded
  // as letters, 乤 would sort before 乕 and tie with 丄; they sort in code order.
  TDDPlaylistModel list;
  SetCaptions(list, {u"乤"_s, u"乕"_s, u"丄"_s});
  list.Items().Sort(TDDPlaylistItems::ByCaption);
  EXPECT_EQ(Captions(list), (QStringList{u"丄"_s, u"乕"_s, u"乤"_s}));
  TDDPlaylistModel two;
  SetCaptions(two, {u"乤x"_s, u"丄y"_s});
  two.Items().Sort(TDDPlaylistItems::ByCaption);
  EXPECT_EQ(Captions(two), (QStringList{u"丄y"_s, u"乤x"_s}));
}

TEST(PlaylistSort, ByFileName) {
  TDDPlaylistModel list;
  Fill(list, {u"c"_s, u"A"_s, u"b"_s});
  list.Items().Sort(TDDPlaylistItems::ByFileName);
  EXPECT_EQ(Titles(list), (QStringList{u"A"_s, u"b"_s, u"c"_s}));
}

TEST(PlaylistSort, ByFileSizeAndDate) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  auto make = [&](const QString& name, int size, const QDateTime& when) {
    QFile f(dir.filePath(name));
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(size, 'x'));
    f.close();
    EXPECT_TRUE(f.open(QIODevice::ReadWrite));
    EXPECT_TRUE(f.setFileTime(when, QFileDevice::FileModificationTime));
  };
  const QDateTime day(QDate(2024, 3, 15), QTime(8, 0));
  make(u"big"_s, 300, day.addDays(-3));
  make(u"small"_s, 10, day.addSecs(3600 * 10));  // same day as "mid", later hour
  make(u"mid"_s, 100, day);
  ASSERT_TRUE(QDir(dir.path()).mkdir(u"folder"_s));

  TDDPlaylistModel list;
  Fill(list, {u"small"_s, u"big"_s, u"missing"_s, u"mid"_s, u"folder"_s});
  for (int i = 0; i < list.Count(); ++i)
    list.Items()[i].FileName = dir.filePath(list.Items()[i].Title);

  list.Items().Sort(TDDPlaylistItems::ByFileSize);
  QStringList t = Titles(list);
  EXPECT_EQ(t.mid(2), (QStringList{u"small"_s, u"mid"_s, u"big"_s}));
  EXPECT_TRUE(t.mid(0, 2).contains(u"missing"_s) && t.mid(0, 2).contains(u"folder"_s));

  list.Items().Sort(TDDPlaylistItems::ByFileDate);
  t = Titles(list);
  EXPECT_EQ(t.first(), u"missing"_s);
  const qsizetype big = t.indexOf(u"big"_s);
  EXPECT_LT(big, t.indexOf(u"mid"_s));
  EXPECT_LT(big, t.indexOf(u"small"_s));
}

TEST(PlaylistSort, ByLengthKeepsThePlayingEntryCurrent) {
  TDDPlaylistModel list;
  bool toTop = false;
  QObject::connect(&list, &TDDPlaylistModel::Reset, [&](bool top) { toTop = top; });
  Fill(list, {u"a"_s, u"b"_s, u"c"_s, u"d"_s, u"e"_s});
  const double lengths[] = {5, 1, 4, 2, 3};
  for (int i = 0; i < 5; ++i) list.Items()[i].LongTime = lengths[i] / 1440;
  list.Items()[0].Alum = u"专辑"_s;
  list.SetCurrentItem(4);  // "e", length 3
  list.Items()[1].Selected = list.Items()[3].Selected = true;
  list.SetSelectedIndex(3);

  list.Items().Sort(TDDPlaylistItems::ByLength);
  EXPECT_EQ(Titles(list), (QStringList{u"b"_s, u"d"_s, u"e"_s, u"c"_s, u"a"_s}));
  EXPECT_EQ(list.CurrentItem(), 2);
  EXPECT_EQ(list.SelectedIndex(), -1);
  EXPECT_TRUE(toTop);  // views scroll to the top
  EXPECT_FALSE(list.Rearranging());
  for (int i = 0; i < list.Count(); ++i) {
    EXPECT_FALSE(list.Items()[i].Selected);
    EXPECT_FALSE(list.Items()[i].CurrentMark);
  }
  EXPECT_EQ(list.Items()[4].Alum, u"专辑"_s);
}

TEST(PlaylistSort, ReversedAndUnknownKinds) {
  TDDPlaylistModel list;
  FillCount(list, 4);
  list.SetCurrentItem(0);
  list.Items().Sort(TDDPlaylistItems::Reversed);
  EXPECT_EQ(Titles(list), (QStringList{u"t003"_s, u"t002"_s, u"t001"_s, u"t000"_s}));
  EXPECT_EQ(list.CurrentItem(), 3);
  list.Items()[0].Selected = true;
  list.Items().Sort(42);  // keeps the order, clears the selection
  EXPECT_EQ(Titles(list).first(), u"t003"_s);
  EXPECT_FALSE(list.Items()[0].Selected);
}

TEST(PlaylistSort, RandomIsAPermutation) {
  TDDPlaylistModel list;
  FillCount(list, 200);
  list.SetCurrentItem(17);
  const QStringList before = Titles(list);
  list.Items().Sort(TDDPlaylistItems::Random);
  QStringList after = Titles(list);
  EXPECT_NE(after, before);  // 1 in 200! chance of a false failure
  EXPECT_EQ(list.Items()[list.CurrentItem()].Title, u"t017"_s);
  std::sort(after.begin(), after.end());
  EXPECT_EQ(after, before);

  TDDPlaylistModel one;
  FillCount(one, 1);
  one.SetCurrentItem(0);
  one.Items().Sort(TDDPlaylistItems::Random);
  EXPECT_EQ(Titles(one), QStringList{u"t000"_s});
  EXPECT_EQ(one.CurrentItem(), 0);

  TDDPlaylistModel empty;
  empty.Items().Sort(TDDPlaylistItems::Random);
  EXPECT_EQ(empty.Count(), 0);
}

}  // namespace
}  // namespace vireo
