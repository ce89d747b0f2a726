#include <gtest/gtest.h>

#include "app/instance/CommandLine.h"

namespace vireo {
namespace {

const QString kSearch =
    QStringLiteral("vireo://JUU1JTkxJUE4JUU2JTlEJUIwJUU0JUJDJUE2KyVFNiU5OSVCNCVFNSVBNCVBOQ==SH");
// A track link: "http://h/x.mp3|T|A" and the id 7.
const QString kTrack = QStringLiteral("vireo://aHR0cDovL2gveC5tcDN8VHxB|7");

QString S(const char* text) {
  return QString::fromUtf8(text);
}

TEST(CommandLine, RawTextIsRebuiltAsTheRegisteredOpenCommandWouldHaveMadeIt) {
  EXPECT_EQ(CommandLine::RawFromArguments({S("/usr/bin/vireo")}), S("/usr/bin/vireo"));
  // The only argument is quoted, as the open command quoted its file.
  EXPECT_EQ(CommandLine::RawFromArguments({S("/opt/My Apps/vireo"), S("a.mp3")}),
            S("\"/opt/My Apps/vireo\" \"a.mp3\""));
  // Several arguments: only those with blanks (or empty) are quoted.
  EXPECT_EQ(CommandLine::RawFromArguments({S("vireo"), S("My"), S("Song.mp3"), S("x y"), S("")}),
            S("vireo My Song.mp3 \"x y\" \"\""));
  EXPECT_EQ(CommandLine::RawFromArguments({S("vireo"), S("-f a\"b/")}), S("vireo \"-f a\"b/\""));
}

TEST(CommandLine, FirstStartOpensAPathWithOrWithoutQuotes) {
  const CommandAction quoted = CommandLine::FirstStart(
      S("\"C:\\Program Files\\Vireo\\vireo.exe\"  \"D:\\Music\\Song One.mp3\"  "), 1);
  EXPECT_EQ(quoted.kind, CommandAction::OpenItem);
  EXPECT_EQ(quoted.text, S("D:\\Music\\Song One.mp3"));
  EXPECT_FALSE(quoted.playLastEntry);
  EXPECT_TRUE(quoted.play);

  const CommandAction bare = CommandLine::FirstStart(S("vireo.exe\t/music/a.mp3 \r\n"), 1);
  EXPECT_EQ(bare.kind, CommandAction::OpenItem);
  EXPECT_EQ(bare.text, S("/music/a.mp3"));
  EXPECT_EQ(CommandLine::FirstStart({S("/usr/bin/vireo"), S("/music/a.mp3")}).text,
            S("/music/a.mp3"));
  // Split at blanks by the shell, the path is still one text.
  EXPECT_EQ(CommandLine::FirstStart({S("vireo"), S("/music/Song"), S("One.mp3")}).text,
            S("/music/Song One.mp3"));
}

TEST(CommandLine, FirstStartWithoutArgumentsOrWithAnEmptyOneDoesNothing) {
  EXPECT_EQ(CommandLine::FirstStart(S("vireo.exe something"), 0).kind, CommandAction::None);
  EXPECT_EQ(CommandLine::FirstStart({S("vireo")}).kind, CommandAction::None);
  EXPECT_EQ(CommandLine::FirstStart({S("vireo"), S("")}).kind, CommandAction::None);
  EXPECT_EQ(CommandLine::FirstStart(S("\"unterminated"), 1).kind, CommandAction::None);
}

TEST(CommandLine, FirstStartReadsAQuotedWebPlaylistFile) {
  const CommandAction a = CommandLine::FirstStart(S("vireo \"C:\\dl\\list._PL\""), 1);
  EXPECT_EQ(a.kind, CommandAction::RemoteListFile);
  EXPECT_EQ(a.text, S("C:\\dl\\list._PL"));
  // Unquoted it is an ordinary file...
  EXPECT_EQ(CommandLine::FirstStart(S("vireo list._pl"), 1).kind, CommandAction::OpenItem);
  // ...but a launcher's single argument is quoted when rebuilt.
  const CommandAction fromArgs = CommandLine::FirstStart({S("vireo"), S("/tmp/list._pl")});
  EXPECT_EQ(fromArgs.kind, CommandAction::RemoteListFile);
  EXPECT_EQ(fromArgs.text, S("/tmp/list._pl"));
}

TEST(CommandLine, FirstStartSearchDropsLettersBlankSlashAndQuote) {
  const CommandAction a = CommandLine::FirstStart(S("vireo \"-f ") + kSearch + S("/\""), 1);
  EXPECT_EQ(a.kind, CommandAction::Search);
  EXPECT_EQ(a.text, kSearch);
  const CommandAction upper = CommandLine::FirstStart({S("vireo"), S("-F ") + kSearch + u'/'});
  EXPECT_EQ(upper.kind, CommandAction::Search);
  EXPECT_EQ(upper.text, kSearch);
  // Unquoted, "-f" is not recognised here: it is an item like any other.
  EXPECT_EQ(CommandLine::FirstStart(S("vireo -f x"), 2).kind, CommandAction::OpenItem);
}

TEST(CommandLine, AnAddLinkIsPlayedAtTheFirstStartButOnlyAddedLater) {
  const CommandAction add = CommandLine::FirstStart({S("vireo"), kTrack + S("AL/")});
  EXPECT_EQ(add.kind, CommandAction::OpenItem);
  EXPECT_EQ(add.text, kTrack + S("AL/"));
  EXPECT_TRUE(add.playLastEntry);
  // A play link starts itself; playing the last entry again would start it twice.
  EXPECT_FALSE(CommandLine::FirstStart({S("vireo"), kTrack + S("PL/")}).playLastEntry);
  EXPECT_FALSE(CommandLine::FirstStart({S("vireo"), kTrack + S("PL")}).playLastEntry);

  const CommandAction later = CommandLine::Forwarded({QString(), kTrack + S("AL")}, 1);
  EXPECT_EQ(later.kind, CommandAction::OpenItem);
  EXPECT_FALSE(later.playLastEntry);
}

TEST(CommandLine, ForwardedArgumentsAreJoinedWithSingleBlanksAndTrimmed) {
  const CommandAction a = CommandLine::Forwarded({QString(), S("/music/My"), S("Song.mp3")}, 2);
  EXPECT_EQ(a.kind, CommandAction::OpenItem);
  EXPECT_EQ(a.text, S("/music/My Song.mp3"));
  EXPECT_EQ(CommandLine::Forwarded({QString(), S(" \ta.mp3 "), S("\n")}, 2).text, S("a.mp3"));
  // Only slots 1 .. last count.
  EXPECT_EQ(CommandLine::Forwarded({QString(), S("a"), S("b")}, 1).text, S("a"));
  EXPECT_EQ(CommandLine::Forwarded({QString(), S("a")}, 5).text, S("a"));
  EXPECT_EQ(CommandLine::Forwarded({QString(), S("a")}, 0).kind, CommandAction::None);
  EXPECT_EQ(CommandLine::Forwarded({QString(), S("  ")}, 1).kind, CommandAction::None);
}

TEST(CommandLine, ForwardedDashFIsAListOfLinksInOrder) {
  const CommandAction a = CommandLine::Forwarded({QString(), S("-f"), S("l1;l2")}, 2);
  EXPECT_EQ(a.kind, CommandAction::LinkList);
  EXPECT_EQ(a.text, S("l1;l2"));
  EXPECT_EQ(CommandLine::Forwarded({QString(), S("-F l1;l2;")}, 1).text, S("l1;l2;"));
  // The rule cuts three characters whatever the third one is.
  EXPECT_EQ(CommandLine::Forwarded({QString(), S("-fl1")}, 1).text, S("1"));
}

TEST(CommandLine, ABatchOpensEachSenderAndPlaysOnlyTheFirstFile) {
  ForwardedBatch batch;
  batch.senders = {
      {S("/m/a.mp3")}, {}, {S("/m/My"), S("B.mp3")}, {S("-f"), S("l1;l2")}, {S("/m/c.mp3")}};
  const QList<CommandAction> plan = CommandLine::ForBatch(batch);
  ASSERT_EQ(plan.size(), 4);
  EXPECT_EQ(plan[0].text, S("/m/a.mp3"));
  EXPECT_TRUE(plan[0].play);
  EXPECT_EQ(plan[1].text, S("/m/My B.mp3"));
  EXPECT_FALSE(plan[1].play);
  EXPECT_EQ(plan[2].kind, CommandAction::LinkList);
  EXPECT_EQ(plan[3].text, S("/m/c.mp3"));
  EXPECT_FALSE(plan[3].play);
}

TEST(CommandLine, ItemsAreFilesUnlessTheyStartWithTheSchemeWordInLowerCase) {
  EXPECT_EQ(CommandLine::Classify(S("/home/u/vireo.mp3")).kind, CommandItem::LocalFile);
  EXPECT_EQ(CommandLine::Classify(S("Vireo://x|1PL")).kind, CommandItem::LocalFile);
  const CommandItem link = CommandLine::Classify(kTrack + S("PL/"));
  EXPECT_EQ(link.kind, CommandItem::Link);
  EXPECT_EQ(link.text, kTrack + S("PL"));
  const CommandItem search = CommandLine::Classify(kSearch + u'/');
  EXPECT_EQ(search.kind, CommandItem::SearchLink);
  EXPECT_EQ(search.text, kSearch);
}

TEST(CommandLine, FileAddressesFromLaunchersBecomePaths) {
  EXPECT_EQ(CommandLine::LocalArguments({S("file:///usr/bin/vireo"),
                                         S("file:///home/u/My%20Song%E6%AD%8C.mp3"),
                                         S("FILE:///x.mp3"), S("vireo://a|1PL"), S("/plain")}),
            (QStringList{S("file:///usr/bin/vireo"), S("/home/u/My Song歌.mp3"), S("/x.mp3"),
                         S("vireo://a|1PL"), S("/plain")}));
}

}  // namespace
}  // namespace vireo
