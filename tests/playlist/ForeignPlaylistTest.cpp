#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "base/Gb18030.h"
#include "playlist/ForeignPlaylist.h"

namespace vireo {
namespace {

using namespace Qt::StringLiterals;
using Entry = ForeignPlaylist::Entry;

class ForeignPlaylistTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    ASSERT_TRUE(QDir(dir_.path()).mkpath(u"lists"_s));
  }
  QString Folder() const { return dir_.path() + u"/lists"_s; }
  QString Write(const QString& name, const QByteArray& bytes) {
    const QString path = Folder() + u'/' + name;
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    return path;
  }
  QList<Entry> ReadOk(const QString& path) {
    const auto entries = ForeignPlaylist::Read(path);
    EXPECT_TRUE(entries.has_value()) << path.toStdString();
    return entries.value_or(QList<Entry>{});
  }
  QTemporaryDir dir_;
};

TEST_F(ForeignPlaylistTest, ExtendedM3uEntriesAndTheirPlaces) {
  const QString path = Write(u"mix.m3u"_s,
                             "#EXTM3U\r\n"
                             "#EXTINF:215,Faye Wong - Red Bean\r\n"
                             "sub/red bean.mp3\r\n"
                             "#EXTINF:-1,Radio Loop\r\n"
                             "http://127.0.0.1:8000/live?x=1\r\n"
                             "# a plain comment\r\n"
                             "../up.ogg\r\n"
                             "/srv/music/abs.flac\r\n"
                             "file:///srv/music/a%20b.mp3\r\n"
                             "music\\win.mp3\r\n"
                             "\r\n");
  const QList<Entry> e = ReadOk(path);
  ASSERT_EQ(e.size(), 6);
  EXPECT_EQ(e[0].location, Folder() + u"/sub/red bean.mp3"_s);
  EXPECT_FALSE(e[0].network);
  EXPECT_EQ(e[0].title, u"Red Bean"_s);
  EXPECT_EQ(e[0].artist, u"Faye Wong"_s);
  EXPECT_EQ(e[0].lengthMs, 215000);
  EXPECT_EQ(e[1].location, u"http://127.0.0.1:8000/live?x=1"_s);
  EXPECT_TRUE(e[1].network);
  EXPECT_EQ(e[1].title, u"Radio Loop"_s);
  EXPECT_TRUE(e[1].artist.isEmpty());
  EXPECT_EQ(e[1].lengthMs, -1);
  EXPECT_EQ(e[2].location, dir_.path() + u"/up.ogg"_s);  // the #EXTINF does not carry over
  EXPECT_TRUE(e[2].title.isEmpty());
  EXPECT_EQ(e[3].location, u"/srv/music/abs.flac"_s);
  EXPECT_EQ(e[4].location, u"/srv/music/a b.mp3"_s);
  EXPECT_FALSE(e[4].network);
  EXPECT_EQ(e[5].location, Folder() + u"/music/win.mp3"_s);
}

TEST_F(ForeignPlaylistTest, ExtinfAttributesMayHoldCommas) {
  const QList<Entry> e = ForeignPlaylist::Parse(
      "#EXTM3U\n#EXTINF:-1 tvg-name=\"A, B\" group-title=\"x\",Station One\nhttp://h/s\n",
      ForeignPlaylist::Format::M3u, Folder());
  ASSERT_EQ(e.size(), 1);
  EXPECT_EQ(e[0].title, u"Station One"_s);
}

TEST_F(ForeignPlaylistTest, ChineseTitlesInEachEncoding) {
  const QString title = u"王菲 - 红豆"_s;
  const QByteArray body = "#EXTM3U\n#EXTINF:100,";
  // An .m3u from a Chinese Windows player: GB18030 bytes, not UTF-8.
  const QList<Entry> gb =
      ReadOk(Write(u"gb.m3u"_s, body + ToGb18030(title) + "\n" + ToGb18030(u"歌/红豆.mp3"_s)));
  ASSERT_EQ(gb.size(), 1);
  EXPECT_EQ(gb[0].title, u"红豆"_s);
  EXPECT_EQ(gb[0].artist, u"王菲"_s);
  EXPECT_EQ(gb[0].location, Folder() + u"/歌/红豆.mp3"_s);
  // The same text in UTF-8 under both extensions, with and without a byte-order mark.
  for (const QString& name : {u"u.m3u"_s, u"u.m3u8"_s}) {
    for (const QByteArray& bom : {QByteArray(), QByteArray("\xEF\xBB\xBF")}) {
      const QList<Entry> u = ReadOk(Write(name, bom + body + title.toUtf8() + "\n红豆.mp3\n"));
      ASSERT_EQ(u.size(), 1) << name.toStdString();
      EXPECT_EQ(u[0].title, u"红豆"_s);
      EXPECT_EQ(u[0].location, Folder() + u"/红豆.mp3"_s);
    }
  }
  const QList<Entry> pls =
      ReadOk(Write(u"gb.pls"_s, "[playlist]\nFile1=" + ToGb18030(u"红豆.mp3"_s) + "\nTitle1=" +
                                    ToGb18030(title) + "\nLength1=100\nNumberOfEntries=1\n"));
  ASSERT_EQ(pls.size(), 1);
  EXPECT_EQ(pls[0].title, u"红豆"_s);
  EXPECT_EQ(pls[0].artist, u"王菲"_s);
}

