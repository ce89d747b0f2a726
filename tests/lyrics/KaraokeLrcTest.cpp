// Enhanced LRC: the word tags of karaoke lines, lines of one time as translations, how far a
// karaoke line is sung at a moment, and the offset kept in the lyric file or the user's table.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <unistd.h>

#include "lyrics/KaraokeTiming.h"
#include "lyrics/LyricFile.h"
#include "lyrics/LyricOffsetStore.h"
#include "lyrics/LyricOffsetTable.h"
#include "lyrics/TLrclibDown.h"
#include "lyrics/TLyricHandle.h"

using namespace vireo;

namespace {

TLyricHandle Parsed(QByteArrayView text) {
  TLyricHandle h;
  h.ParseUtf8(text);
  return h;
}

QList<TLyricWord> W(std::initializer_list<std::pair<qint32, qint32>> words) {
  QList<TLyricWord> out;
  for (auto [time, pos] : words) out.append({time, pos});
  return out;
}

QByteArray ReadAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace

TEST(KaraokeLrc, WordTagsWithTwoAndThreeFractionDigitsAndAClosingTag) {
  const auto h = Parsed(
      "[00:01.00]<00:01.00>Hello <00:01.50>world<00:02.00>\r\n"
      "[00:03.000]<00:03.000>one <00:03.250>two <00:03.755>three\r\n");
  ASSERT_EQ(h.Count(), 2);
  const TLyricItem a = h.GetItem(0), b = h.GetItem(1);
  EXPECT_EQ(a.Text, u"Hello world"_qs);
  EXPECT_EQ(a.Words, W({{1000, 0}, {1500, 6}, {2000, 11}}));  // the last tag ends the last word
  EXPECT_EQ(b.Text, u"one two three"_qs);
  EXPECT_EQ(b.Words, W({{3000, 0}, {3250, 4}, {3755, 8}}));
}

TEST(KaraokeLrc, ShownTextIsAsBeforeAndMalformedTagsStayText) {
  // The same lines the reader always showed; only the tags it took out carry times, anything
  // else in angle brackets is text and has no word time.
  const auto h = Parsed(
      "[00:01.00]  <00:01.00>  lead <00:02.00>x  \r\n"
      "[00:03.00]<3 you <b> <1:2> <00:04.0x> <12:3:4>end\r\n"
      "[00:05.00]no tags <here>\r\n");
  ASSERT_EQ(h.Count(), 3);
  EXPECT_EQ(h.GetItem(0).Text, u"lead x"_qs);
  // Blanks trimmed off the line move the positions with it.
  EXPECT_EQ(h.GetItem(0).Words, W({{1000, 0}, {2000, 5}}));
  EXPECT_EQ(h.GetItem(1).Text, u"<3 you <b>  <00:04.0x> end"_qs);
  EXPECT_EQ(h.GetItem(1).Words, W({{62000, 11}, {12 * 3600000 + 3 * 60000 + 4000, 23}}));
  EXPECT_TRUE(h.GetItem(2).Words.isEmpty());
  EXPECT_FALSE(Parsed("[00:05.00]plain\r\n").HasWordTimes());
  EXPECT_TRUE(h.HasWordTimes());
}

TEST(KaraokeLrc, ChineseAndMixedTextCountInCharactersNotBytes) {
  const auto h = Parsed(
      "[00:10.00]<00:10.00>故事<00:10.40>的<00:10.60>小黄花<00:11.50>\r\n"
      "[00:12.00]<00:12.00>Love <00:12.50>你<00:13.00> ok\r\n");
  ASSERT_EQ(h.Count(), 2);
  EXPECT_EQ(h.GetItem(0).Text, u"故事的小黄花"_qs);
  EXPECT_EQ(h.GetItem(0).Words, W({{10000, 0}, {10400, 2}, {10600, 3}, {11500, 6}}));
  EXPECT_EQ(h.GetItem(1).Text, u"Love 你 ok"_qs);
  EXPECT_EQ(h.GetItem(1).Words, W({{12000, 0}, {12500, 5}, {13000, 6}}));
}

TEST(KaraokeLrc, ALineSungAgainMovesItsWordTimesAlong) {
  const auto h = Parsed("[00:12.00][01:40.50]<00:12.00>la <00:12.80>la\r\n");
  ASSERT_EQ(h.Count(), 2);
  EXPECT_EQ(h.GetItem(0).Words, W({{12000, 0}, {12800, 3}}));
  EXPECT_EQ(h.GetItem(1).Words, W({{100500, 0}, {101300, 3}}));
}

TEST(KaraokeLrc, LinesOfOneTimeAreOneLineWithTranslations) {
  // Two and three lines at one tag, beside each other or far apart in the file; file order
  // decides which is the original.
  auto h = Parsed(
      "[ti:x]\r\n"
      "[00:01.00]Hello\r\n[00:01.00]你好\r\n"
      "[00:02.00]こんにちは\r\n[00:02.00]konnichiwa\r\n[00:02.00]你好啊\r\n"
      "[00:03.00]Bye\r\n[00:04.00]end\r\n"
      "[00:03.00]再见\r\n[00:04.00]\r\n");
  h.Sort();
  h.GroupTranslations();
  ASSERT_EQ(h.Count(), 4);
  EXPECT_EQ(h.GetItem(0).Text, u"Hello"_qs);
  EXPECT_EQ(h.GetItem(0).Translations, QStringList{u"你好"_qs});
  EXPECT_EQ(h.GetItem(1).Text, u"こんにちは"_qs);
  EXPECT_EQ(h.GetItem(1).Translations, (QStringList{u"konnichiwa"_qs, u"你好啊"_qs}));
  EXPECT_EQ(h.GetItem(2).Text, u"Bye"_qs);
  EXPECT_EQ(h.GetItem(2).Translations, QStringList{u"再见"_qs});
  EXPECT_EQ(h.GetItem(3).Text, u"end"_qs);
  EXPECT_TRUE(h.GetItem(3).Translations.isEmpty());  // an empty line adds nothing
  EXPECT_TRUE(h.HasTranslations());

  auto plain = Parsed("[00:01.00]a\r\n[00:02.00]b\r\n");
  plain.Sort();
  plain.GroupTranslations();
  EXPECT_EQ(plain.Count(), 2);
  EXPECT_FALSE(plain.HasTranslations());
}

TEST(KaraokeLrc, FillMovesWordByWordAndSmoothlyWithinAWord) {
  TLyricItem item;
  item.Text = u"ab cdef"_qs;
  item.Time = 1000;
  item.Words = W({{1000, 0}, {2000, 3}});  // "ab " 1.0-2.0 s, "cdef" 2.0 s until the line ends
  auto at = [&](qint32 t) { return KaraokeTiming::At(item, 4000, t); };
  EXPECT_EQ(at(500).From, 0);
  EXPECT_EQ(at(500).To, 0);
  EXPECT_EQ(at(1500).From, 0);
  EXPECT_EQ(at(1500).To, 3);
  EXPECT_DOUBLE_EQ(at(1500).Fraction, 0.5);
  EXPECT_EQ(at(2500).From, 3);
  EXPECT_EQ(at(2500).To, 7);
  EXPECT_DOUBLE_EQ(at(2500).Fraction, 0.25);
  EXPECT_EQ(at(4000).From, 7);  // sung whole when the next line comes

  // Text before the first tag is sung from the line's time; a gap between words waits.
  item.Text = u"xx yy"_qs;
  item.Words = W({{1500, 3}, {2000, 5}});
  EXPECT_EQ(at(1250).To, 3);
  EXPECT_DOUBLE_EQ(at(1250).Fraction, 0.5);
  item.Words = W({{1000, 0}, {1200, 3}, {1600, 3}, {2000, 5}});
  EXPECT_EQ(at(1300).From, 3);
  EXPECT_EQ(at(1300).To, 3);
  EXPECT_EQ(at(1800).To, 5);

  // A line without word tags is sung whole.
  item.Words.clear();
  EXPECT_EQ(at(0).From, 5);
}

TEST(KaraokeLrc, OffsetTagIsWrittenAndReadBack) {
  // Replaced where it stands, in every spelling the reader takes; put first otherwise, with the
  // file's own line breaks and after its byte-order mark.
  EXPECT_EQ(LyricOffsetStore::WithOffset("[ti:a]\r\n[Offset : +200]\r\n[00:01.00]x\r\n", -500),
            QByteArray("[ti:a]\r\n[offset:-500]\r\n[00:01.00]x\r\n"));
  EXPECT_EQ(LyricOffsetStore::WithOffset("[00:01.00]x\n", 1500),
            QByteArray("[offset:1500]\n[00:01.00]x\n"));
  EXPECT_EQ(LyricOffsetStore::WithOffset("\xEF\xBB\xBF[00:01.00]x\r\n", 500),
            QByteArray("\xEF\xBB\xBF[offset:500]\r\n[00:01.00]x\r\n"));

  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString table = dir.filePath(QStringLiteral("table.txt"));
  // A GB18030 file keeps its bytes; the offset reads back through the reader.
  const QString path = dir.filePath(QStringLiteral("歌.lrc"));
  const QByteArray gbk = "[ar:\xD6\xDC\xBD\xDC\xC2\xD7]\r\n[00:01.00]\xB9\xCA\xCA\xC2\r\n";
  {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(gbk);
  }
  EXPECT_EQ(LyricOffsetStore::Store(path, table, 1000), LyricOffsetStore::Where::File);
  EXPECT_EQ(LyricOffsetStore::Store(path, table, 1500), LyricOffsetStore::Where::File);
  EXPECT_EQ(ReadAll(path), "[offset:1500]\r\n" + gbk);
  const auto text = LyricFile::Read(path);
  ASSERT_TRUE(text);
  TLyricHandle h;
  h.Parse(*text);
  EXPECT_EQ(h.Info().Offset, 1500);
  EXPECT_EQ(h.Info().Artist, u"周杰伦"_qs);
  EXPECT_EQ(h.Count(), 1);
  EXPECT_FALSE(LyricOffsetTable::Lookup(table, path));

  // UTF-16 comes back as UTF-8 with the same lines.
  const QString wide = dir.filePath(QStringLiteral("wide.lrc"));
  {
    QFile f(wide);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    const QString t = u"[00:01.00]晴天\r\n"_qs;
    f.write("\xFF\xFE");
    f.write(reinterpret_cast<const char*>(t.utf16()), t.size() * 2);
  }
  EXPECT_EQ(LyricOffsetStore::Store(wide, table, -250), LyricOffsetStore::Where::File);
  EXPECT_EQ(ReadAll(wide), QByteArray("[offset:-250]\r\n[00:01.00]\xE6\x99\xB4\xE5\xA4\xA9\r\n"));
}

TEST(KaraokeLrc, AFileThePlayerMayNotWriteKeepsItsOffsetInTheTable) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString table = dir.filePath(QStringLiteral("LyricOffsets.txt"));
  QString readOnly;
  QDir locked(dir.filePath(QStringLiteral("locked")));
  ASSERT_TRUE(QDir().mkpath(locked.path()));
  readOnly = locked.filePath(QStringLiteral("song.lrc"));
  {
    QFile f(readOnly);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[00:01.00]x\r\n");
  }
  QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
  QFile::setPermissions(locked.path(), QFile::ReadOwner | QFile::ExeOwner);
  // The superuser writes everywhere: a file of the kernel's stands in for a read-only one.
  if (geteuid() == 0) readOnly = QStringLiteral("/proc/version");
  const QByteArray before = ReadAll(readOnly);

