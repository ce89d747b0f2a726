#include <gtest/gtest.h>

#include <random>

#include "base/Gb18030.h"
#include "library/RemoteList.h"

namespace vireo {
namespace {

TEST(RemoteList, EveryRlistElementInAnyCaseGivesItsUrlAsAnAddLink) {
  const QByteArray xml =
      "<?xml version=\"1.0\" encoding=\"gb2312\"?>\n"
      "<list>\n"
      "  <RList url=\"vireo://QQ==|1\" title=\"x\"/>\n"
      "  <rlist id=\"2\"/>\n"
      "  <rlist URL=\"upper\"></rlist>\n"
      "  <item url=\"not a track\"/>\n"
      "  <RLIST url='vireo://Qg==|3' >text</RLIST>\n"
      "  <rlists url=\"no\"/>\n"
      "</list>\n";
  EXPECT_EQ(RemoteList::Links(xml),
            (QStringList{QStringLiteral("vireo://QQ==|1AL"), QStringLiteral("AL"),
                         QStringLiteral("AL"), QStringLiteral("vireo://Qg==|3AL")}));
}

TEST(RemoteList, ValuesAreReadLikeThePagesWriteThem) {
  // Entities decode; a bare "&" (common in addresses) stays.
  EXPECT_EQ(RemoteList::Links("<rlist url=\"a?b=1&amp;c=2&#x7C;&#124;\"/>"),
            QStringList{QStringLiteral("a?b=1&c=2||AL")});
  EXPECT_EQ(RemoteList::Links("<rlist url=\"a?b=1&c=2\"/>"),
            QStringList{QStringLiteral("a?b=1&c=2AL")});
  EXPECT_EQ(RemoteList::Links("<rlist url=bare>"), QStringList{QStringLiteral("bareAL")});
  // The Chinese code page and UTF-8 both arrive.
  QByteArray gbk = "<rlist url=\"";
  gbk += ToGb18030(QStringLiteral("歌曲"));
  gbk += "\"/>";
  EXPECT_EQ(RemoteList::Links(gbk), QStringList{QStringLiteral("歌曲AL")});
  EXPECT_EQ(RemoteList::Links("\xEF\xBB\xBF<rlist url=\"\xE6\xAD\x8C\"/>"),
            QStringList{QStringLiteral("歌AL")});
}

TEST(RemoteList, CommentsAndCdataHideNothingElseAndBrokenTailsLoseOnlyThemselves) {
  const QByteArray xml =
      "<list><!-- <rlist url=\"comment\"/> --><![CDATA[<rlist url=\"cdata\"/>]]>"
      "<rlist url=\"one\"/><rlist url=\"two";
  EXPECT_EQ(RemoteList::Links(xml), QStringList{QStringLiteral("oneAL")});
  EXPECT_TRUE(RemoteList::Links("").isEmpty());
  EXPECT_TRUE(RemoteList::Links("not xml at all").isEmpty());
  EXPECT_TRUE(RemoteList::Links("<").isEmpty());
}

TEST(RemoteList, AnyBytesGiveAnAnswerAndOnlyAddLinks) {
  std::mt19937 random(1812);
  const QByteArray alphabet("<>/=\"'!-?[]&;# rlistRLISTurl\xE6\xAD\x8C\x80\xFF\0ab", 42);
  for (int round = 0; round < 3000; ++round) {
    QByteArray xml;
    const int n = int(random() % 80);
    for (int i = 0; i < n; ++i) xml.append(alphabet[random() % alphabet.size()]);
    for (const QString& link : RemoteList::Links(xml))
      ASSERT_TRUE(link.endsWith(QStringLiteral("AL"))) << xml.toHex().constData();
  }
}

}  // namespace
}  // namespace vireo