TEST_F(ForeignPlaylistTest, PlsFollowsTheNumbersNotTheLineOrder) {
  const QList<Entry> e = ReadOk(Write(u"radio.pls"_s,
                                      "[playlist]\r\n"
                                      "NumberOfEntries=3\r\n"
                                      "File2=http://127.0.0.1:9/two\r\n"
                                      "Title2=Second\r\n"
                                      "Length2=-1\r\n"
                                      "file1 = local/one.mp3\r\n"
                                      "TITLE1=First\r\n"
                                      "Length1=61\r\n"
                                      "Title3=no file, no entry\r\n"
                                      "File10=/abs/ten.wav\r\n"
                                      "Version=2\r\n"));
  ASSERT_EQ(e.size(), 3);
  EXPECT_EQ(e[0].location, Folder() + u"/local/one.mp3"_s);
  EXPECT_EQ(e[0].title, u"First"_s);
  EXPECT_EQ(e[0].lengthMs, 61000);
  EXPECT_TRUE(e[1].network);
  EXPECT_EQ(e[1].lengthMs, -1);
  EXPECT_EQ(e[2].location, u"/abs/ten.wav"_s);
  EXPECT_TRUE(e[2].title.isEmpty());
}

TEST_F(ForeignPlaylistTest, XspfTracks) {
  const QList<Entry> e = ReadOk(Write(u"list.xspf"_s, R"(<?xml version="1.0" encoding="UTF-8"?>
<playlist version="1" xmlns="http://xspf.org/ns/0/">
  <title>whole list</title>
  <trackList>
    <track>
      <location>music/%E7%BA%A2%E8%B1%86.mp3</location>
      <title>红豆</title><creator>王菲</creator><album>唱游</album>
      <duration>254000</duration>
    </track>
    <track><location>file:///srv/a%20b.flac</location><location>http://other/</location></track>
    <track><location>http://127.0.0.1:8000/stream</location><title>Live</title></track>
    <track><title>nowhere</title></track>
  </trackList>
</playlist>)"));
  ASSERT_EQ(e.size(), 3);
  EXPECT_EQ(e[0].location, Folder() + u"/music/红豆.mp3"_s);
  EXPECT_EQ(e[0].title, u"红豆"_s);
  EXPECT_EQ(e[0].artist, u"王菲"_s);
  EXPECT_EQ(e[0].album, u"唱游"_s);
  EXPECT_EQ(e[0].lengthMs, 254000);
  EXPECT_EQ(e[1].location, u"/srv/a b.flac"_s);
  EXPECT_TRUE(e[1].title.isEmpty());  // the list's own title is not a track's
  EXPECT_TRUE(e[2].network);
  EXPECT_EQ(e[2].title, u"Live"_s);
}

TEST_F(ForeignPlaylistTest, BadFilesGiveAClearResult) {
  EXPECT_FALSE(ForeignPlaylist::Read(Folder() + u"/missing.m3u"_s).has_value());
  EXPECT_FALSE(ForeignPlaylist::Read(Write(u"song.mp3"_s, "ID3")).has_value());
  const auto empty = ForeignPlaylist::Read(Write(u"empty.pls"_s, ""));
  ASSERT_TRUE(empty.has_value());
  EXPECT_TRUE(empty->isEmpty());
  // Cut off in the middle of the second track: the first one is kept.
  const QList<Entry> cut = ReadOk(
      Write(u"cut.xspf"_s,
            "<playlist><trackList><track><location>/a.mp3</location></track><track><location>/b"));
  ASSERT_EQ(cut.size(), 1);
  EXPECT_EQ(cut[0].location, u"/a.mp3"_s);
  // Binary noise is no playlist entry at all rather than garbage entries.
  QByteArray noise(4096, '\0');
  for (int i = 0; i < noise.size(); ++i) noise[i] = static_cast<char>((i * 131) % 251);
  EXPECT_TRUE(ReadOk(Write(u"noise.xspf"_s, noise)).isEmpty());
}

TEST_F(ForeignPlaylistTest, FormatsAndFilter) {
  EXPECT_EQ(ForeignPlaylist::FormatOf(u"/a/B.M3U"_s), ForeignPlaylist::Format::M3u);
  EXPECT_EQ(ForeignPlaylist::FormatOf(u"x.m3u8"_s), ForeignPlaylist::Format::M3u8);
  EXPECT_EQ(ForeignPlaylist::FormatOf(u"x.Pls"_s), ForeignPlaylist::Format::Pls);
  EXPECT_EQ(ForeignPlaylist::FormatOf(u"x.xspf"_s), ForeignPlaylist::Format::Xspf);
  EXPECT_FALSE(ForeignPlaylist::IsPlaylistFile(u"x.mp3"_s));
  EXPECT_FALSE(ForeignPlaylist::IsPlaylistFile(u"m3u"_s));
  EXPECT_EQ(ForeignPlaylist::FilterText(), u"播放列表|*.m3u;*.m3u8;*.pls;*.xspf"_s);
}

TEST_F(ForeignPlaylistTest, ItemsForThePlaylist) {
  const QString path = Write(u"items.m3u8"_s,
                             "#EXTINF:30,Singer - Song\n"
                             "tagged.mp3\n"
                             "#EXTINF:40,\n"
                             "plain.mp3\n"
                             "#EXTINF:-1,电台\n"
                             "http://127.0.0.1:1/live\n"
                             "http://127.0.0.1:1/dir/stream.ogg\n");
  // The tags found in the file; the playlist's texts win, the tags' length wins.
  const auto localEntry = [](const QString& p) {
    TDDPlaylistItem item;
    item.FileName = p;
    item.Title = p.endsWith(u"tagged.mp3"_s) ? u"Tag Title"_s : u"plain"_s;
    item.Artist = u"Tag Artist"_s;
    item.LongTime = p.endsWith(u"tagged.mp3"_s) ? 31000 / 86400000.0 : 0;
    return item;
  };
  const auto items = ForeignPlaylist::ReadItems(path, localEntry);
  ASSERT_TRUE(items.has_value());
  ASSERT_EQ(items->size(), 4);
  const TDDPlaylistItem& a = (*items)[0];
  EXPECT_EQ(a.FileName, Folder() + u"/tagged.mp3"_s);
  EXPECT_EQ(a.Title, u"Song"_s);
  EXPECT_EQ(a.Artist, u"Singer"_s);
  EXPECT_EQ(a.Caption, u"Song - Singer"_s);
  EXPECT_DOUBLE_EQ(a.LongTime, 31000 / 86400000.0);
  EXPECT_FALSE(a.ISURL);
  const TDDPlaylistItem& b = (*items)[1];
  EXPECT_EQ(b.Caption, u"plain - Tag Artist"_s);
  EXPECT_DOUBLE_EQ(b.LongTime, 40000 / 86400000.0);
  const TDDPlaylistItem& c = (*items)[2];
  EXPECT_TRUE(c.ISURL);
  EXPECT_EQ(c.FileName, u"http://127.0.0.1:1/live"_s);
  EXPECT_EQ(c.Caption, u"电台 - "_s);
  EXPECT_EQ(c.LongTime, 0);
  EXPECT_EQ((*items)[3].Title, u"stream"_s);
  // Without tags a local entry is named after its file.
  const auto bare = ForeignPlaylist::ReadItems(path);
  ASSERT_TRUE(bare.has_value());
  EXPECT_EQ((*bare)[1].Caption, u"plain - "_s);
}

}  // namespace

