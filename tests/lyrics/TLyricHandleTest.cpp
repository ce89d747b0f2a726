#include <gtest/gtest.h>

#include <QRandomGenerator>

#include "lyrics/TLyricHandle.h"

using vireo::TLyricHandle;
using vireo::TLyricItem;

namespace {

struct Line {
  qint32 time;
  QString text;
  QString timeText;
};

std::vector<Line> Items(const TLyricHandle& h) {
  std::vector<Line> out;
  for (int i = 0; i < h.Count(); ++i) {
    const TLyricItem it = h.GetItem(i);
    out.push_back({it.Time, it.Text, it.TimeText});
  }
  return out;
}

TLyricHandle Parsed(QByteArrayView text) {
  TLyricHandle h;
  h.ParseUtf8(text);
  return h;
}

}  // namespace

TEST(TLyricHandle, HeaderAndLinesWithCrLf) {
  const auto h = Parsed("[ti:Song]\r\n[ar:Singer]\r\n[00:01.00]First\r\n[00:05.50]Second");
  EXPECT_EQ(h.Info().Title, QStringLiteral("Song"));
  EXPECT_EQ(h.Info().Artist, QStringLiteral("Singer"));
  const auto items = Items(h);
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[0].time, 1000);
  EXPECT_EQ(items[0].text, QStringLiteral("First"));
  EXPECT_EQ(items[0].timeText, QStringLiteral("00:01.00"));
  EXPECT_EQ(items[1].time, 5500);
  EXPECT_EQ(items[1].text, QStringLiteral("Second"));
}

TEST(TLyricHandle, AdjacentTimeTagsShareTheirLine) {
  auto items = Items(Parsed("[00:12.00][01:40.50]Chorus"));
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[0].time, 12000);
  EXPECT_EQ(items[1].time, 100500);
  EXPECT_EQ(items[0].text, QStringLiteral("Chorus"));
  EXPECT_EQ(items[1].text, QStringLiteral("Chorus"));

  // Any byte between the tags ends the first tag's line.
  items = Items(Parsed("[00:12.00] [01:40.50]Chorus"));
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[0].time, 12000);
  EXPECT_EQ(items[0].text, QString());
  EXPECT_EQ(items[1].time, 100500);
  EXPECT_EQ(items[1].text, QStringLiteral("Chorus"));
}

TEST(TLyricHandle, TimeTagShapes) {
  struct Case {
    const char* text;
    qint32 time;
    const char* timeText;
  };
  const Case cases[] = {
      {"[01:02:03]x", 3723000, "01:02:03"},
      {"[12]abc", 12000, "12"},
      {"[5.5]x", 5050, "5.5"},
      {"[00:01.5]x", 1050, "00:01.5"},
      {"[00:01.234]x", 1234, "00:01.234"},  // three fraction digits are milliseconds
      {"[02:41.917]x", 161917, "02:41.917"},
      {"[5.123]x", 5123, "5.123"},
      {"[00:01.2345]x", 1450, "00:01.45"},  // longer runs keep their last two digits
      {"[123:45]x", 23 * 60000 + 45000, "23:45"},
      {"[1:123:45.6]x", 3600000 + 23 * 60000 + 45060, "1:23:45.6"},
      {"[1:2:3.4]x", 3600000 + 120000 + 3000 + 40, "1:2:3.4"},
      {"[-00:02.00]x", -2000, "-00:02.00"},
      {"[-00:00.00]x", 0, "00:00.00"},
      {"[00 : 12 . 34 ]x", 12340, "00:12.34"},  // blanks before any later token are fine
  };
  for (const Case& c : cases) {
    const auto items = Items(Parsed(c.text));
    ASSERT_EQ(items.size(), 1u) << c.text;
    EXPECT_EQ(items[0].time, c.time) << c.text;
    EXPECT_EQ(items[0].timeText, QString::fromLatin1(c.timeText)) << c.text;
  }
}

