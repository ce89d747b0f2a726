// The pixel arithmetic every skin is drawn with.
#include <gtest/gtest.h>

#include <random>

#include "ControlTestUtil.h"
#include "ddvcl/BitmapBlend.h"
#include "ddvcl/Blend.h"
#include "ddvcl/TDDBitmap32.h"

using namespace vireo;
using namespace vireo::blend;

TEST(BlendRow, TransparentKeepsOpaqueReplacesAndTheRestMixesEveryChannel) {
  TColor32 src[3] = {0x00FFFFFFu, 0xFF123456u, 0x80FF0000u};
  TColor32 dst[3] = {0xFF0000FFu, 0x00ABCDEFu, 0xFF0000FFu};
  BlendRow(src, dst, 3);
  EXPECT_EQ(dst[0], 0xFF0000FFu);
  EXPECT_EQ(dst[1], 0xFF123456u);  // alpha byte included
  // Blue (0*128 + 255*128 + 128) >> 8 = 128, red 128, alpha (128*128 + 255*128 + 128) >> 8 = 192.
  EXPECT_EQ(dst[2], 0xC0800080u);
}

TEST(BlendRow, MasterAlphaWeightsAndNeverCopies) {
  TColor32 s = 0xFF0000FFu, d = 0xFF000000u;
  BlendRowMaster(&s, &d, 1, 128);
  EXPECT_EQ(d, 0xFF000080u);
  // Even full weight blends: 255 * 255 + 128 >> 8 = 254.
  TColor32 s2 = 0xFF00FF00u, d2 = 0;
  BlendRowMaster(&s2, &d2, 1, 255);
  EXPECT_EQ(d2, 0xFE00FE00u);
  // A weight that rounds to zero leaves the pixel alone.
  TColor32 s3 = 0x01FFFFFFu, d3 = 0x11223344u;
  BlendRowMaster(&s3, &d3, 1, 127);
  EXPECT_EQ(d3, 0x11223344u);
}

TEST(BlendRow, NegativeAndZeroCountsDoNothing) {
  TColor32 s = 0xFFFFFFFFu, d = 0x12345678u;
  BlendRow(&s, &d, -4);
  BlendRowMaster(&s, &d, -1, 200);
  BlendRow(&s, &d, 0);
  EXPECT_EQ(d, 0x12345678u);
}

TEST(BlendRow, VectorPathGivesTheScalarBytesForEveryLengthAndAlpha) {
  std::mt19937 rng(1234);
  std::uniform_int_distribution<std::uint32_t> any;
  const std::uint32_t alphas[] = {0, 1, 2, 127, 128, 129, 254, 255};
  for (int len = 0; len <= 37; ++len) {
    for (int round = 0; round < 20; ++round) {
      const std::size_t n = static_cast<std::size_t>(len);
      std::vector<TColor32> src(n), d1(n), d2;
      for (int i = 0; i < len; ++i) {
        TColor32 p = any(rng);
        if (round % 2 == 0) p = (p & 0xFFFFFF) | alphas[any(rng) % 8] << 24;
        src[std::size_t(i)] = p;
        d1[std::size_t(i)] = any(rng);
      }
      d2 = d1;
      std::vector<TColor32> d3 = d1, d4 = d1;
      BlendRow(src.data(), d1.data(), len);
      BlendRowScalar(src.data(), d2.data(), len);
      ASSERT_EQ(d1, d2) << "length " << len;
      const int m = int(any(rng) % 256);
      BlendRowMaster(src.data(), d3.data(), len, m);
      BlendRowMasterScalar(src.data(), d4.data(), len, m);
      ASSERT_EQ(d3, d4) << "length " << len << " master " << m;
    }
  }
}

