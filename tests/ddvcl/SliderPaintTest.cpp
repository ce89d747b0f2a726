// Every slider style drawn from a small sprite sheet over a form's back buffer, pixel by pixel.
//
// Where the track shows, the expected pixel is the sprite pixel itself. Where the thumb lies it
// must cover the track, and a few of its pixels are checked against numbers worked out by hand from
// the blend rule (source s with alpha A over d, each channel (s*A + d*(256-A) + 128) >> 8; with a
// master alpha M the weight is w = ((A+1)*M) >> 8 instead). For example the complex slider's thumb
// pixel (9, 0): sprite 0x80300000 over the track pixel 0xFF100900, A = 128:
//   alpha (128*128 + 255*128 + 128) >> 8 = 192 = C0, red (48*128 + 16*128 + 128) >> 8 = 32 = 20,
//   green (0*128 + 9*128 + 128) >> 8 = 5, blue (0 + 0 + 128) >> 8 = 0   ->  0xC0200500.
#include <gtest/gtest.h>

#include <functional>

#include "ControlTestUtil.h"
#include "ddvcl/TDDFormEx.h"
#include "ddvcl/TDDSliderBlendEx.h"

using namespace vireo;
using namespace vireo::test;

namespace {

constexpr TColor32 kA = 0xFF100000u, kB = 0xFF200000u;
constexpr TColor32 kNormal = 0x80300000u, kPressed = 0x90400000u, kHigh = 0xA0500000u;

TColor32 Px(TColor32 base, int col, int row) {
  return base | TColor32(col) << 8 | TColor32(row);
}

struct Host {
  TDDFormEx form;
  Host() {
    form.resize(60, 60);
    form.BackBuffer().SetSize(60, 60);
    for (int y = 0; y < 60; ++y)
      for (int x = 0; x < 60; ++x)
        form.BackBuffer().SetPixel(x, y, 0xFF000000u | TColor32(x * 3) << 16 | TColor32(y * 3));
  }
  TColor32 Back(QWidget* w, int x, int y) const {
    return form.BackBuffer().Pixel(w->x() + x, w->y() + y);
  }
};

template <class T>
T* Horizontal(Host& h, TDDSliderStyle style) {
  auto* s = new T(&h.form);
  s->setGeometry(3, 5, 20, 4);
  TDDBitmap32 sheet(20, 12);
  PaintSprite(sheet, 0, 0, 20, 4, kA);  // row 0
  PaintSprite(sheet, 0, 4, 20, 4, kB);  // row 1
  PaintSprite(sheet, 0, 8, 4, 4, kNormal);
  PaintSprite(sheet, 4, 8, 4, 4, kPressed);
  PaintSprite(sheet, 8, 8, 4, 4, kHigh);
  s->SetImage(sheet);
  s->NormalY = s->PressedY = s->HighlightedY = 8;
  s->PressedX = 4;
  s->HighlightedX = 8;
  s->SliderW = 4;
  s->SliderH = 4;
  s->SetMax(16);
  s->SetStyle(style);
  return s;
}

template <class T>
T* Vertical(Host& h, TDDSliderStyle style) {
  auto* s = new T(&h.form);
  s->setGeometry(30, 2, 4, 20);
  TDDBitmap32 sheet(20, 20);
  PaintSprite(sheet, 0, 0, 4, 20, kA);  // column 0
  PaintSprite(sheet, 4, 0, 4, 20, kB);  // column 1
  PaintSprite(sheet, 8, 0, 4, 4, kNormal);
  PaintSprite(sheet, 12, 0, 4, 4, kPressed);
  PaintSprite(sheet, 16, 0, 4, 4, kHigh);
  s->SetImage(sheet);
  s->NormalX = 8;
  s->PressedX = 12;
  s->HighlightedX = 16;
  s->SliderW = 4;
  s->SliderH = 4;
  s->SetMax(16);
  s->SetKind(TDDSliderKind::skVertical);
  s->SetStyle(style);
  return s;
}

// What one pixel of a slider shows: the track (or background) pixel, and whether a thumb lies
// over it there.
struct Look {
  TColor32 under;
  bool covered = false;
};
using Expect = std::function<Look(int x, int y, TColor32 back)>;
// A pixel whose value was worked out by hand.
struct Known {
  int x, y;
  TColor32 value;
};

// Uncovered pixels are exactly the track; covered ones differ from it (the thumb is there, not
// beside it); the known pixels have their hand-computed values.
void Check(TDDGraphicControl* s, Host& h, const Expect& want,
           std::initializer_list<Known> known = {}) {
  TDDBitmap32 out;
  s->RenderTo(out);
  ASSERT_EQ(out.Width(), s->width());
  for (int y = 0; y < s->height(); ++y)
    for (int x = 0; x < s->width(); ++x) {
      const Look look = want(x, y, h.Back(s, x, y));
      if (look.covered)
        ASSERT_NE(out.Pixel(x, y), look.under) << x << "," << y;
      else
        ASSERT_EQ(out.Pixel(x, y), look.under) << x << "," << y;
    }
  for (const Known& k : known) EXPECT_EQ(out.Pixel(k.x, k.y), k.value) << k.x << "," << k.y;
}

// A 4 x 4 thumb with its corner at x = pos over the given track.
Look Thumb(int x, int pos, TColor32 under) {
  return {under, x >= pos && x < pos + 4};
}
// The same with the corner at y = pos on a vertical bar.
Look ThumbV(int y, int pos, TColor32 under) {
  return {under, y >= pos && y < pos + 4};
}

}  // namespace