TEST(TLyricHandle, MalformedTagsAreSkipped) {
  // Four bytes after "[" at the end of the text: too short to be a tag.
  EXPECT_EQ(Parsed("[12]x").Count(), 0);
  EXPECT_EQ(Parsed("[12]abc").Count(), 1);
  // Blanks between "[" and the "-" or the first digit are not allowed.
  EXPECT_EQ(Parsed("[ 00:01.00]x").Count(), 0);
  EXPECT_EQ(Parsed("[ 00 : 12 . 34 ]x").Count(), 0);
  EXPECT_EQ(Parsed("[00:01:02:03]xxxx").Count(), 0);
  EXPECT_EQ(Parsed("[00-01]xxxx").Count(), 0);
  EXPECT_EQ(Parsed("[aa:01]xxxx").Count(), 0);
  EXPECT_EQ(Parsed("[00:xx]xxxx").Count(), 0);
  // Three bytes or fewer after trimming give nothing at all.
  EXPECT_EQ(Parsed("  [1]  ").Count(), 0);
  EXPECT_EQ(Parsed("").Count(), 0);
  // Text before the first tag belongs to no line.
  const auto items = Items(Parsed("garbage [00:03.00]line"));
  ASSERT_EQ(items.size(), 1u);
  EXPECT_EQ(items[0].text, QStringLiteral("line"));
}

TEST(TLyricHandle, UnclosedFractionKeepsScanningInsideTheBracket) {
  // After "5" the token "x" is no "]"; the scan stays in the bracket, where "9" starts another
  // attempt that appends to the tag text kept so far: the tag reads 00:01.59.
  auto items = Items(Parsed("[00:01.5x9]line"));
  ASSERT_EQ(items.size(), 1u);
  EXPECT_EQ(items[0].timeText, QStringLiteral("00:01.59"));
  EXPECT_EQ(items[0].time, 1590);
  EXPECT_EQ(items[0].text, QStringLiteral("line"));
  // A sign after the fraction leaves the scan at the next byte; "]" there is no attempt.
  EXPECT_EQ(Parsed("[00:01.5x]line").Count(), 0);
}

// Real files write milliseconds: lines 15 ms apart must keep their order (read as hundredths,
// 1.190 was 1.9 s and 1.205 was 1.05 s).
TEST(TLyricHandle, MillisecondLinesKeepTheirOrder) {
  TLyricHandle h = Parsed("[00:01.205]b\r\n[00:01.190]a\r\n[00:02]c\r\n[00:01.99]z");
  h.Sort();
  const auto items = Items(h);
  ASSERT_EQ(items.size(), 4u);
  EXPECT_EQ(items[0].text, u"a"_qs);
  EXPECT_EQ(items[0].time, 1190);
  EXPECT_EQ(items[1].text, u"b"_qs);
  EXPECT_EQ(items[1].time, 1205);
  EXPECT_EQ(items[2].time, 1990);
  EXPECT_EQ(items[3].time, 2000);
}

TEST(TLyricHandle, WordTimesAreNotShown) {
  const auto items =
      Items(Parsed("[00:01.00]<00:01.00>Hello <00:01.50>world<00:02.00>\r\n"
                   "[00:03.00]<3 you <b> <1:2> <00:04.0x> <12:3:4>end"));
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[0].text, u"Hello world"_qs);
  EXPECT_EQ(items[0].time, 1000);
  EXPECT_EQ(items[1].text, u"<3 you <b>  <00:04.0x> end"_qs);
}

// A run of brackets whose fractions are never closed: each bracket's search runs on to the one
// "]" at the end, so every bracket gives a tag. The tag texts are the rest of the run from each
// bracket: "-0.0-0.0-0.0..." reads as 0:0:0, the last two as 0:0:0.0 and 0.0. The scan must
// stay quick however long the run (hostile files had it take seconds).
TEST(TLyricHandle, LongRunsOfUnclosedTimeTags) {
  const int n = 20000;
  QByteArray text;
  for (int i = 0; i < n; ++i) text += "[-0.0";
  const auto items = Items(Parsed(QByteArray(text + "]end")));
  ASSERT_EQ(items.size(), size_t(n));
  for (int i = 0; i < n - 2; ++i) {
    ASSERT_EQ(items[i].timeText, u"0:0:0"_qs) << i;
    ASSERT_EQ(items[i].text, QString()) << i;
  }
  EXPECT_EQ(items[n - 2].timeText, u"0:0:0.0"_qs);
  EXPECT_EQ(items[n - 1].timeText, u"0.0"_qs);
  EXPECT_EQ(items[n - 1].text, u"end"_qs);
  for (const auto& it : items) ASSERT_EQ(it.time, 0);
  // Ending inside a tag, nothing is found at all.
  EXPECT_EQ(Parsed(QByteArray(text + "[-0.")).Count(), 0);
  // Header tags inside header values: the innermost value is the title.
  QByteArray nested;
  for (int i = 0; i < n; ++i) nested += "[ti:";
  EXPECT_EQ(Parsed(QByteArray(nested + "x]")).Info().Title, u"x"_qs);
}

