// The value syntax of skin files: what each kind of attribute text becomes.
#include <gtest/gtest.h>

#include "skin/TSkinValues.h"

using namespace vireo;

namespace {
std::optional<QString> T(const char* s) {
  return QString::fromUtf8(s);
}
const std::optional<QString> kMissing;
}  // namespace

TEST(SkinValues, IntegersKeepTheLow16BitsAndFailToZero) {
  EXPECT_EQ(TSkinValues::Int16(T("12")), 12);
  EXPECT_EQ(TSkinValues::Int16(T(" 7 ")), 7);
  EXPECT_EQ(TSkinValues::Int16(T("-3")), -3);
  EXPECT_EQ(TSkinValues::Int16(T("+5")), 5);
  EXPECT_EQ(TSkinValues::Int16(T("32767")), 32767);
  EXPECT_EQ(TSkinValues::Int16(T("32768")), -32768);
  EXPECT_EQ(TSkinValues::Int16(T("70000")), 4464);
  EXPECT_EQ(TSkinValues::Int16(T("3000000000")), 0);  // beyond 32 bits: not an integer
  EXPECT_EQ(TSkinValues::Int16(T("abc")), 0);
  EXPECT_EQ(TSkinValues::Int16(T("12px")), 0);
  EXPECT_EQ(TSkinValues::Int16(T("0x10")), 0);
  EXPECT_EQ(TSkinValues::Int16(T("1.5")), 0);
  EXPECT_EQ(TSkinValues::Int16(T("")), 0);
  EXPECT_EQ(TSkinValues::Int16(kMissing), 0);
}

TEST(SkinValues, BytesKeepTheLow8Bits) {
  EXPECT_EQ(TSkinValues::Byte(T("100")), 100);
  EXPECT_EQ(TSkinValues::Byte(T("255")), 255);
  EXPECT_EQ(TSkinValues::Byte(T("300")), 44);
  EXPECT_EQ(TSkinValues::Byte(T("-1")), 255);
  EXPECT_EQ(TSkinValues::Byte(T("x")), 0);
  EXPECT_EQ(TSkinValues::Byte(kMissing), 0);
}

TEST(SkinValues, RectanglesNeedExactlyFourIntegers) {
  EXPECT_EQ(TSkinValues::Rect(T("1,2,3,4")), (TSkinRect{1, 2, 3, 4}));
  EXPECT_EQ(TSkinValues::Rect(T(" 1, 2 ,3 ,-4")), (TSkinRect{1, 2, 3, -4}));
  EXPECT_EQ(TSkinValues::Rect(T("70000,0,0,1")), (TSkinRect{4464, 0, 0, 1}));
  EXPECT_EQ(TSkinValues::Rect(T("1,2,3")), TSkinRect{});
  EXPECT_EQ(TSkinValues::Rect(T("a,b,c,d")), TSkinRect{});
  EXPECT_EQ(TSkinValues::Rect(T("1,2,3,x")), TSkinRect{});
  EXPECT_EQ(TSkinValues::Rect(T("1,2,3,4,5")), TSkinRect{});
  EXPECT_EQ(TSkinValues::Rect(T("1,2,,4")), TSkinRect{});
  EXPECT_EQ(TSkinValues::Rect(T("")), TSkinRect{});
  EXPECT_EQ(TSkinValues::Rect(kMissing), TSkinRect{});
}

TEST(SkinValues, ColoursAreSixHexDigitsWithOrWithoutHash) {
  const TSkinColor dodger{0x1E, 0x90, 0xFF};
  EXPECT_EQ(TSkinValues::Color(T("1e90FF")), dodger);
  EXPECT_EQ(TSkinValues::Color(T("#1e90FF")), dodger);
  EXPECT_EQ(TSkinValues::Color(T("#1E90ff")), dodger);
  EXPECT_EQ(TSkinValues::Color(T("000000")), (TSkinColor{0, 0, 0}));
  // The platform colour is 0x00BBGGRR, a playlist pixel opaque 0xFFRRGGBB.
  EXPECT_EQ(dodger.ToColorRef(), 0xFF901E);
  EXPECT_EQ(dodger.ToOpaque32(), 0xFF1E90FFu);

  for (const char* bad : {"#1e90F", "1e90F", "1e90FFF", "#1e90FG", "##1e90FF", " 1e90FF", "1e90FF ",
                          "0x1e90FF", "", "#"})
    EXPECT_FALSE(TSkinValues::Color(T(bad)).has_value()) << bad;
  EXPECT_FALSE(TSkinValues::Color(kMissing).has_value());
}

TEST(SkinValues, BooleansAreFalseOnlyForZeroAndNothing) {
  EXPECT_FALSE(TSkinValues::Bool(T("0")));
  EXPECT_FALSE(TSkinValues::Bool(T("")));
  EXPECT_FALSE(TSkinValues::Bool(kMissing));
  EXPECT_TRUE(TSkinValues::Bool(T("1")));
  EXPECT_TRUE(TSkinValues::Bool(T("false")));
  EXPECT_TRUE(TSkinValues::Bool(T("00")));
}

TEST(SkinValues, AnchorCodesWithoutCaseAndExtendedOnlyWhereAllowed) {
  const auto A = TAnchors::Of;
  struct Case {
    const char* code;
    TAnchors plain, extended;
  } cases[] = {
      {"RT", A(false, true, true, false), A(false, true, true, false)},
      {"lb", A(true, false, false, true), A(true, false, false, true)},
      {"Rb", A(false, false, true, true), A(false, false, true, true)},
      {"LRCT", A(false, true, false, false), A(false, true, false, false)},
      {"lrcb", A(false, false, false, true), A(false, false, false, true)},
      {"TBCL", A(true, false, false, false), A(true, false, false, false)},
      {"TBCR", A(false, false, true, false), A(false, false, true, false)},
      {"c", A(false, false, false, false), A(false, false, false, false)},
      {"LRT", A(true, true, false, false), A(true, true, true, false)},
      {"LRB", A(true, true, false, false), A(true, false, true, true)},
      {"ltb", A(true, true, false, false), A(true, true, false, true)},
      {"RTB", A(true, true, false, false), A(false, true, true, true)},
      {"LRTB", A(true, true, false, false), A(true, true, true, true)},
      {"LT", A(true, true, false, false), A(true, true, false, false)},
      {"", A(true, true, false, false), A(true, true, false, false)},
      {" RT", A(true, true, false, false), A(true, true, false, false)},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TSkinValues::Anchors(T(c.code), false), c.plain) << c.code;
    EXPECT_EQ(TSkinValues::Anchors(T(c.code), true), c.extended) << c.code;
  }
  EXPECT_EQ(TSkinValues::Anchors(kMissing, true), A(true, true, false, false));
}
