#include <gtest/gtest.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/textidentificationframe.h>

#include <QFile>

#include "MediaFactory.h"
#include "audio/TagReader.h"
#include "base/Gb18030.h"

using namespace vireo;
using vireo::test::MediaFactory;

namespace {

QStringList Tags(const QString& title, const QString& artist, const QString& album) {
  return {QStringLiteral("-metadata"), QStringLiteral("title=") + title,
          QStringLiteral("-metadata"), QStringLiteral("artist=") + artist,
          QStringLiteral("-metadata"), QStringLiteral("album=") + album};
}

void ExpectAbout(double days, double seconds) {
  EXPECT_NEAR(days * 86400.0, seconds, 0.08);
}

}  // namespace

TEST(TagReader, ReadsTitleArtistAlbumAndLengthOfEachFormat) {
  const QStringList formats = {QStringLiteral("mp3"), QStringLiteral("ogg"), QStringLiteral("flac"),
                               QStringLiteral("wav"), QStringLiteral("aiff")};
  for (const QString& ext : formats) {
    SCOPED_TRACE(ext.toStdString());
    QStringList extra = Tags(QStringLiteral("晴天 ") + ext, QStringLiteral("Artist Ünïcode"),
                             QStringLiteral("Album"));
    if (ext == QLatin1StringView("aiff"))
      extra << QStringLiteral("-write_id3v2") << QStringLiteral("1");
    const QString path =
        MediaFactory::Tone(QStringLiteral("tags-") + ext, ext, 440, 1.0, 0.3, extra);
    const TTags t = TagReader::Read(path);
    EXPECT_EQ(t.Title, QStringLiteral("晴天 ") + ext);
    EXPECT_EQ(t.Artist, QStringLiteral("Artist Ünïcode"));
    EXPECT_EQ(t.Album, QStringLiteral("Album"));
    ExpectAbout(t.Length, 1.0);
  }
}

TEST(TagReader, GbkBytesInLatin1FramesReadAsChinese) {
  // ID3v2: a TIT2/TPE1 frame marked Latin-1 that really holds GBK bytes, as old Chinese taggers
  // wrote them.
  const QString v2 =
      MediaFactory::Tone(QStringLiteral("gbk-v2"), QStringLiteral("mp3"), 440, 1.0, 0.3,
                         {QStringLiteral("-map_metadata"), QStringLiteral("-1")});
  {
    TagLib::MPEG::File f(QFile::encodeName(v2).constData());
    TagLib::ID3v2::Tag* tag = f.ID3v2Tag(true);
    auto frame = [](const char* id, const QString& text) {
      const QByteArray gbk = ToGb18030(text);
      auto* fr = new TagLib::ID3v2::TextIdentificationFrame(id, TagLib::String::Latin1);
      fr->setText(
          TagLib::String(TagLib::ByteVector(gbk.constData(), static_cast<unsigned>(gbk.size())),
                         TagLib::String::Latin1));
      return fr;
    };
    tag->removeFrames("TIT2");
    tag->addFrame(frame("TIT2", QStringLiteral("七里香")));
    tag->addFrame(frame("TPE1", QStringLiteral("周杰伦")));
    ASSERT_TRUE(f.save(TagLib::MPEG::File::ID3v2, TagLib::File::StripOthers));
  }
  TTags t = TagReader::Read(v2);
  EXPECT_EQ(t.Title, QStringLiteral("七里香"));
  EXPECT_EQ(t.Artist, QStringLiteral("周杰伦"));

  // ID3v1: 128 bytes at the end of a file without other tags.
  const QString plain = MediaFactory::Tone(
      QStringLiteral("gbk-v1-src"), QStringLiteral("mp3"), 440, 1.0, 0.3,
      {QStringLiteral("-map_metadata"), QStringLiteral("-1"), QStringLiteral("-write_id3v2"),
       QStringLiteral("0"), QStringLiteral("-write_xing"), QStringLiteral("0")});
  QFile src(plain);
  ASSERT_TRUE(src.open(QIODevice::ReadOnly));
  QByteArray bytes = src.readAll();
  QByteArray v1("TAG");
  auto field = [&](const QString& s, int size) {
    QByteArray b = ToGb18030(s);
    b.resize(size, '\0');
    v1 += b;
  };
  field(QStringLiteral("稻香"), 30);
  field(QStringLiteral("周杰伦"), 30);
  field(QStringLiteral("魔杰座"), 30);
  v1 += QByteArray(4, '\0') + QByteArray(30, '\0') + QByteArray(1, '\xff');
  ASSERT_EQ(v1.size(), 128);
  const QString withV1 = MediaFactory::Write(QStringLiteral("gbk-v1.mp3"), bytes + v1);
  t = TagReader::Read(withV1);
  EXPECT_EQ(t.Title, QStringLiteral("稻香"));
  EXPECT_EQ(t.Artist, QStringLiteral("周杰伦"));
  EXPECT_EQ(t.Album, QStringLiteral("魔杰座"));
  ExpectAbout(t.Length, 1.0);
}

TEST(TagReader, AnUnreadableFileGivesEmptyTagsAndNoLength) {
  for (const QString& path :
       QStringList{MediaFactory::Write(QStringLiteral("junk.mp3"), QByteArray(4000, 'x')),
                   MediaFactory::Dir() + QStringLiteral("/missing.mp3"), MediaFactory::Dir()}) {
    const TTags t = TagReader::Read(path);
    EXPECT_TRUE(t.Title.isEmpty());
    EXPECT_TRUE(t.Artist.isEmpty());
    EXPECT_TRUE(t.Album.isEmpty());
    EXPECT_EQ(t.Length, 0.0);
  }
}