TEST(TLyricHandle, HeaderTags) {
  EXPECT_EQ(Parsed("[TI:abc]").Info().Title, QStringLiteral("abc"));
  EXPECT_EQ(Parsed("[ti : abc ]").Info().Title, QStringLiteral("abc"));
  EXPECT_EQ(Parsed("[title:abc]").Info().Title, QString());
  EXPECT_EQ(Parsed("[ ti:abc]").Info().Title, QString());
  const auto h = Parsed("[ar:A][al:B][by:C][la:D][ti:first][ti:second]");
  EXPECT_EQ(h.Info().Artist, QStringLiteral("A"));
  EXPECT_EQ(h.Info().Album, QStringLiteral("B"));
  EXPECT_EQ(h.Info().By, QStringLiteral("C"));
  EXPECT_EQ(h.Info().Language, QStringLiteral("D"));
  EXPECT_EQ(h.Info().Title, QStringLiteral("second"));  // a later tag overwrites
  // A header value ends at a carriage return before its "]".
  EXPECT_EQ(Parsed("[ti:abc\r\n]").Info().Title, QStringLiteral("abc"));
  // Chinese values pass through whole.
  EXPECT_EQ(Parsed(QStringLiteral("[ar:周杰伦]").toUtf8()).Info().Artist, QStringLiteral("周杰伦"));
}

TEST(TLyricHandle, Offset) {
  EXPECT_EQ(Parsed("[offset:+500]").Info().Offset, 500);
  EXPECT_EQ(Parsed("[offset:500]").Info().Offset, 500);
  EXPECT_EQ(Parsed("[offset:-300]").Info().Offset, -300);
  EXPECT_EQ(Parsed("[OFFSET: 250 ]").Info().Offset, 250);
  EXPECT_EQ(Parsed("[offset:abc]").Info().Offset, 0);
  EXPECT_EQ(Parsed("[offset:99999999999]").Info().Offset, 0);
  // A value that does not convert keeps the earlier one.
  EXPECT_EQ(Parsed("[offset:200][offset:x]").Info().Offset, 200);
}

TEST(TLyricHandle, HeaderTagClosesPendingLine) {
  const auto items = Items(Parsed("[00:01.00][ti:x]hello"));
  ASSERT_EQ(items.size(), 1u);
  EXPECT_EQ(items[0].time, 1000);
  EXPECT_EQ(items[0].text, QString());
}

TEST(TLyricHandle, BracketsInsideLines) {
  auto items = Items(Parsed("[00:03.00]hello [world]\r\n[00:04.00]next"));
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[0].text, QStringLiteral("hello [world]"));
  EXPECT_EQ(items[1].text, QStringLiteral("next"));
  // A bracket that looks like a time tag inside a line is a time tag.
  items = Items(Parsed("[00:01.00]a [00:02.00] b\r\n"));
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[0].text, QStringLiteral("a"));
  EXPECT_EQ(items[1].text, QStringLiteral("b"));
}

TEST(TLyricHandle, LineBreakStyles) {
  // Line feeds only: a line runs to the next "[", and trimming drops the line feed.
  auto items = Items(Parsed("[00:01.00]one\n[00:02.00]two\n[00:03.00]three\n"));
  ASSERT_EQ(items.size(), 3u);
  EXPECT_EQ(items[0].text, QStringLiteral("one"));
  EXPECT_EQ(items[2].text, QStringLiteral("three"));
  // Carriage returns only.
  items = Items(Parsed("[00:01.00]one\r[00:02.00]two\r[00:03.00]three"));
  ASSERT_EQ(items.size(), 3u);
  EXPECT_EQ(items[1].text, QStringLiteral("two"));
  // The text of a line ends at the first carriage return, even with more text behind it.
  items = Items(Parsed("[00:01.00]one\rtail\n[00:02.00]two"));
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[0].text, QStringLiteral("one"));
}

