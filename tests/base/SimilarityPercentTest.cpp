#include <gtest/gtest.h>

#include "base/Gb18030.h"
#include "base/SimilarityPercent.h"

using vireo::SimilarityPercent;

TEST(SimilarityPercent, KnownValues) {
  EXPECT_EQ(SimilarityPercent("abc", "abc"), 100);
  EXPECT_EQ(SimilarityPercent("abcd", "abc"), 75);
  EXPECT_EQ(SimilarityPercent("abc", "abcd"), 75);
  EXPECT_EQ(SimilarityPercent("hello", "hallo"), 100);  // A and E sound alike
  EXPECT_EQ(SimilarityPercent("abc", "axc"), 66);
  EXPECT_EQ(SimilarityPercent("ab", "ba"), 0);
  EXPECT_EQ(SimilarityPercent("yesterday beatles", "yesterday beatles"), 100);
}

TEST(SimilarityPercent, EmptyNamesAreLikeNothing) {
  EXPECT_EQ(SimilarityPercent("", ""), 0);
  EXPECT_EQ(SimilarityPercent("abc", ""), 0);
  EXPECT_EQ(SimilarityPercent("", "abc"), 0);
}

TEST(SimilarityPercent, SoundGroupsAndCase) {
  EXPECT_EQ(SimilarityPercent("BPCZ", "pbzc"), 100);
  EXPECT_EQ(SimilarityPercent("dfgi", "TVKY"), 100);
  EXPECT_EQ(SimilarityPercent("jjj", "iyi"), 100);
  EXPECT_EQ(SimilarityPercent("s", "z"), 0);      // S is alike only to S
  EXPECT_EQ(SimilarityPercent("ae", "ea"), 100);  // A and E pair with each other either way
  // Without the fuzzy flag only equal bytes pair.
  EXPECT_EQ(SimilarityPercent("hello", "hallo", false), 80);
  EXPECT_EQ(SimilarityPercent("ABC", "abc", false), 0);
}

TEST(SimilarityPercent, DistanceGrowsWithLengthDifference) {
  // n = 6, m = 3: allowed distance 2 + 3 = 5, so the tail can pair with the head.
  EXPECT_EQ(SimilarityPercent("xxxabc", "abc"), 50);
  // Equal lengths, n = 3: distance 1; "c" at 3 cannot pair with "c" at 1.
  EXPECT_EQ(SimilarityPercent("xxc", "cxx"), 66);
  // The first argument is the longer name when both have the same length; symmetric here.
  EXPECT_EQ(SimilarityPercent("cxx", "xxc"), 66);
}

TEST(SimilarityPercent, BytesOfChineseNames) {
  const QByteArray a = vireo::ToGb18030(QStringLiteral("晴天 周杰伦"));
  const QByteArray b = vireo::ToGb18030(QStringLiteral("晴天 周杰伦"));
  EXPECT_EQ(SimilarityPercent(a, b), 100);
  const QByteArray c = vireo::ToGb18030(QStringLiteral("七里香 周杰伦"));
  EXPECT_LT(SimilarityPercent(a, c), 96);
}

TEST(SimilarityPercent, NeverLeavesRange) {
  // A walk over many byte patterns must end and stay within 0..100.
  for (int x = 0; x < 400; ++x) {
    QByteArray a, b;
    for (int k = 0; k < (x % 13) + 1; ++k)
      a.append(static_cast<char>("abcxyzAE\x80["[(x * 7 + k * 3) % 11]));
    for (int k = 0; k < (x % 7) + 1; ++k)
      b.append(static_cast<char>("abcxyzAE\x80["[(x * 5 + k) % 11]));
    const int s = SimilarityPercent(a, b);
    EXPECT_GE(s, 0);
    EXPECT_LE(s, 100);
  }
}
