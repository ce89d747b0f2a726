// The scroll bar's value/pixel arithmetic (ties to even), its setters and its mouse states.
#include <gtest/gtest.h>

#include "ControlTestUtil.h"
#include "PlaylistTestHost.h"

using namespace vireo;
using namespace vireo::test;

namespace {

// A bar 100 pixels high with a 20-pixel thumb: 80 pixels of travel.
struct Bar : ::testing::Test {
  TDDScrollBar bar;
  int changes = 0;
  void SetUp() override {
    bar.resize(10, 100);
    bar.SliderW = 10;
    bar.SliderH = 20;
    bar.OnChange = [this](QObject*) { ++changes; };
  }
};

TEST_F(Bar, ValuesAndPixelsRoundHalfToEven) {
  EXPECT_EQ(bar.Travel(), 80);
  bar.SetMax(4);                         // 20 pixels a value
  EXPECT_EQ(bar.ValueFromPixel(10), 0);  // 0.5
  EXPECT_EQ(bar.ValueFromPixel(11), 1);
  EXPECT_EQ(bar.ValueFromPixel(30), 2);  // 1.5
  EXPECT_EQ(bar.ValueFromPixel(50), 2);  // 2.5
  EXPECT_EQ(bar.ValueFromPixel(70), 4);  // 3.5
  EXPECT_EQ(bar.PixelFromValue(3), 60);
  bar.SetMax(32);                        // 2.5 pixels a value
  EXPECT_EQ(bar.PixelFromValue(1), 2);   // 2.5
  EXPECT_EQ(bar.PixelFromValue(3), 8);   // 7.5
  EXPECT_EQ(bar.PixelFromValue(5), 12);  // 12.5
  EXPECT_EQ(bar.SnapPixel(-7), 0);
  EXPECT_EQ(bar.SnapPixel(500), 80);
  EXPECT_EQ(bar.SnapPixel(9), 10);  // 3.6 -> 4 -> 10
  bar.SetMax(0);
  EXPECT_EQ(bar.ValueFromPixel(40), 0);
  EXPECT_EQ(bar.PixelFromValue(7), 0);
  bar.SetMax(5);
  bar.resize(10, 20);  // no travel
  EXPECT_EQ(bar.ValueFromPixel(3), 0);
}

TEST_F(Bar, PositionClampsAndTellsOnlyChanges) {
  bar.SetMax(8);
  bar.SetPosition(3);
  EXPECT_EQ(bar.Position(), 3);
  EXPECT_EQ(bar.ThumbPos(), 30);
  EXPECT_EQ(changes, 1);
  bar.SetPosition(3);
  EXPECT_EQ(changes, 1);
  bar.SetPosition(50);
  EXPECT_EQ(bar.Position(), 8);
  EXPECT_EQ(bar.ThumbPos(), 80);
  bar.SetPosition(-4);
  EXPECT_EQ(bar.Position(), 0);
  EXPECT_EQ(changes, 3);
  // A new Max keeps the thumb's pixel and reads the value back from it.
  bar.SetPosition(4);  // pixel 40
  bar.SetMax(2);
  EXPECT_EQ(bar.Position(), 1);
  EXPECT_EQ(bar.ThumbPos(), 40);
  bar.SetMax(-3);
  EXPECT_EQ(bar.Max(), 0);
  EXPECT_EQ(bar.Position(), 0);
  EXPECT_EQ(bar.ThumbPos(), 0);  // a bar without range shows its thumb at the top
  EXPECT_EQ(changes, 4);         // SetMax tells nobody
  // Long lists scroll to their end: no 16-bit limit.
  bar.SetMax(99994);
  bar.SetPosition(99994);
  EXPECT_EQ(bar.Position(), 99994);
  EXPECT_EQ(bar.ThumbPos(), 80);
}

TEST_F(Bar, PressingTheThumbDragsItByItsAnchor) {
  bar.SetMax(8);  // 10 pixels a value
  bar.SetPosition(2);
  changes = 0;
  Press(&bar, QPoint(5, 25));  // 5 pixels into the thumb
  EXPECT_TRUE(bar.Dragging());
  EXPECT_EQ(bar.ThumbState(), TDDScrollBar::tsPressedOnThumb);
  EXPECT_EQ(bar.DragAnchor(), 5);
  EXPECT_EQ(changes, 1);
  MoveTo(&bar, QPoint(5, 59), Qt::LeftButton);  // thumb wants 54: snaps to 50
  EXPECT_EQ(bar.ThumbPos(), 50);
  EXPECT_EQ(bar.Position(), 5);
  MoveTo(&bar, QPoint(5, 400), Qt::LeftButton);
  EXPECT_EQ(bar.ThumbPos(), 80);
  EXPECT_EQ(bar.Position(), 8);
  EXPECT_EQ(changes, 3);
  Release(&bar, QPoint(30, 400));  // outside the bar
  EXPECT_FALSE(bar.Dragging());
  EXPECT_EQ(bar.ThumbState(), TDDScrollBar::tsNormal);
  EXPECT_EQ(bar.Position(), 8);
}

TEST_F(Bar, PressingTheTrackCentresTheThumbAndHoverHighlights) {
  bar.SetMax(8);
  Press(&bar, QPoint(5, 73));  // thumb centred: 63, snapped to 60
  EXPECT_EQ(bar.ThumbState(), TDDScrollBar::tsPressedOnTrack);
  EXPECT_EQ(bar.ThumbPos(), 60);
  EXPECT_EQ(bar.Position(), 6);
  MoveTo(&bar, QPoint(5, 24), Qt::LeftButton);  // 14 -> 10
  EXPECT_EQ(bar.ThumbPos(), 10);
  Release(&bar, QPoint(5, 24));
  EXPECT_EQ(bar.ThumbState(), TDDScrollBar::tsPressedOnTrack);  // released inside: kept
  MoveTo(&bar, QPoint(5, 15));
  EXPECT_EQ(bar.ThumbState(), TDDScrollBar::tsHighlighted);
  MoveTo(&bar, QPoint(5, 50));
  EXPECT_EQ(bar.ThumbState(), TDDScrollBar::tsNormal);
  MoveTo(&bar, QPoint(5, 15));
  int left = 0;
  bar.OnMouseLeave = [&](QObject*) { ++left; };
  Leave(&bar);
  EXPECT_EQ(bar.ThumbState(), TDDScrollBar::tsNormal);
  EXPECT_EQ(left, 1);
}

TEST(PlaylistScrollBar, DraggingTheThumbScrollsTheList) {
  TDDPlaylist list;
  Style(list, 200, 92);  // six rows
  list.SetScrollBarWidth(10);
  list.ScrollBar()->SliderW = 10;
  list.ScrollBar()->SliderH = 12;  // travel 80
  FillRows(list, 86);              // Max 80: one row a pixel
  TDDScrollBar* bar = list.ScrollBar();
  ASSERT_EQ(bar->Max(), 80);
  Press(bar, QPoint(5, 6));
  MoveTo(bar, QPoint(5, 46), Qt::LeftButton);
  EXPECT_EQ(list.TopIndex(), 40);
  Release(bar, QPoint(5, 46));
  EXPECT_EQ(list.TopIndex(), 40);
  list.SetTopIndex(10);  // and the bar follows the list
  EXPECT_EQ(bar->Position(), 10);
  EXPECT_EQ(bar->ThumbPos(), 10);
}

}  // namespace
