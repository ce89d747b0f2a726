#include <gtest/gtest.h>

#include "base/Gb18030.h"
#include "base/TextUtil.h"

using namespace vireo;

TEST(Gb18030, ChineseHasItsGbkBytes) {
  EXPECT_EQ(ToGb18030(QStringLiteral("歌")), QByteArray("\xB8\xE8"));
  EXPECT_EQ(FromGb18030("\xB8\xE8"), QStringLiteral("歌"));
  // 维雀 in GBK, and plain ASCII passes through.
  EXPECT_EQ(FromGb18030("ab\xCE\xAC\xC8\xB8"), QStringLiteral("ab维雀"));
}

TEST(Gb18030, EveryUnicodeCharacterSurvivesARoundTrip) {
  const QString text = QStringLiteral("Beyoncé – ÆØÅ ひらがな 한국어 😀🎵 𠀀");
  const QByteArray gb = ToGb18030(text);
  EXPECT_FALSE(gb.contains('?'));
  EXPECT_EQ(FromGb18030(gb), text);
  // An emoji takes the four-byte form.
  EXPECT_EQ(ToGb18030(QStringLiteral("😀")).size(), 4);
}

TEST(Gb18030, BrokenBytesBecomeReplacementAndDecodingGoesOn) {
  // A lead byte with an invalid trail, then a lone lead byte at the very end.
  const QString s = FromGb18030(
      "a\x81\x20"
      "b\xB8");
  EXPECT_TRUE(s.startsWith(QStringLiteral("a\uFFFD")));
  EXPECT_TRUE(s.contains(u'b'));
  EXPECT_TRUE(s.endsWith(QChar(0xFFFD)));
  EXPECT_TRUE(FromGb18030(QByteArray()).isEmpty());
}

TEST(Gb18030, LongTextsConvertWhole) {
  QString big;
  for (int i = 0; i < 5000; ++i) big += QStringLiteral("歌词lyric");
  EXPECT_EQ(FromGb18030(ToGb18030(big)), big);
}

TEST(Utf8Check, AcceptsWellFormedAndRejectsTheRest) {
  EXPECT_TRUE(IsValidUtf8(QStringLiteral("歌 😀 é").toUtf8()));
  EXPECT_TRUE(IsValidUtf8(""));
  EXPECT_FALSE(IsValidUtf8("\xB8\xE8"));          // GBK bytes
  EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));          // overlong '/'
  EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));      // surrogate
  EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80"));  // past U+10FFFF
  EXPECT_FALSE(IsValidUtf8("\xE6\xAD"));          // cut short
}

TEST(Trim, DropsEverythingUpToBlankAtBothEnds) {
  EXPECT_EQ(TrimBytes("\t\r\n \x01 a b \x1f\x20"), QByteArray("a b"));
  EXPECT_EQ(TrimBytes("\x7f"
                      "a\x7f"),
            QByteArray("\x7f"
                       "a\x7f"));  // DEL is not trimmed
  EXPECT_EQ(TrimBytes("   "), QByteArray());
  EXPECT_EQ(TrimText(QStringLiteral("\u3000歌\n")),
            QStringLiteral("\u3000歌"));  // ideographic space stays
  EXPECT_TRUE(IsBlank(QStringLiteral(" \t\r\n")));
}

TEST(FileTitle, NameWithoutFolderAndLastExtension) {
  EXPECT_EQ(FileTitle(QStringLiteral("/music/周杰伦 - 晴天.mp3")), QStringLiteral("周杰伦 - 晴天"));
  EXPECT_EQ(FileTitle(QStringLiteral("C:\\Music\\a.b.flac")), QStringLiteral("a.b"));
  EXPECT_EQ(FileTitle(QStringLiteral("/dir.with.dots/track")), QStringLiteral("track"));
  EXPECT_EQ(FileTitle(QStringLiteral("song.")), QStringLiteral("song"));
  EXPECT_EQ(FileTitle(QString()), QString());
}