TEST(SliderPaint, HorizontalStyles) {
  Host h;
  auto* simple = Horizontal<TDDSlider>(h, TDDSliderStyle::ssSimple);
  simple->SetPosition(6);  // simple: L = 20, thumb pixel round(16/16*6) = 6
  const int p = simple->ThumbPos();
  Check(simple, h,
        [&](int x, int y, TColor32) { return Look{x < p ? Px(kB, x, y) : Px(kA, x, y)}; });

  auto* complex = Horizontal<TDDSlider>(h, TDDSliderStyle::ssComplex);
  complex->SetPosition(9);
  ASSERT_EQ(complex->ThumbPos(), 9);
  Check(complex, h, [&](int x, int y, TColor32) { return Thumb(x, 9, Px(kA, x, y)); },
        {{9, 0, 0xC0200500u}, {12, 3, 0xC0200803u}});

  auto* mix = Horizontal<TDDSlider>(h, TDDSliderStyle::ssMix);
  mix->SetPosition(5);
  const Expect mixed = [&](int x, int y, TColor32) {
    return Thumb(x, 5, x < 5 ? Px(kB, x, y) : Px(kA, x, y));
  };
  Check(mix, h, mixed, {{5, 1, 0xC0200301u}, {8, 2, 0xC0200602u}});
  // Highlighted and pressed thumbs: their own sprites (0xA05..., 0x904...) over the same track.
  test::MoveTo(mix, QPoint(6, 1));
  Check(mix, h, mixed, {{6, 1, 0xC4380301u}});
  test::Press(mix, QPoint(6, 1));
  Check(mix, h, mixed, {{7, 3, 0xC12B0403u}});
}

TEST(SliderPaint, VerticalStylesAndTheKnob) {
  Host h;
  auto* simple = Vertical<TDDSlider>(h, TDDSliderStyle::ssSimple);
  simple->SetPosition(12);  // offset 4 -> pixel 4
  const int p = simple->ThumbPos();
  ASSERT_EQ(p, 4);
  Check(simple, h,
        [&](int x, int y, TColor32) { return Look{y < p ? Px(kA, x, y) : Px(kB, x, y)}; });

  auto* complex = Vertical<TDDSlider>(h, TDDSliderStyle::ssComplex);
  complex->SetPosition(8);  // offset 8 -> pixel 8 of 16
  Check(complex, h, [&](int x, int y, TColor32) { return ThumbV(y, 8, Px(kA, x, y)); },
        {{0, 8, 0xC0200004u}, {3, 11, 0xC0200307u}});

  auto* mix = Vertical<TDDSlider>(h, TDDSliderStyle::ssMix);
  mix->SetPosition(6);  // offset 10
  Check(
      mix, h,
      [&](int x, int y, TColor32) { return ThumbV(y, 10, y >= 10 ? Px(kB, x, y) : Px(kA, x, y)); },
      {{2, 10, 0xC0280205u}});

  // 23 frames of 4 x 4; frame k has its own colour and half its pixels see-through.
  auto* knob = new TDDSlider(&h.form);
  knob->setGeometry(40, 40, 4, 4);
  TDDBitmap32 frames(4, 92);
  for (int k = 0; k < 23; ++k) PaintSprite(frames, 0, 4 * k, 4, 4, 0x80000000u | TColor32(k) << 16);
  knob->SetImage(frames);
  knob->SetMax(100);
  knob->SetStyle(TDDSliderStyle::ssRotator);
  knob->SetPercentage(50);
  // Frame 11 (0x800B0000) over the background: (0, 0) lies over 0xFF780078, (3, 3) over
  // 0xFF810081.
  Check(knob, h,
        [&](int, int, TColor32 back) {
          return Look{back, true};
        },
        {{0, 0, 0xC042003Cu}, {3, 3, 0xC0460242u}});
}

