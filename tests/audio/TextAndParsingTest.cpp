#include <gtest/gtest.h>

#include <QStringList>

#include "audio/FormatFilter.h"
#include "audio/GainToolClient.h"
#include "audio/LegacyText.h"
#include "audio/PlaylistLink.h"
#include "base/Gb18030.h"

using namespace vireo;

TEST(LegacyText, TellsGbkFromLatin1AndUtf8) {
  const QByteArray gbk = ToGb18030(QStringLiteral("周杰伦 - 晴天（live）"));
  EXPECT_EQ(LegacyText::Decode(gbk), QStringLiteral("周杰伦 - 晴天（live）"));
  EXPECT_EQ(LegacyText::Decode("Caf\xe9"), QStringLiteral("Café"));
  EXPECT_EQ(LegacyText::Decode("Beyonc\xe9 Knowles"), QStringLiteral("Beyoncé Knowles"));
  EXPECT_EQ(LegacyText::Decode("M\xf6tley Cr\xfc"), QStringLiteral("Mötley Crü"));
  EXPECT_EQ(LegacyText::Decode("Sigur R\xc3\xb3s"), QStringLiteral("Sigur Rós"));
  EXPECT_EQ(LegacyText::Decode("plain"), QStringLiteral("plain"));
  EXPECT_FALSE(LegacyText::LooksLikeGbk("\xd6"));  // a lead byte without its trail
}

TEST(GainToolOutput, ReadsTheThirdFieldAfterTheFirstCarriageReturn) {
  EXPECT_FLOAT_EQ(*GainToolClient::ParseOutput("Track\tLoudness\tGain\r\n1\t-20.5\t2.50\t0.5\r\n"),
                  2.5f);
  EXPECT_FLOAT_EQ(*GainToolClient::ParseOutput("head\r\n\t\t-3.5"), -3.5f);  // empty fields count
  EXPECT_FALSE(GainToolClient::ParseOutput("no carriage return\t1\t2\t3"));
  EXPECT_FALSE(GainToolClient::ParseOutput("h\r\n1\t2"));
  EXPECT_FALSE(GainToolClient::ParseOutput("h\r\n1\t2\tloud"));
  EXPECT_FALSE(
      GainToolClient::Measure(QStringLiteral("/nonexistent/m3g"), QStringLiteral("x.mp3")));
}

TEST(PlaylistLink, FollowsTheFirstEntryOfPlsAndM3u) {
  const QByteArray base = "http://radio.example/lists/station.pls";
  EXPECT_EQ(
      PlaylistLink::FirstEntry(
          "[playlist]\r\nNumberOfEntries=2\r\nFile2=http://b/2\r\nFile1=http://a/1\r\n", base),
      QByteArray("http://a/1"));
  EXPECT_EQ(PlaylistLink::FirstEntry("#EXTM3U\n#EXTINF:-1,Radio\nstream.mp3\nother.mp3\n", base),
            QByteArray("http://radio.example/lists/stream.mp3"));
  EXPECT_TRUE(PlaylistLink::FirstEntry("[playlist]\nNumberOfEntries=0\n", base).isEmpty());
}

TEST(FormatFilter, StartsWithTheClassicListAndAddsWhatTheDecoderHas) {
  const QString f = FormatFilter::Build();
  EXPECT_TRUE(f.startsWith(QStringLiteral(
      "所有音乐|*.mp1;*.mp2;*.mp3;*.wav;*.ogg;*.mod;*.s3m;*.it;*.umx;*.mo3;*.mtm;*.xm;*.aif;")));
  for (const char* p : {"*.flac", "*.m4a", "*.opus", "*.wma", "*.ape", "*.wv", "*.aiff", "*.aac"})
    EXPECT_TRUE(f.split(QLatin1Char(';')).contains(QLatin1StringView(p))) << p;
  EXPECT_EQ(f.count(QLatin1Char('|')), 1);  // one filter entry
  EXPECT_EQ(f.count(QStringLiteral("*.mp3")), 1);
}
