#include <gtest/gtest.h>

#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>

#include "TestEnv.h"
#include "base/Gb18030.h"
#include "lyrics/LyricFile.h"
#include "lyrics/TLyricHandle.h"

using vireo::LyricFile;

namespace {
const QString kExpected = QStringLiteral(
    "[ti:晴天]\r\n[ar:周杰伦]\r\n[00:01.00]故事的小黄花\r\n[00:05.50]从出生那年就飘着\r\n");
}

TEST(LyricFile, EncodingsAreDetected) {
  for (const char* name :
       {"utf8.lrc", "utf8-bom.lrc", "utf16le-bom.lrc", "utf16be-bom.lrc", "gbk.lrc"}) {
    const auto text =
        LyricFile::Read(vireo::test::DataPath(QStringLiteral("lyrics/") + QLatin1StringView(name)));
    ASSERT_TRUE(text.has_value()) << name;
    EXPECT_EQ(*text, kExpected) << name;
    // And the timeline reads the same out of each.
    vireo::TLyricHandle h;
    h.Parse(*text);
    ASSERT_EQ(h.Count(), 2) << name;
    EXPECT_EQ(h.Info().Artist, QStringLiteral("周杰伦")) << name;
    EXPECT_EQ(h.GetItem(1).Text, QStringLiteral("从出生那年就飘着")) << name;
  }
}

TEST(LyricFile, DecodeMarks) {
  EXPECT_EQ(LyricFile::Decode(QByteArray("\xFF\xFE\x00\x00"
                                         "a\x00\x00\x00",
                                         8)),
            u"a"_qs);
  EXPECT_EQ(LyricFile::Decode(QByteArray("\x00\x00\xFE\xFF\x00\x00\x00"
                                         "b",
                                         8)),
            u"b"_qs);
  EXPECT_EQ(LyricFile::Decode(QByteArray("\x84\x31\x95\x33") + vireo::ToGb18030(u"晴"_qs)),
            u"晴"_qs);
  EXPECT_EQ(LyricFile::Decode(QByteArray()), QString());
  // Not UTF-8, so GB18030: bytes that are valid in neither never stop the decoding.
  EXPECT_FALSE(LyricFile::Decode(QByteArray("\x81\xFFxyz")).isEmpty());
}

// Tools that write UTF-16 without a mark: the zero bytes of its ASCII give it away, in either
// byte order, with Chinese text beside (some of whose characters have a zero byte too).
TEST(LyricFile, Utf16WithoutMarkIsDetected) {
  const QString text = u"[ti:一乐]\r\n[00:01.00]一丁七万丈三上下\r\n[00:02.00]world"_qs;
  const auto bytes = [&](QStringConverter::Encoding e) {
    QStringEncoder encoder(e);
    QByteArray out = encoder.encode(text);
    return out;
  };
  EXPECT_EQ(LyricFile::Decode(bytes(QStringConverter::Utf16LE)), text);
  EXPECT_EQ(LyricFile::Decode(bytes(QStringConverter::Utf16BE)), text);
  // Text without zero bytes is never taken for UTF-16.
  EXPECT_EQ(LyricFile::Decode(text.toUtf8()), text);
  EXPECT_EQ(LyricFile::Decode(vireo::ToGb18030(text)), text);
  // One stray zero byte in a UTF-8 file does not turn it into UTF-16.
  EXPECT_EQ(LyricFile::Decode(QByteArray("[00:01.00]ab\0cd\r\n[00:02.00]ef", 29)).left(10),
            u"[00:01.00]"_qs);
}

TEST(LyricFile, LineBreaks) {
  EXPECT_EQ(LyricFile::NormalizeLines(u"a\rb\nc\r\nd"_qs), u"a\r\nb\r\nc\r\nd\r\n"_qs);
  EXPECT_EQ(LyricFile::NormalizeLines(u"a\n"_qs), u"a\r\n"_qs);
  EXPECT_EQ(LyricFile::NormalizeLines(u"a\n\nb"_qs), u"a\r\n\r\nb\r\n"_qs);
  EXPECT_EQ(LyricFile::NormalizeLines(u"\r\r\n"_qs), u"\r\n\r\n"_qs);
  EXPECT_EQ(LyricFile::NormalizeLines(QString()), QString());
}

TEST(LyricFile, WriteIsUtf8AndRoundTrips) {
  QTemporaryDir dir;
  const QString path = dir.filePath(u"x.lrc"_qs);
  ASSERT_TRUE(LyricFile::Write(path, kExpected));
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_EQ(f.readAll(), kExpected.toUtf8());
  f.close();
  EXPECT_EQ(LyricFile::Read(path), kExpected);
  // An empty text is an empty file.
  ASSERT_TRUE(LyricFile::Write(path, QString()));
  EXPECT_EQ(QFile(path).size(), 0);
  EXPECT_EQ(LyricFile::Read(path), QString());
  // Missing files and folders.
  EXPECT_FALSE(LyricFile::Read(dir.filePath(u"none.lrc"_qs)).has_value());
  EXPECT_FALSE(LyricFile::Write(dir.filePath(u"no/such/x.lrc"_qs), u"a"_qs));
}
