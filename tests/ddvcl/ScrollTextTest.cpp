// The marquee: measuring, ticks in every direction, the wrap-around event and its abort.
#include <gtest/gtest.h>

#include "TestEnv.h"
#include "ddvcl/TScrollText.h"

using namespace vireo;

namespace {

std::unique_ptr<TScrollText> Marquee(int w = 161, int h = 25) {
  auto m = std::make_unique<TScrollText>();
  m->SetActive(false);  // the tests tick by hand
  m->resize(w, h);
  return m;
}

}  // namespace

TEST(ScrollText, StartsWithItsDesignValues) {
  TScrollText m;
  EXPECT_TRUE(m.Active());
  EXPECT_EQ(m.Interval(), 200);
  EXPECT_EQ(m.Step(), 5);
  EXPECT_EQ(m.Offset(), 0);
  EXPECT_EQ(m.ScrollDirection(), TScrollDirect::sdLeft);
  EXPECT_EQ(m.width(), 200);
  EXPECT_EQ(m.font().pixelSize(), 12);
  EXPECT_EQ(m.TextLayout(), Qt::AlignVCenter);
}

TEST(ScrollText, LeftwardTextReentersFromTheRightOnceItHasLeft) {
  auto m = Marquee();
  m->SetScrollingText(QStringLiteral("Some title - Some artist"));
  const int tw = m->TextWidth();
  ASSERT_GT(tw, 0);
  std::vector<int> events;
  m->OnFrameScrolled = [&](TScrollDirect d, int pos, bool&) {
    EXPECT_EQ(d, TScrollDirect::sdLeft);
    events.push_back(pos);
  };
  int ticks = 0;
  while (events.empty() && ticks < 1000) {
    m->Tick();
    ++ticks;
  }
  // The first offset below -TextWidth raises the event, then the text restarts at the right edge.
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(ticks, tw / 5 + 1);
  EXPECT_LT(events[0], -tw);
  EXPECT_GE(events[0], -tw - 5);
  EXPECT_EQ(m->Offset(), 160);
  m->Tick();
  EXPECT_EQ(m->Offset(), 155);
}

TEST(ScrollText, EstimateMakesDoubleByteTextLongEnough) {
  auto m = Marquee();
  m->SetScrollingText(QStringLiteral("维雀分享音乐快乐"));  // 16 bytes at height 12
  EXPECT_GE(m->TextWidth(), 96);
  // The longest line counts for text of several lines.
  m->SetScrollingText(QStringLiteral("ab\r\n维雀分享音乐快乐\r\nc"));
  EXPECT_GE(m->TextWidth(), 96);
}

TEST(ScrollText, SettingTheTextRestartsItAndBigStepsAreRefused) {
  auto m = Marquee();
  m->SetScrollingText(QStringLiteral("abc"));
  m->Tick();
  m->Tick();
  EXPECT_EQ(m->Offset(), -10);
  m->SetScrollingText(QStringLiteral("abcd"));
  EXPECT_EQ(m->Offset(), 0);
  m->SetStep(161);
  EXPECT_EQ(m->Step(), 5);
  m->SetStep(160);
  EXPECT_EQ(m->Step(), 160);
  m->SetStep(0);
  m->Tick();  // a step of 0 does nothing
  EXPECT_EQ(m->Offset(), 0);
}

TEST(ScrollText, AbortStopsTheMarqueeWithTheTextOutOfView) {
  auto m = Marquee();
  m->SetScrollingText(QStringLiteral("x"));
  m->SetActive(true);
  m->OnFrameScrolled = [](TScrollDirect, int, bool& abort) { abort = true; };
  int ticks = 0;
  while (m->Active() && ticks < 1000) {
    m->Tick();
    ++ticks;
  }
  EXPECT_FALSE(m->Active());
  EXPECT_LT(m->Offset(), -m->TextWidth());
  const int stopped = m->Offset();
  vireo::test::Pump(50);
  EXPECT_EQ(m->Offset(), stopped);
}

TEST(ScrollText, OtherDirectionsWrapAtTheirOwnEdges) {
  auto m = Marquee(100, 40);
  m->SetScrollingText(QStringLiteral("abc"));
  m->SetScrollDirection(TScrollDirect::sdRight);
  EXPECT_FALSE(m->TextWordWrap());
  EXPECT_EQ(m->TextAlignment(), Qt::AlignLeft);
  for (int i = 0; i < 21; ++i) m->Tick();  // 105 > 100
  EXPECT_EQ(m->Offset(), 1 - m->TextWidth());

  m->SetScrollDirection(TScrollDirect::sdDown);
  EXPECT_TRUE(m->TextWordWrap());
  EXPECT_EQ(m->TextLayout(), Qt::AlignTop);
  EXPECT_EQ(m->Offset(), 0);
  for (int i = 0; i < 9; ++i) m->Tick();  // 45 > 40
  EXPECT_EQ(m->Offset(), 1 - m->TextHeight());

  m->SetScrollDirection(TScrollDirect::sdUp);
  const int th = m->TextHeight();
  int ticks = 0;
  while (m->Offset() >= -th && ticks < 100) {
    m->Tick();
    ++ticks;
    if (m->Offset() == 39) break;
  }
  EXPECT_EQ(m->Offset(), 39);
  // Alignment is free for vertical movement, layout is forced to the top.
  m->SetTextAlignment(Qt::AlignHCenter);
  EXPECT_EQ(m->TextAlignment(), Qt::AlignHCenter);
  m->SetTextLayout(Qt::AlignBottom);
  EXPECT_EQ(m->TextLayout(), Qt::AlignTop);
}

TEST(ScrollText, TheTimerMovesTheText) {
  auto m = Marquee();
  m->SetScrollingText(QStringLiteral("moving"));
  m->SetInterval(10);
  m->SetActive(true);
  EXPECT_TRUE(vireo::test::WaitUntil([&] { return m->Offset() <= -10; }, 5000));
  m->SetActive(false);
}