TEST(TLyricHandle, MultiByteTextIsKeptWhole) {
  const auto items =
      Items(Parsed(QStringLiteral("[00:01.00]晴天 ]一[ 雨\r\n[00:02.00]😀").toUtf8()));
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[0].text, QStringLiteral("晴天 ]一[ 雨"));
  EXPECT_EQ(items[1].text, QStringLiteral("😀"));
}

TEST(TLyricHandle, SortIsStable) {
  TLyricHandle h;
  h.Parse(QStringLiteral("[00:05.00]a\r\n[00:01.00]b\r\n[00:05.00]c\r\n[-00:01.00]d"));
  h.Sort();
  QStringList order;
  for (int i = 0; i < h.Count(); ++i) order << h.GetItem(i).Text;
  EXPECT_EQ(order, (QStringList{u"d"_qs, u"b"_qs, u"a"_qs, u"c"_qs}));
}

TEST(TLyricHandle, ListOperationsAndClear) {
  TLyricHandle h;
  h.ParseUtf8("[offset:100][00:01.00]a\r\n[00:02.00]b");
  ASSERT_EQ(h.Count(), 2);
  h.Add({u"z"_qs, QString(), 9000});
  h.Insert(0, {u"first"_qs, QString(), -5});
  EXPECT_EQ(h.GetItem(0).Text, u"first"_qs);
  EXPECT_EQ(h.GetItem(3).Text, u"z"_qs);
  h.Delete(0);
  EXPECT_EQ(h.GetItem(0).Text, u"a"_qs);
  // A copy: changing it leaves the timeline alone.
  TLyricItem copy = h.GetItem(0);
  copy.Text = u"changed"_qs;
  EXPECT_EQ(h.GetItem(0).Text, u"a"_qs);
  h.Clear();
  EXPECT_EQ(h.Count(), 0);
  EXPECT_EQ(h.Info(), vireo::TLRCInfo{});
  // A new parse starts from nothing.
  h.ParseUtf8("[ti:x][00:01.00]a");
  h.ParseUtf8("[00:02.00]b");
  EXPECT_EQ(h.Count(), 1);
  EXPECT_EQ(h.Info().Title, QString());
}

TEST(TLyricHandle, VeryLongFile) {
  QByteArray text;
  for (int i = 0; i < 20000; ++i)
    text += "[" + QByteArray::number(i / 6000 % 100).rightJustified(2, '0') + ":" +
            QByteArray::number(i / 100 % 60).rightJustified(2, '0') + "." +
            QByteArray::number(i % 100).rightJustified(2, '0') + "]line " + QByteArray::number(i) +
            "\n";
  TLyricHandle h;
  h.ParseUtf8(text);
  ASSERT_EQ(h.Count(), 20000);
  EXPECT_EQ(h.GetItem(19999).Text, u"line 19999"_qs);
  // One line of a megabyte.
  const QByteArray huge = "[00:01.00]" + QByteArray(1 << 20, 'x');
  h.ParseUtf8(huge);
  ASSERT_EQ(h.Count(), 1);
  EXPECT_EQ(h.GetItem(0).Text.size(), 1 << 20);
}

TEST(TLyricHandle, RandomBytesNeverCrash) {
  QRandomGenerator rng(20261209);
  const char alphabet[] = "[]:.-0123456789tiaroffset \r\n\x80\xff";
  TLyricHandle h;
  for (int round = 0; round < 3000; ++round) {
    QByteArray bytes(rng.bounded(1, 120), '\0');
    for (char& c : bytes)
      c = round % 3 == 0 ? static_cast<char>(rng.bounded(256))
                         : alphabet[rng.bounded(static_cast<int>(sizeof(alphabet) - 1))];
    h.ParseUtf8(bytes);
    h.Sort();
    for (int i = 1; i < h.Count(); ++i) ASSERT_LE(h.GetItem(i - 1).Time, h.GetItem(i).Time);
  }
}