// Lengths beyond what a millisecond count holds (about 24.8 days) overflowed it; they are
// unknown now, in each format, and the largest that fits is kept.
TEST_F(ForeignPlaylistTest, LengthsTooLongForTheMillisecondCountAreUnknown) {
  using F = ForeignPlaylist::Format;
  const auto lengths = [&](const QByteArray& text, F format) {
    QList<int> out;
    for (const Entry& e : ForeignPlaylist::Parse(text, format, Folder())) out.append(e.lengthMs);
    return out;
  };
  EXPECT_EQ(lengths("#EXTM3U\n#EXTINF:5000000,a\na.mp3\n#EXTINF:2147483,b\nb.mp3\n"
                    "#EXTINF:9999999.9,c\nc.mp3\n#EXTINF:1e300,d\nd.mp3\n",
                    F::M3u),
            (QList<int>{-1, 2147483000, -1, -1}));
  EXPECT_EQ(lengths("[playlist]\nFile1=a.mp3\nLength1=2147484\nFile2=b.mp3\nLength2=nan\n", F::Pls),
            (QList<int>{-1, -1}));
  EXPECT_EQ(lengths("<playlist><trackList><track><location>a.mp3</location>"
                    "<duration>5000000000</duration></track></trackList></playlist>",
                    F::Xspf),
            (QList<int>{-1}));
}

}  // namespace vireo