TEST(SliderPaint, BlendShowsTheDragPreviewAtHalfStrength) {
  Host h;
  auto* s = Horizontal<TDDSliderBlend>(h, TDDSliderStyle::ssComplex);
  s->SetPosition(2);
  test::Press(s, QPoint(15, 1));  // on the track: ghost at 13
  ASSERT_EQ(s->GhostPos(), 13);
  // The ghost's weight at master 127: w = ((0x90 + 1) * 127) >> 8 = 71 of 256.
  Check(s, h,
        [&](int x, int y, TColor32) {
          return Look{Px(kA, x, y), Thumb(x, 2, 0).covered || Thumb(x, 13, 0).covered};
        },
        {{2, 0, 0xC0200100u}, {13, 0, 0xE01D0900u}, {16, 3, 0xE01D0C03u}});
}

namespace {

TDDSliderBlendEx* Bar(Host& h, TDDSliderStyle style) {
  auto* s = new TDDSliderBlendEx(&h.form);
  s->setGeometry(2, 30, 40, 4);
  TDDBitmap32 sheet(10, 20);
  PaintSprite(sheet, 0, 0, 10, 4, kA);  // TileA
  PaintSprite(sheet, 0, 4, 10, 4, kB);  // TileB
  PaintSprite(sheet, 0, 8, 6, 4, kNormal);
  PaintSprite(sheet, 0, 12, 6, 4, kPressed);
  PaintSprite(sheet, 0, 16, 6, 4, kHigh);
  s->SetImage(sheet);
  s->TileA = {0, 0, 10, 4};
  s->TileB = {0, 4, 10, 4};
  s->Border = 2;
  s->NormalY = 8;
  s->PressedY = 12;
  s->HighlightedY = 16;
  s->SliderW = 6;
  s->SliderH = 4;
  s->SetMax(34);
  s->SetStyle(style);
  return s;
}

// A 6 x 4 thumb with its corner at x = pos over the given track.
Look Thumb6(int x, int pos, TColor32 under) {
  return {under, x >= pos && x < pos + 6};
}

}  // namespace

TEST(SliderPaint, TiledBarWithCapsFillAndThumb) {
  Host h;
  auto* bar = Bar(h, TDDSliderStyle::ssComplex);
  bar->SetPosition(12);  // 34 values on 34 pixels
  ASSERT_EQ(bar->ThumbPos(), 12);
  // No fill: caps of TileA, its middle (columns 2..7) tiled every 6 pixels from 2.
  Check(bar, h,
        [&](int x, int y, TColor32) {
          const TColor32 track = x < 2     ? Px(kA, x, y)
                                 : x >= 38 ? Px(kA, 8 + x - 38, y)
                                           : Px(kA, 2 + (x - 2) % 6, y);
          return Thumb6(x, 12, track);
        },
        {{12, 0, 0xC0200300u}, {17, 3, 0xC0200503u}});

  auto* fill = Bar(h, TDDSliderStyle::ssMix);
  fill->SetPosition(12);
  // TileB leads up to the thumb; the trailing tiles restart exactly at it.
  Check(fill, h,
        [&](int x, int y, TColor32) {
          TColor32 track;
          if (x < 8)
            track = Px(kB, x, y);
          else if (x < 12)
            track = Px(kB, 2 + x - 8, y);
          else if (x < 38)
            track = Px(kA, 2 + (x - 12) % 6, y);
          else
            track = Px(kA, 8 + x - 38, y);
          return Thumb6(x, 12, track);
        },
        {{12, 1, 0xC0200101u}});

  // Pressing on the track shows the pressed thumb and its preview.
  test::Press(fill, QPoint(33, 1));  // ghost at 30
  ASSERT_EQ(fill->GhostPos(), 30);
  TDDBitmap32 out;
  fill->RenderTo(out);
  // Both over the track pixel 0xFF100302: the preview at weight 71, the thumb at its alpha 0x90.
  EXPECT_EQ(out.Pixel(31, 2), 0xE01D0202u);
  EXPECT_EQ(out.Pixel(13, 2), 0xC12B0202u);
}