  EXPECT_EQ(LyricOffsetStore::Store(readOnly, table, 500), LyricOffsetStore::Where::Table);
  EXPECT_EQ(LyricOffsetStore::Store(readOnly, table, 1000), LyricOffsetStore::Where::Table);
  EXPECT_EQ(ReadAll(readOnly), before);
  EXPECT_EQ(LyricOffsetTable::Lookup(table, readOnly), 1000);
  EXPECT_TRUE(LyricOffsetTable::Remember(table, dir.filePath(QStringLiteral("b.lrc")), -500));
  EXPECT_EQ(LyricOffsetTable::Lookup(table, readOnly), 1000);
  EXPECT_EQ(LyricOffsetTable::Lookup(table, dir.filePath(QStringLiteral("b.lrc"))), -500);
  EXPECT_FALSE(LyricOffsetTable::Lookup(table, dir.filePath(QStringLiteral("c.lrc"))));
  QFile::setPermissions(locked.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

TEST(KaraokeLrc, LrclibResultsTellWordTimingAndTranslations) {
  const QByteArray body = R"([
    {"id": 1, "trackName": "A", "artistName": "S", "syncedLyrics": "[00:01.00]plain\n"},
    {"id": 2, "trackName": "A", "artistName": "S",
     "syncedLyrics": "[00:01.00]<00:01.00>word <00:01.50>timed\n"},
    {"id": 3, "trackName": "A", "artistName": "S",
     "syncedLyrics": "[00:01.00]Hello\n[00:01.00]你好\n"},
    {"id": 4, "trackName": "A", "artistName": "S", "plainLyrics": "no times"}
  ])";
  const auto answer = TLrclibDown::ParseSearchAnswer(body);
  ASSERT_TRUE(answer);
  ASSERT_EQ(answer->items.size(), 4);
  EXPECT_FALSE(answer->items[0].WordTiming || answer->items[0].Translation);
  EXPECT_TRUE(answer->items[1].WordTiming);
  EXPECT_FALSE(answer->items[1].Translation);
  EXPECT_TRUE(answer->items[2].Translation);
  EXPECT_FALSE(answer->items[3].WordTiming || answer->items[3].Translation);
}