TEST(CleanFileName, RemovesTheNineCharactersAndControlCharactersOnly) {
  EXPECT_EQ(CleanFileName(QStringLiteral("a\"b*c/d:e<f>g?h\\i|j")), QStringLiteral("abcdefghij"));
  // A stream's title with a newline, a tab and a 0x01 byte.
  EXPECT_EQ(CleanFileName(QStringLiteral("Live\nNow\t\x01On Air"), 100), QStringLiteral("LiveNowOn Air"));
  EXPECT_EQ(CleanFileName(QStringLiteral("It's (live) [2004] 歌.")),
            QStringLiteral("It's (live) [2004] 歌."));
}

TEST(CleanFileName, CutsAtACharacterBoundaryUnderTheByteLimit) {
  // 歌 is two GB18030 bytes: 99 bytes of ASCII plus one 歌 would be 101.
  const QString name = QString(99, u'x') + QStringLiteral("歌歌");
  EXPECT_EQ(CleanFileName(name, 100), QString(99, u'x'));
  EXPECT_EQ(CleanFileName(QString(98, u'x') + QStringLiteral("歌歌"), 100),
            QString(98, u'x') + QStringLiteral("歌"));
  // An emoji is four bytes and one character made of two UTF-16 units; it is never split.
  EXPECT_EQ(CleanFileName(QString(97, u'x') + QStringLiteral("😀"), 100), QString(97, u'x'));
  EXPECT_EQ(CleanFileName(QString(96, u'x') + QStringLiteral("😀"), 100),
            QString(96, u'x') + QStringLiteral("😀"));
  // Removal happens before cutting.
  EXPECT_EQ(CleanFileName(QStringLiteral("??ab"), 2), QStringLiteral("ab"));
  EXPECT_EQ(CleanFileName(QStringLiteral("ab"), 0), QString());
}

TEST(CutUtf8, KeepsWholeCharactersWithinTheUtf8ByteCount) {
  // 晴 is three UTF-8 bytes (two in GB18030): 200 GB18030 bytes of it are 300 of UTF-8.
  const QString zh = QString(100, u'晴');
  EXPECT_EQ(ToGb18030(CleanFileName(zh, 200)).size(), 200);
  EXPECT_EQ(CutUtf8(zh, 244), QString(81, u'晴'));
  EXPECT_EQ(CutUtf8(QStringLiteral("a😀"), 4), QStringLiteral("a"));
  EXPECT_EQ(CutUtf8(QStringLiteral("a😀"), 5), QStringLiteral("a😀"));
  EXPECT_EQ(CutUtf8(QString(), 10), QString());
}

// ASCII letters fold; the bytes inside Chinese characters do not, even where they look like
// letters (GBK 0x81 0x41 and 0x81 0x61 are two different characters).
TEST(FoldAsciiCase, FoldsOnlyLettersThatStandForThemselves) {
  EXPECT_EQ(FoldAsciiCase("Jay Chou - QING Tian.LRC"), QByteArray("jay chou - qing tian.lrc"));
  EXPECT_EQ(FoldAsciiCase("abc", true), QByteArray("ABC"));
  const QByteArray lead(1, '\x81');
  const QByteArray a = lead + 'A' + "Ab", b = lead + 'a' + "AB";
  EXPECT_EQ(FoldAsciiCase(a), lead + 'A' + "ab");
  EXPECT_NE(FoldAsciiCase(a), FoldAsciiCase(b));
  EXPECT_EQ(FoldAsciiCase(b, true), lead + 'a' + "AB");
  // Four-byte characters (second byte a digit) are skipped whole.
  const QByteArray four = ToGb18030(QStringLiteral("\U0001F600X"));
  ASSERT_EQ(four.size(), 5);
  EXPECT_EQ(FoldAsciiCase(four), four.first(4) + 'x');
  // Real text round-trips: only the Latin letters changed.
  EXPECT_EQ(FromGb18030(FoldAsciiCase(ToGb18030(QStringLiteral("晴天 Jay")))),
            QStringLiteral("晴天 jay"));
}
