// Slider geometry, values and the drag state machines.
#include <gtest/gtest.h>

#include <QMenu>

#include "ControlTestUtil.h"
#include "TestEnv.h"
#include "ddvcl/TDDSliderBlendEx.h"

using namespace vireo;
using namespace vireo::test;

namespace {

template <class T>
std::unique_ptr<T> MakeSlider(int w, int h, int max, int sliderW, int sliderH,
                              TDDSliderStyle style = TDDSliderStyle::ssComplex,
                              TDDSliderKind kind = TDDSliderKind::skHorizontal) {
  auto s = std::make_unique<T>();
  s->resize(w, h);
  s->SetMax(max);
  s->SliderW = std::int16_t(sliderW);
  s->SliderH = std::int16_t(sliderH);
  s->SetStyle(style);
  s->SetKind(kind);
  return s;
}

}  // namespace

TEST(Slider, PositionMapsOntoWholePixels) {
  auto s = MakeSlider<TDDSlider>(100, 10, 100, 0, 10);
  int changes = 0;
  s->OnChange = [&](QObject*) { ++changes; };
  s->SetPosition(65);
  EXPECT_EQ(s->ThumbPos(), 65);
  EXPECT_EQ(s->Position(), 65);
  EXPECT_EQ(changes, 1);
  s->SetPosition(500);
  EXPECT_EQ(s->Position(), 100);
  s->SetPosition(-4);
  EXPECT_EQ(s->Position(), 0);

  // Ten values on 100 pixels: ties round to even.
  auto t = MakeSlider<TDDSlider>(110, 10, 10, 10, 10);
  EXPECT_EQ(t->SnapToValue(14), 10);
  EXPECT_EQ(t->SnapToValue(25), 20);  // 2.5 -> 2
  EXPECT_EQ(t->SnapToValue(35), 40);  // 3.5 -> 4
  EXPECT_EQ(t->ValueOffset(), 4);
  EXPECT_EQ(t->SnapToValue(-20), 0);
  EXPECT_EQ(t->SnapToValue(400), 100);
  t->SetPosition(7);
  EXPECT_EQ(t->ThumbPos(), 70);
  EXPECT_EQ(t->Percentage(), 70);
  t->SetPercentage(33);  // round(10 * 33 / 100) = 3
  EXPECT_EQ(t->ValueOffset(), 3);
  EXPECT_EQ(t->ThumbPos(), 30);
  t->SetPercentage(250);
  EXPECT_EQ(t->Position(), 10);
}

TEST(Slider, CenterMiddleCatchesTheMiddleWithinTwoPixels) {
  auto s = MakeSlider<TDDSlider>(110, 10, 100, 10, 10);
  s->CenterMiddle = true;
  EXPECT_EQ(s->SnapToValue(52), 50);
  EXPECT_EQ(s->SnapToValue(48), 50);
  EXPECT_EQ(s->SnapToValue(53), 53);
  EXPECT_EQ(s->SnapToValue(47), 47);
  // Through a real drag on the thumb.
  s->SetPosition(20);
  Press(s.get(), QPoint(25, 5));  // thumb at 20..29, anchor 5
  MoveTo(s.get(), QPoint(57, 5), Qt::LeftButton);
  EXPECT_EQ(s->ThumbPos(), 50);
  MoveTo(s.get(), QPoint(58, 5), Qt::LeftButton);
  EXPECT_EQ(s->ThumbPos(), 53);
}

TEST(Slider, VerticalValuesCountFromTheTop) {
  auto s = MakeSlider<TDDSliderBlendEx>(10, 110, 100, 10, 10, TDDSliderStyle::ssMix,
                                        TDDSliderKind::skVertical);
  s->show();  // resize handling runs for shown controls
  s->SetPosition(100);
  EXPECT_EQ(s->ThumbPos(), 0);
  EXPECT_EQ(s->Position(), 100);
  EXPECT_EQ(s->Percentage(), 100);
  s->resize(10, 210);
  EXPECT_EQ(s->ThumbPos(), 0);
  s->SetPosition(25);
  EXPECT_EQ(s->ThumbPos(), 150);  // 75 of 100 on 200 pixels
  s->resize(10, 60);
  EXPECT_EQ(s->ThumbPos(), 38);  // round(50 / 100 * 75) = 37.5 -> 38
  EXPECT_EQ(s->Percentage(), 25);
}

