#include <gtest/gtest.h>

#include <random>

#include "base/Gb18030.h"
#include "library/LibraryLink.h"
#include "library/LinkCodec.h"

namespace vireo {
namespace {

// "http://host/a.mp3|Song One|维雀", URL-encoded from UTF-8, then Base64.
const QString kTrack =
    QStringLiteral("aHR0cCUzQSUyRiUyRmhvc3QlMkZhLm1wMyU3Q1NvbmcrT25lJTdDJUU3JUJCJUI0JUU5JTlCJTgw");
// "周杰伦 晴天" the same way; padded, so command letters after it form an incomplete group.
const QString kKeyword =
    QStringLiteral("JUU1JTkxJUE4JUU2JTlEJUIwJUU0JUJDJUE2KyVFNiU5OSVCNCVFNSVBNCVBOQ==");

TEST(LinkCodec, Base64GroupsOfFourIgnoringAnIncompleteLastGroup) {
  EXPECT_EQ(LinkCodec::Base64Decode("TWFu"), QByteArray("Man"));
  EXPECT_EQ(LinkCodec::Base64Decode("TWE="), QByteArray("Ma"));
  EXPECT_EQ(LinkCodec::Base64Decode("TQ=="), QByteArray("M"));
  EXPECT_EQ(LinkCodec::Base64Decode("TWFuTQ"), QByteArray("Man"));
  EXPECT_EQ(LinkCodec::Base64Decode("TWFuSH"), QByteArray("Man"));
  EXPECT_EQ(LinkCodec::Base64Decode("TWF"), QByteArray());
  EXPECT_EQ(LinkCodec::Base64Decode("YSU3Q2ImYz1kfHg="), QByteArray("a%7Cb&c=d|x"));
}

TEST(LinkCodec, CharactersOutsideTheAlphabetGiveNoBitsButKeepTheirPlace) {
  // One counted character makes no byte.
  EXPECT_EQ(LinkCodec::Base64Decode("T==="), QByteArray());
  // A leading "=" takes the first place: T, W, E fill places 2 to 4 (0x013584), two bytes.
  EXPECT_EQ(LinkCodec::Base64Decode("=TWE"), QByteArray("\x01\x35", 2));
  // A line break inside a group: T, W, F at places 1, 2, 4 (0x4D6005); "u" is left over.
  EXPECT_EQ(LinkCodec::Base64Decode("TW\nFu"), QByteArray("M`"));
}

TEST(LinkCodec, PayloadIsUrlDecodedUpToTheFirstAmpersandThenReadAsUtf8) {
  EXPECT_EQ(LinkCodec::DecodePayload("YSU3Q2ImYz1kfHg="), QStringLiteral("a|b"));
  EXPECT_EQ(LinkCodec::DecodePayload(kKeyword.toLatin1()), QStringLiteral("周杰伦 晴天"));
  // Older pages encoded the Chinese code page: "%D6%DC%BD%DC%C2%D7".
  EXPECT_EQ(LinkCodec::DecodePayload("JUQ2JURDJUJEJURDJUMyJUQ3"), QStringLiteral("周杰伦"));
  // Plain UTF-8 without URL encoding passes through.
  EXPECT_EQ(LinkCodec::DecodePayload("57u06ZuAIOatjHzpopg="), QStringLiteral("维雀 歌|题"));
  EXPECT_EQ(LinkCodec::DecodePayload(""), QString());
}

TEST(LibraryLink, PlayLinkGivesANetworkEntryAndItsId) {
  const LibraryLink link =
      LibraryLink::Parse(QStringLiteral("vireo://") + kTrack + QStringLiteral("|1234PL"));
  EXPECT_EQ(link.command, QStringLiteral("PL"));
  EXPECT_TRUE(link.IsPlay());
  EXPECT_EQ(link.id, QStringLiteral("1234"));
  const TDDPlaylistItem e = link.Entry();
  EXPECT_TRUE(e.ISURL);
  EXPECT_EQ(e.FileName, QStringLiteral("http://host/a.mp3"));
  EXPECT_EQ(e.Title, QStringLiteral("Song One"));
  EXPECT_EQ(e.Artist, QStringLiteral("维雀"));
  EXPECT_EQ(e.Caption, QStringLiteral("Song One - 维雀"));
  EXPECT_EQ(e.LongTime, 0);
  EXPECT_TRUE(e.Alum.isEmpty());
}

TEST(LibraryLink, CommandLettersAreUpperCasedAndOnlyKnownOnesLeaveTheId) {
  const QString base = QStringLiteral("VIREO://") + kTrack;
  const LibraryLink add = LibraryLink::Parse(base + QStringLiteral("| 77 al"));
  EXPECT_TRUE(add.IsAdd());
  EXPECT_EQ(add.id, QStringLiteral("77"));
  const LibraryLink other = LibraryLink::Parse(base + QStringLiteral("|55xy"));
  EXPECT_EQ(other.command, QStringLiteral("XY"));
  EXPECT_EQ(other.id, QStringLiteral("55xy"));
  EXPECT_EQ(other.Entry().Title, QStringLiteral("Song One"));
  // A third field is not part of the id.
  EXPECT_EQ(LibraryLink::Parse(base + QStringLiteral("|9PL|extra")).id, QStringLiteral("9"));
}

TEST(LibraryLink, ATrailingSlashIsRemovedBeforeTheLinkIsRead) {
  const QString plain = QStringLiteral("vireo://") + kTrack + QStringLiteral("|1PL");
  const LibraryLink slashed = LibraryLink::Parse(LibraryLink::WithoutTrailingSlash(plain + u'/'));
  EXPECT_TRUE(slashed.IsPlay());
  EXPECT_EQ(slashed.id, QStringLiteral("1"));
  EXPECT_EQ(slashed.Entry().FileName, QStringLiteral("http://host/a.mp3"));
  // Left on, the slash hides the command.
  EXPECT_FALSE(LibraryLink::Parse(plain + u'/').IsPlay());
  EXPECT_EQ(LibraryLink::WithoutTrailingSlash(plain), plain);
  EXPECT_EQ(LibraryLink::WithoutTrailingSlash(plain + QStringLiteral("//")), plain + u'/');
}

TEST(LibraryLink, SearchLinkKeywordIgnoresTheCommandLetters) {
  const QString link = QStringLiteral("vireo://") + kKeyword + QStringLiteral("SH");
  EXPECT_EQ(LibraryLink::SearchText(link), QStringLiteral("周杰伦 晴天"));
  EXPECT_TRUE(LibraryLink::Parse(link + QStringLiteral("|SH")).IsSearch());
}

TEST(LibraryLink, BrokenLinksGiveEmptyOrPartialFields) {
  const LibraryLink shortLink = LibraryLink::Parse(QStringLiteral("vireo:"));
  EXPECT_TRUE(shortLink.command.isEmpty());
  EXPECT_TRUE(shortLink.payload.isEmpty());
  EXPECT_EQ(shortLink.Entry().Caption, QStringLiteral(" - "));
  EXPECT_TRUE(shortLink.Entry().ISURL);

  const LibraryLink garbage = LibraryLink::Parse(QStringLiteral("vireo://!!!!|x"));
  EXPECT_TRUE(garbage.payload.isEmpty());
  EXPECT_EQ(garbage.command, QStringLiteral("X"));
  // Only an address: title and artist stay empty.
  const LibraryLink bare = LibraryLink::Parse(QStringLiteral("vireo://aHR0cDovL2gveC5tcDM=|2AL"));
  EXPECT_EQ(bare.Entry().FileName, QStringLiteral("http://h/x.mp3"));
  EXPECT_EQ(bare.Entry().Caption, QStringLiteral(" - "));
}

TEST(LibraryLink, SchemeWordWithCaseOnTheCommandLineWithoutInTheBrowser) {
  EXPECT_TRUE(LibraryLink::IsLibraryLink(QStringLiteral("vireo://x")));
  EXPECT_FALSE(LibraryLink::IsLibraryLink(QStringLiteral("Vireo://x")));
  EXPECT_TRUE(LibraryLink::IsLibraryLink(QStringLiteral("VIREO://x"), Qt::CaseInsensitive));
  EXPECT_FALSE(LibraryLink::IsLibraryLink(QStringLiteral("/home/vireo.mp3"), Qt::CaseInsensitive));
}

TEST(LibraryLink, LinkListsSplitAtEverySemicolon) {
  using L = QStringList;
  EXPECT_EQ(LibraryLink::SplitList(QStringLiteral("a;b;")),
            (L{QStringLiteral("a"), QStringLiteral("b")}));
  EXPECT_EQ(LibraryLink::SplitList(QStringLiteral("a;;b")),
            (L{QStringLiteral("a"), QString(), QStringLiteral("b")}));
  EXPECT_EQ(LibraryLink::SplitList(QStringLiteral(";a")), (L{QString(), QStringLiteral("a")}));
  EXPECT_EQ(LibraryLink::SplitList(QStringLiteral("a;;")), (L{QStringLiteral("a"), QString()}));
  EXPECT_EQ(LibraryLink::SplitList(QStringLiteral("a")), L{QStringLiteral("a")});
  EXPECT_TRUE(LibraryLink::SplitList(QString()).isEmpty());
  EXPECT_EQ(LibraryLink::SplitList(QStringLiteral(";")), L{QString()});
}

TEST(LibraryLink, AnyTextDecodesWithoutHarm) {
  std::mt19937 random(1807);
  const QString alphabet = QStringLiteral("vireo:/|ALPHSalphs=+%&0123456789ABCDEFabcdef 歌\t");
  for (int round = 0; round < 3000; ++round) {
    QString link;
    const int n = int(random() % 60);
    for (int i = 0; i < n; ++i) link.append(alphabet[random() % alphabet.size()]);
    const LibraryLink parsed = LibraryLink::Parse(link);
    ASSERT_LE(parsed.command.size(), 2);
    ASSERT_TRUE(parsed.Entry().ISURL);
    LibraryLink::SearchText(link);
    LibraryLink::SplitList(link);
  }
}

}  // namespace
}  // namespace vireo
