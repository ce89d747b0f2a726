// Skin art at other scales: which art a screen gets, how a canvas maps skin pixels, and that a
// widget's block of device pixels is the same as the whole window's there (no seams).
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "ddvcl/ImageDecoders.h"
#include "ddvcl/TDDBitmap32.h"
#include "ddvcl/TSkinScale.h"

using namespace vireo;

namespace {

// A W x H image whose pixel (x, y) tells where it is.
void Coded(TDDBitmap32& b, int w, int h, TColor32 alpha = 0xFF000000u) {
  b.SetSize(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b.SetPixel(x, y, alpha | TColor32(x * 7 % 256) << 16 | TColor32(y * 11 % 256) << 8 | 0x40);
}

}  // namespace

TEST(SkinScale, TheScreenGetsTheNearestArtAboveOrTheLargest) {
  EXPECT_EQ(TSkinScale::PickArtScale({1.0}, 1.0), 1.0);
  EXPECT_EQ(TSkinScale::PickArtScale({1.0}, 2.0), 1.0);
  EXPECT_EQ(TSkinScale::PickArtScale({1.0, 2.0}, 1.25), 2.0);
  EXPECT_EQ(TSkinScale::PickArtScale({1.0, 1.5, 2.0}, 1.25), 1.5);
  EXPECT_EQ(TSkinScale::PickArtScale({1.0, 1.5, 2.0}, 1.75), 2.0);
  EXPECT_EQ(TSkinScale::PickArtScale({1.0, 2.0}, 3.0), 2.0);
  EXPECT_EQ(TSkinScale::PickArtScale({1.0, 2.0}, 1.0), 1.0);
}

TEST(SkinScale, AVariantMustBeTheImageAtItsScale) {
  TDDBitmap32 img, good, bad;
  Coded(img, 10, 7);
  Coded(good, 20, 14);
  Coded(bad, 20, 15);
  EXPECT_FALSE(img.AddVariant(2.0, bad));
  EXPECT_EQ(img.ArtScales(), std::vector<double>{1.0});
  EXPECT_TRUE(img.AddVariant(2.0, good));
  EXPECT_EQ(img.ArtScales(), (std::vector<double>{1.0, 2.0}));
  // New pixels of another size drop the art of the old ones.
  img.SetSize(11, 7);
  EXPECT_EQ(img.ArtScales(), std::vector<double>{1.0});
}

TEST(SkinScale, FilesBesideTheImageAreItsArtAndAWrongSizeIsLeftOut) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  TDDBitmap32 one, two, wrong;
  Coded(one, 6, 4);
  Coded(two, 12, 8);
  Coded(wrong, 10, 6);  // 1.5 x 6 is 9
  QImage q;
  one.AssignTo(q);
  ASSERT_TRUE(q.save(dir.filePath(QStringLiteral("a.png"))));
  two.AssignTo(q);
  ASSERT_TRUE(q.save(dir.filePath(QStringLiteral("a@2x.png"))));
  wrong.AssignTo(q);
  ASSERT_TRUE(q.save(dir.filePath(QStringLiteral("a@1.5x.png"))));
  EXPECT_EQ(SkinImageVariantPath(QStringLiteral("/s/main_frame.png"), 1.5),
            QStringLiteral("/s/main_frame@1.5x.png"));
  TDDBitmap32 loaded;
  loaded.LoadFromFile(dir.filePath(QStringLiteral("a.png")));
  EXPECT_EQ(loaded.ArtScales(), (std::vector<double>{1.0, 2.0}));
  EXPECT_EQ(loaded.AtScale(2.0).Pixel(11, 7), two.Pixel(11, 7));
  // What the 100 % path sees is unchanged.
  EXPECT_TRUE(loaded.Equal(one));
}

TEST(SkinScale, ACanvasDrawsTheArtAtItsScaleAndClipsToItsOwnArea) {
  TDDBitmap32 sheet, art;
  Coded(sheet, 8, 8);
  Coded(art, 16, 16);
  ASSERT_TRUE(sheet.AddVariant(2.0, art));
  // A control at skin (3, 5), 4 x 4, on a canvas block starting at canvas pixel (5, 9).
  TDDBitmap32 canvas(12, 12);
  canvas.Clear(0);
  canvas.MakeCanvas(2.0, QPoint(3, 5), QPoint(5, 9), QSize(4, 4));
  EXPECT_EQ(canvas.MapX(0), 1);
  EXPECT_EQ(canvas.MapY(0), 1);
  sheet.BlendTo(canvas, 0, 0, TRect::FromSize(2, 1, 8, 8));
  // Skin sprite pixel (2, 1) is art pixels (4..5, 2..3), at canvas (1..2, 1..2).
  EXPECT_EQ(canvas.Pixel(1, 1), art.Pixel(4, 2));
  EXPECT_EQ(canvas.Pixel(2, 2), art.Pixel(5, 3));
  EXPECT_EQ(canvas.Pixel(8, 8), art.Pixel(11, 9));
  // Beyond the control's own 4 x 4 skin pixels nothing is drawn.
  EXPECT_EQ(canvas.Pixel(9, 1), 0u);
  EXPECT_EQ(canvas.Pixel(1, 9), 0u);
  EXPECT_EQ(canvas.Pixel(0, 0), 0u);

  // Without art at the canvas's scale, every skin pixel becomes a 2 x 2 block, as at 200 % before.
  TDDBitmap32 plain;
  Coded(plain, 8, 8);
  TDDBitmap32 c2(8, 8);
  c2.Clear(0);
  c2.MakeCanvas(2.0, QPoint(0, 0), QPoint(0, 0), QSize(4, 4));
  plain.BlendTo(c2, 0, 0, TRect::FromSize(1, 1, 4, 4));
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) EXPECT_EQ(c2.Pixel(x, y), plain.Pixel(1 + x / 2, 1 + y / 2));
}

TEST(SkinScale, ABlockOfDevicePixelsIsTheWholeWindowsThere) {
  TDDBitmap32 canvas;
  Coded(canvas, 90, 70);
  for (const double dpr : {1.25, 1.5, 1.75}) {
    for (const double s : {1.0, 2.0}) {
      SCOPED_TRACE(dpr * 100 + s);
      const int w = TSkinScale::DeviceCeil(dpr / s, canvas.Width());
      const int h = TSkinScale::DeviceCeil(dpr / s, canvas.Height());
      // The window, at a canvas scale of s: device size from the canvas's skin size.
      const QImage whole = TSkinScale::Resample(canvas, 0, 0, s, dpr, 0, 0, w, h);
      ASSERT_FALSE(whole.isNull());
      // A control's block, from the canvas pixels it needs only.
      const int dx0 = 13, dy0 = 9, bw = 21, bh = 17;
      int c0 = 0, c1 = 0, r0 = 0, r1 = 0;
      TSkinScale::CanvasSpan(s, dpr, dx0, dx0 + bw, c0, c1);
      TSkinScale::CanvasSpan(s, dpr, dy0, dy0 + bh, r0, r1);
      TDDBitmap32 part(c1 - c0, r1 - r0);
      canvas.CopyRectTo(part, 0, 0, TRect{c0, r0, c1, r1});
      const QImage block = TSkinScale::Resample(part, c0, r0, s, dpr, dx0, dy0, bw, bh);
      for (int y = 0; y < bh; ++y)
        for (int x = 0; x < bw; ++x)
          ASSERT_EQ(block.pixel(x, y), whole.pixel(dx0 + x, dy0 + y)) << x << "," << y;
    }
  }
}