TEST(Slider, WithoutARangeNothingMoves) {
  auto s = MakeSlider<TDDSlider>(100, 10, 0, 10, 10);
  int changes = 0;
  s->OnChange = [&](QObject*) { ++changes; };
  s->SetPosition(5);
  EXPECT_EQ(changes, 0);
  EXPECT_EQ(s->Position(), 0);
  EXPECT_EQ(s->ThumbPos(), 0);
  EXPECT_EQ(s->Percentage(), 0);
}

TEST(Slider, PressOnTheTrackCentresTheThumbAndDraggingFollows) {
  auto s = MakeSlider<TDDSlider>(110, 10, 100, 10, 10);
  int downs = 0, ups = 0, changes = 0;
  s->OnMouseDown = [&](QObject*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) { ++downs; };
  s->OnMouseUp = [&](QObject*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) { ++ups; };
  s->OnChange = [&](QObject*) { ++changes; };
  Press(s.get(), QPoint(60, 5));
  EXPECT_TRUE(s->Dragging());
  EXPECT_EQ(s->ThumbState(), TDDSlider::tsPressedOnTrack);
  EXPECT_EQ(s->ThumbPos(), 55);
  EXPECT_EQ(s->Position(), 55);
  MoveTo(s.get(), QPoint(80, 5), Qt::LeftButton);
  EXPECT_EQ(s->ThumbPos(), 75);
  Release(s.get(), QPoint(80, 5));
  EXPECT_FALSE(s->Dragging());
  EXPECT_EQ(downs, 1);
  EXPECT_EQ(ups, 1);
  EXPECT_EQ(changes, 2);
  // Only the left button drags.
  Press(s.get(), QPoint(10, 5), Qt::RightButton);
  EXPECT_FALSE(s->Dragging());
  EXPECT_EQ(downs, 1);
}

TEST(Slider, HoverHighlightsTheThumbAndLeavingOrReleasingOutsideResets) {
  auto s = MakeSlider<TDDSlider>(110, 10, 100, 10, 10);
  s->SetPosition(50);
  MoveTo(s.get(), QPoint(55, 5));
  EXPECT_EQ(s->ThumbState(), TDDSlider::tsHighlighted);
  MoveTo(s.get(), QPoint(20, 5));
  EXPECT_EQ(s->ThumbState(), TDDSlider::tsNormal);
  MoveTo(s.get(), QPoint(55, 5));
  Leave(s.get());
  EXPECT_EQ(s->ThumbState(), TDDSlider::tsNormal);
  Press(s.get(), QPoint(55, 5));
  EXPECT_EQ(s->ThumbState(), TDDSlider::tsPressedOnThumb);
  Leave(s.get());  // a drag in progress keeps its state
  EXPECT_EQ(s->ThumbState(), TDDSlider::tsPressedOnThumb);
  Release(s.get(), QPoint(200, 50));
  EXPECT_EQ(s->ThumbState(), TDDSlider::tsNormal);
}

TEST(Slider, SimpleStyleJumpsToThePointerAndIgnoresPositionWhileDragging) {
  auto s = MakeSlider<TDDSlider>(100, 10, 100, 0, 0, TDDSliderStyle::ssSimple);
  Press(s.get(), QPoint(42, 5));
  EXPECT_EQ(s->ThumbPos(), 42);
  s->SetPosition(10);
  EXPECT_EQ(s->ThumbPos(), 42);
  Release(s.get(), QPoint(42, 5));
  s->SetPosition(10);
  EXPECT_EQ(s->ThumbPos(), 10);
}

