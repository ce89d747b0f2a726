#include <gtest/gtest.h>

#include "playlist/DateTimeFormat.h"

namespace vireo {
namespace {

using namespace Qt::StringLiterals;

constexpr double kSecond = 1.0 / 86400;

TEST(DateTimeFormat, MinutesAndSecondsOfTheList) {
  EXPECT_EQ(FormatDateTime(u"nn:ss"_s, 0), u"00:00"_s);
  EXPECT_EQ(FormatDateTime(u"nn:ss"_s, 269 * kSecond), u"04:29"_s);
  EXPECT_EQ(FormatDateTime(u"nn:ss"_s, 65 * 60 * kSecond), u"05:00"_s);  // hours are dropped
  // A length read back from a file is a little below the whole second; it still shows it.
  EXPECT_EQ(FormatDateTime(u"nn:ss"_s, 0.00311342592592593), u"04:29"_s);
  EXPECT_EQ(FormatDateTime(u"nn:ss"_s, 59.9996 * kSecond), u"01:00"_s);  // rounded to ms first
  EXPECT_EQ(FormatDateTime(u"nn:ss"_s, -269 * kSecond), u"04:29"_s);
}

TEST(DateTimeFormat, OtherLetters) {
  const double t = (3 * 3600 + 7 * 60 + 9) * kSecond + 0.042 * kSecond;
  EXPECT_EQ(FormatDateTime(u"h:nn:ss.zzz"_s, t), u"3:07:09.042"_s);
  EXPECT_EQ(FormatDateTime(u"hh:mm:ss"_s, t), u"03:07:09"_s);  // m after h is minutes
  EXPECT_EQ(FormatDateTime(u"HH:NN:SS"_s, t), u"03:07:09"_s);  // letters in any case
  EXPECT_EQ(FormatDateTime(u"n:s z"_s, t), u"7:9 42"_s);
  EXPECT_EQ(FormatDateTime(u"'nn' \"ss\" nn"_s, t), u"nn ss 07"_s);
  EXPECT_EQ(FormatDateTime(u"[nn分ss秒]"_s, t), u"[07分09秒]"_s);
  EXPECT_EQ(FormatDateTime(u"yyyy-mm-dd"_s, 2.5), u"1900-01-01"_s);
  EXPECT_EQ(FormatDateTime(u"yy/m/d"_s, 0), u"99/12/30"_s);
  EXPECT_EQ(FormatDateTime(QString(), t), QString());
}

}  // namespace
}  // namespace vireo