TEST(BlendRow, KnownResultsAcrossAlphaAndMaster) {
  // Worked by hand from the rule: d := (s * w + d * (256 - w) + 128) >> 8 on every channel,
  // w = alpha, or ((alpha + 1) * master) >> 8 with a master.
  struct Case {
    TColor32 s, d;
    int master;  // -1: BlendRow
    TColor32 want;
  };
  const Case cases[] = {
      {0x80FF0000u, 0xFF101010u, -1, 0xC0880808u},  // red (255*128 + 16*128 + 128) >> 8 = 136
      {0x01FFFFFFu, 0x7F000000u, -1, 0x7F010101u},  // alpha 1 still moves the colours by one
      {0x7F808080u, 0x7F123456u, -1, 0x7F495A6Bu},
      {0xFE00FF00u, 0x7FFF00FFu, -1, 0xFD02FD02u},  // 254 is no copy
      {0xFFFF0000u, 0xFF00FF00u, 128, 0xFF808000u},
      {0xFF00FF00u, 0xFF101010u, 100, 0xFF0A6D0Au},
      {0x80FFFFFFu, 0x7F000000u, 1, 0x7F000000u},    // w = (129 * 1) >> 8 = 0: untouched
      {0x80FFFFFFu, 0x7F000000u, 254, 0x7F7F7F7Fu},  // w = 128
      {0xFF123456u, 0x7FFEDCBAu, 255, 0xFF133556u},  // w = 255: blends, never copies
      {0x02FEDCBAu, 0x7F808080u, 200, 0x7E818180u},  // w = 2
      {0x7F000000u, 0x7FFFFFFFu, 127, 0x7FC0C0C0u},  // w = 63
  };
  for (const Case& c : cases) {
    for (const bool scalar : {false, true}) {
      TColor32 out = c.d;
      if (c.master < 0)
        (scalar ? BlendRowScalar : BlendRow)(&c.s, &out, 1);
      else
        (scalar ? BlendRowMasterScalar : BlendRowMaster)(&c.s, &out, 1, c.master);
      EXPECT_EQ(out, c.want) << std::hex << c.s << " over " << c.d << " master " << std::dec
                             << c.master << (scalar ? " (scalar)" : "");
    }
  }
}

TEST(BlendTo, ClippedSourceKeepsEveryVisiblePixelWhereItBelongs) {
  TDDBitmap32 src(10, 8), dst(12, 9);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 10; ++x) src.SetPixel(x, y, 0xFF000000u | TColor32(y << 8 | x));
  dst.Clear(0xFFFFFFFFu);
  // The source rectangle hangs over the left and top of the source, the destination corner lies
  // off the left edge, and the bottom runs past the destination.
  const TRect srcRect{-3, -2, 7, 8};
  src.BlendTo(dst, -1, 4, srcRect);
  for (int y = 0; y < 9; ++y)
    for (int x = 0; x < 12; ++x) {
      // Destination (x, y) shows source (x - dstX + O.x, y - dstY + O.y).
      const int sx = x + 1 - 3, sy = y - 4 - 2;
      const bool visible = sx >= 0 && sx < 7 && sy >= 0 && sy < 8;
      const TColor32 want = visible ? 0xFF000000u | TColor32(sy << 8 | sx) : 0xFFFFFFFFu;
      ASSERT_EQ(dst.Pixel(x, y), want) << x << "," << y;
    }
}

TEST(BlendTo, MasterAlphaZeroDrawsNothingButStillNotifies) {
  TDDBitmap32 src(4, 4), dst(4, 4);
  src.Clear(0xFFFF0000u);
  dst.Clear(0xFF00FF00u);
  int changes = 0;
  dst.OnChange = [&](TDDNotifiablePersistent*) { ++changes; };
  src.BlendTo(dst, 0, 0, src.BoundsRect(), 0);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(dst.Pixel(2, 2), 0xFF00FF00u);
  // Opacity is the master alpha when none is given.
  src.SetOpacity(128);
  src.BlendTo(dst, 0, 0, src.BoundsRect());
  EXPECT_EQ(dst.Pixel(1, 1), 0xFF808000u);
  // Nothing at all with an empty bitmap.
  TDDBitmap32 empty;
  empty.BlendTo(dst, 0, 0, TRect{0, 0, 4, 4});
  EXPECT_EQ(changes, 2);
}