TEST(SliderBlend, DragPreviewsUntilReleaseAndShiftFollowsLive) {
  auto s = MakeSlider<TDDSliderBlend>(110, 10, 100, 10, 10);
  s->SetPosition(20);
  int changes = 0;
  s->OnChange = [&](QObject*) { ++changes; };
  Press(s.get(), QPoint(23, 5));  // on the thumb
  MoveTo(s.get(), QPoint(63, 5), Qt::LeftButton);
  EXPECT_EQ(s->GhostPos(), 60);
  EXPECT_EQ(s->PositionEx(), 60);
  EXPECT_EQ(s->Position(), 20);  // the value stays until the release
  EXPECT_EQ(changes, 2);
  // The playing position may still move the real thumb meanwhile.
  s->SetPosition(21);
  EXPECT_EQ(s->ThumbPos(), 21);
  Release(s.get(), QPoint(63, 5));
  EXPECT_EQ(s->Position(), 60);
  EXPECT_EQ(s->ValueOffset(), 60);

  Press(s.get(), QPoint(90, 5));  // on the track: only the preview jumps
  EXPECT_EQ(s->ThumbPos(), 60);
  EXPECT_EQ(s->GhostPos(), 85);
  MoveTo(s.get(), QPoint(35, 5), Qt::LeftButton, Qt::ShiftModifier);
  EXPECT_EQ(s->ThumbPos(), 30);
  EXPECT_EQ(s->Position(), 30);
  MoveTo(s.get(), QPoint(45, 5), Qt::LeftButton, Qt::ShiftModifier);
  Release(s.get(), QPoint(80, 5), Qt::LeftButton, Qt::ShiftModifier);
  EXPECT_EQ(s->Position(), 40);  // with Shift the release keeps the live value
  EXPECT_FALSE(s->Dragging());
}

TEST(SliderRotator, KnobValueDrivesTheFrameAndDraggingUpIncreases) {
  auto s = MakeSlider<TDDSlider>(20, 20, 100, 0, 0, TDDSliderStyle::ssRotator);
  s->SetPercentage(50);
  EXPECT_EQ(s->ThumbPos(), 11 * 20);
  EXPECT_EQ(s->Position(), 50);
  s->SetPosition(30);
  EXPECT_EQ(s->Position(), 30);
  EXPECT_EQ(s->ThumbPos(), 11 * 20);  // the frame shown does not move
  s->SetPercentage(0);
  Press(s.get(), QPoint(10, 15));
  MoveTo(s.get(), QPoint(10, 5), Qt::LeftButton);    // 10 up
  MoveTo(s.get(), QPoint(10, -35), Qt::LeftButton);  // 40 more
  EXPECT_EQ(s->Position(), 50);
  EXPECT_EQ(s->ThumbPos(), 11 * 20);
  MoveTo(s.get(), QPoint(10, -200), Qt::LeftButton);
  EXPECT_EQ(s->Position(), 100);
  EXPECT_EQ(s->ThumbPos(), 22 * 20);
  Release(s.get(), QPoint(10, -200));
}

TEST(Slider, RightClickOpensAMenuWithoutAutomaticPopUp) {
  auto s = MakeSlider<TDDSlider>(110, 10, 100, 10, 10);
  QMenu menu;
  menu.addAction(QStringLiteral("x"));
  SetAutoPopup(&menu, false);
  s->SetPopupMenu(&menu);
  MoveTo(s.get(), QPoint(3, 3));
  ASSERT_EQ(s->ThumbState(), TDDSlider::tsHighlighted);
  Release(s.get(), QPoint(3, 3), Qt::RightButton);
  EXPECT_EQ(s->ThumbState(), TDDSlider::tsNormal);
  EXPECT_TRUE(WaitUntil([&] { return menu.isVisible(); }, 2000));
  menu.close();
}