TEST(StretchBlendTo, NearestNeighbourMapsStayInsideTheSource) {
  for (int i = 0; i < 300; ++i) {
    const int c = StretchMap(i, 0, 0, 300, 0, 100);
    ASSERT_GE(c, 0);
    ASSERT_LE(c, 99);
    ASSERT_EQ(c, int(float(i) * (100.0f / 300.0f)));
  }
  // A destination narrower than 2 pixels shows the middle column.
  EXPECT_EQ(StretchMap(0, 5, 5, 1, 0, 100), 49);
  EXPECT_EQ(StretchMap(0, 0, 0, 0, 10, 20), 14);
}

TEST(StretchBlendTo, TheMapTruncatesTheExactProductOfTheSinglePrecisionFactor) {
  // 14 -> 20: f = 0.7 in single precision is 0.69999998..., so destination column 10 lies just
  // short of source column 7. Rounding the product to single precision would show column 7.
  EXPECT_EQ(StretchMap(10, 0, 0, 20, 0, 14), 6);
  EXPECT_EQ(StretchMap(10, 3, 3, 20, 5, 19), 11);  // the same with offsets on both sides
  TDDBitmap32 src(14, 1);
  for (int x = 0; x < 14; ++x) src.SetPixel(x, 0, 0xFF000000u | TColor32(x));
  TDDBitmap32 dst(20, 1);
  src.StretchBlendTo(dst, dst.BoundsRect(), 255);
  EXPECT_EQ(dst.Pixel(10, 0), 0xFF000006u);
}

TEST(StretchBlendTo, FullAlphaOverwritesAndLowerAlphaBlends) {
  TDDBitmap32 src(2, 2);
  src.SetPixel(0, 0, 0x80FF0000u);
  src.SetPixel(1, 0, 0xFF00FF00u);
  src.SetPixel(0, 1, 0x000000FFu);
  src.SetPixel(1, 1, 0xFFFFFFFFu);
  TDDBitmap32 dst(6, 6);
  dst.Clear(0xFF101010u);
  src.StretchBlendTo(dst, TRect{1, 1, 5, 5}, 255);
  // 2 -> 4: columns and rows 0, 0, 1, 1; pixels are copied, alpha included.
  EXPECT_EQ(dst.Pixel(1, 1), 0x80FF0000u);
  EXPECT_EQ(dst.Pixel(2, 2), 0x80FF0000u);
  EXPECT_EQ(dst.Pixel(3, 1), 0xFF00FF00u);
  EXPECT_EQ(dst.Pixel(1, 4), 0x000000FFu);
  EXPECT_EQ(dst.Pixel(4, 4), 0xFFFFFFFFu);
  EXPECT_EQ(dst.Pixel(0, 0), 0xFF101010u);
  EXPECT_EQ(dst.Pixel(5, 5), 0xFF101010u);

  dst.Clear(0xFF101010u);
  src.StretchBlendTo(dst, TRect{-2, 0, 2, 4}, 100);  // hangs off the left edge
  EXPECT_EQ(dst.Pixel(0, 0), 0xFF0A6D0Au);
  EXPECT_EQ(dst.Pixel(1, 3), 0xFF6D6D6Du);
  EXPECT_EQ(dst.Pixel(2, 0), 0xFF101010u);

  // The same size blends through BlendRow instead of copying.
  dst.Clear(0xFF101010u);
  src.StretchBlendTo(dst, TRect{0, 0, 2, 2}, 255);
  EXPECT_EQ(dst.Pixel(0, 0), 0xC0880808u);
  EXPECT_EQ(dst.Pixel(0, 1), 0xFF101010u);
}
