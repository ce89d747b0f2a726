// The spectrum view frame by frame: bars, peaks and their fall drawn from sprites made here, pixel
// by pixel.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <array>
#include <fstream>
#include <vector>

#include "ControlTestUtil.h"
#include "TestEnv.h"
#include "ddvcl/TDDVIS.h"

using namespace vireo;
using namespace vireo::test;

namespace {

constexpr TColor32 kBg = 0xFF102030u, kBar = 0xFF800000u, kPeak = 0xFFFFFF00u;

using Fft = std::array<float, TDDVIS::kFftSingles>;

// A w x h view (12 x 10 by default): the background piece at (0, 0), then a 2 x h bar sprite whose
// pixels tell column and row apart, then a 2 x 1 peak. Bars stand at x = 0, 3, 6, 9, ...
struct Vis {
  TDDVIS vis;
  explicit Vis(int w = 12, int h = 10, int ttf = 3) {
    TDDBitmap32 sheet(w + 8, h);
    sheet.Clear(0);
    sheet.FillRect(0, 0, w, h, kBg);
    PaintSprite(sheet, w, 0, 2, h, kBar);
    sheet.SetPixel(w + 4, 0, kPeak);
    sheet.SetPixel(w + 5, 0, kPeak);
    vis.SetImage(sheet);
    vis.SetTTFWidth(ttf);
    vis.SetBarPiece({std::int16_t(w), 0, 2, std::int16_t(h)});
    vis.SetPeakPiece({std::int16_t(w + 4), 0, 2, 1});
    vis.SetBackgroundPiece({0, 0, std::int16_t(w), std::int16_t(h)});
  }
  TDDBitmap32 frame;
  // One frame; the bitmap is reused by the next call.
  const TDDBitmap32& Frame(const Fft& fft) {
    vis.SetData(fft.data());  // not shown: stores only
    vis.DrawFrame(frame);
    return frame;
  }
};

TColor32 BarPx(int col, int row) {
  return kBar | TColor32(col) << 8 | TColor32(row);
}

// The column of one bar, top to bottom, as 'b' (bar row r shown as its digit), 'P', '.'.
std::string Column(const TDDBitmap32& f, int x) {
  std::string s;
  for (int y = 0; y < f.Height(); ++y) {
    const TColor32 p = f.Pixel(x, y);
    if (p == kBg)
      s += '.';
    else if (p == kPeak)
      s += 'P';
    else if ((p & 0xFFFF0000u) == kBar && ((p >> 8) & 0xFF) == TColor32(x % 3))
      s += char('0' + (p & 0xFF));
    else
      s += '?';
  }
  return s;
}

}  // namespace

TEST(VisFrame, BarsAndPeaksFromTheirSprites) {
  Vis v;
  Fft fft{};
  fft[0] = 0.01f;   // 5 pixels
  fft[1] = -0.5f;   // 250, capped at the height
  fft[3] = 0.006f;  // 3 pixels
  fft[4] = 1.0f;    // beyond TTFWidth: not drawn
  const TDDBitmap32& f = v.Frame(fft);
  ASSERT_EQ(f.Width(), 12);
  ASSERT_EQ(f.Height(), 10);
  // A peak sits on the bar's top row; the bar's rows come from h - Bar down, one row lower.
  EXPECT_EQ(Column(f, 0), ".....P5678");
  EXPECT_EQ(Column(f, 1), ".....P5678");
  EXPECT_EQ(Column(f, 2), "..........");  // the pixel between bars
  EXPECT_EQ(Column(f, 3), "P012345678");
  EXPECT_EQ(Column(f, 6), "..........");  // silent bin: peak below the floor
  EXPECT_EQ(Column(f, 9), ".......P78");
  EXPECT_EQ(Column(f, 11), "..........");
  EXPECT_EQ(f.Pixel(4, 1), BarPx(1, 0));
  EXPECT_EQ(v.vis.Bar(0), 5);
  EXPECT_EQ(v.vis.Bar(1), 10);
  EXPECT_EQ(v.vis.Peak(3), 3);
  EXPECT_EQ(v.vis.Bar(4), 0);

  // Silence: bars drop 3 pixels, the peaks hold.
  const TDDBitmap32& g = v.Frame(Fft{});
  EXPECT_EQ(Column(g, 0), ".....P...8");
  EXPECT_EQ(Column(g, 3), "P...345678");
  EXPECT_EQ(Column(g, 9), ".......P..");
  EXPECT_EQ(v.vis.Hold(0), 1);
}

TEST(VisFrame, WithoutPeaksBarsLandWhereTheyComeFromButPeaksAreStillKept) {
  Vis v;
  v.vis.SetDrawPeak(false);
  Fft fft{};
  fft[0] = 0.01f;
  const TDDBitmap32& f = v.Frame(fft);
  EXPECT_EQ(Column(f, 0), ".....56789");
  v.Frame(Fft{});
  EXPECT_EQ(v.vis.Peak(0), 5);
  EXPECT_EQ(v.vis.Bar(0), 2);
}

TEST(VisFrame, PeakHoldsSevenFramesThenFallsThreePixelsAFrame) {
  Vis v(12, 41);
  Fft fft{};
  fft[0] = 0.06f;  // 30 pixels
  v.Frame(fft);
  ASSERT_EQ(v.vis.Peak(0), 30);
  std::vector<int> peaks, bars, falls;
  for (int k = 1; k <= 18; ++k) {
    v.Frame(Fft{});
    peaks.push_back(v.vis.Peak(0));
    bars.push_back(v.vis.Bar(0));
    falls.push_back(v.vis.PeakFallOff());
  }
  EXPECT_EQ(peaks,
            (std::vector<int>{30, 30, 30, 30, 30, 30, 30, 27, 24, 21, 18, 15, 12, 9, 6, 3, 0, 0}));
  EXPECT_EQ(bars, (std::vector<int>{27, 24, 21, 18, 15, 12, 9, 6, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(falls[6], 0);
  EXPECT_EQ(falls[7], 3);

  // A slow bar catches its falling peak, which then never sinks below it.
  Vis s(12, 41);
  s.vis.SetLineFallOff(1);
  s.Frame(fft);
  std::vector<int> sp;
  for (int k = 1; k <= 13; ++k) {
    s.Frame(Fft{});
    sp.push_back(s.vis.Peak(0));
  }
  EXPECT_EQ(sp, (std::vector<int>{30, 30, 30, 30, 30, 30, 30, 27, 24, 21, 19, 18, 17}));
}

TEST(VisFrame, HeightCapAndBarCount) {
  Vis v(400, 41, 200);  // TTFWidth above 128 is stored as 128
  EXPECT_EQ(v.vis.TTFWidth(), 128);
  Fft fft{};
  fft.fill(0.5f);
  const TDDBitmap32& f = v.Frame(fft);
  EXPECT_EQ(v.vis.Bar(0), 41);
  EXPECT_EQ(v.vis.Bar(128), 41);
  EXPECT_EQ(f.Pixel(128 * 3, 0), kPeak);
  EXPECT_EQ(f.Pixel(128 * 3 + 1, 40), BarPx(1, 39));
  EXPECT_EQ(f.Pixel(129 * 3, 0), kBg);  // a 130th bar is never drawn
  EXPECT_EQ(f.Pixel(129 * 3, 40), kBg);

  v.vis.SetTTFWidth(-1);
  EXPECT_EQ(v.Frame(fft).Pixel(0, 40), kBg);
}

TEST(VisFrame, NoSkinDrawsNothingAndNewBackgroundClearsTheSpectrumCopy) {
  TDDVIS vis;
  vis.resize(8, 8);
  Fft fft{};
  fft[0] = 0.1f;
  fft[200] = 0.3f;
  vis.SetData(fft.data());
  TDDBitmap32 f;
  vis.DrawFrame(f);
  EXPECT_TRUE(f.Empty());
  TDDBitmap32 shown;
  vis.RenderTo(shown);
  EXPECT_EQ(shown.Pixel(3, 3), 0u);

  vis.SetBackgroundPiece({0, 0, 4, 4});
  EXPECT_EQ(vis.Fft(0), 0.0f);
  EXPECT_EQ(vis.Fft(200), 0.3f);  // only bins 0..128 are cleared
}

TEST(VisFrame, PiecesCopyFromTheImageBlendedOntoAnEmptySprite) {
  TDDVIS vis;
  TDDBitmap32 sheet(4, 4);
  sheet.Clear(0);
  sheet.SetPixel(1, 1, 0xFF00FF00u);
  sheet.SetPixel(2, 1, 0x80FF0000u);
  vis.SetImage(sheet);
  EXPECT_EQ(vis.BarPiece(), (TSpriteRect{0, 0, 5, 5}));
  vis.SetBarPiece({1, 1, 2, 3});
  ASSERT_EQ(vis.BarSprite().Width(), 2);
  ASSERT_EQ(vis.BarSprite().Height(), 3);
  EXPECT_EQ(vis.BarSprite().Pixel(0, 0), 0xFF00FF00u);
  // Half-transparent red over transparent black: (s*128 + 128) >> 8 per channel.
  EXPECT_EQ(vis.BarSprite().Pixel(1, 0), 0x40800000u);
  EXPECT_EQ(vis.BarSprite().Pixel(0, 2), 0u);
}

TEST(VisFrame, ShownOverTheParentAndAFrameThatCannotBeDrawnClearsTheSpectrum) {
  Vis v;
  v.vis.resize(16, 10);
  Fft fft{};
  fft[0] = 0.01f;
  v.vis.SetData(fft.data());
  TDDBitmap32 shown;
  v.vis.RenderTo(shown);
  EXPECT_EQ(shown.Pixel(0, 5), kPeak);
  EXPECT_EQ(shown.Pixel(0, 6), BarPx(0, 5));
  EXPECT_EQ(shown.Pixel(13, 5), 0u);  // beside the drawing: what lies under the control

  // A background piece too big for the memory this process may have: the paint survives and the
  // spectrum starts over from silence.
  v.vis.SetData(fft.data());
  v.vis.SetBackgroundPiece({0, 0, 32000, 32000});
  v.vis.SetData(fft.data());
  rlimit old{};
  ASSERT_EQ(getrlimit(RLIMIT_AS, &old), 0);
  long pages = 0;
  std::ifstream("/proc/self/statm") >> pages;
  rlimit tight = old;
  tight.rlim_cur = rlim_t(pages) * 4096 + (rlim_t(512) << 20);
  ASSERT_EQ(setrlimit(RLIMIT_AS, &tight), 0);
  v.vis.RenderTo(shown);
  setrlimit(RLIMIT_AS, &old);
  EXPECT_EQ(v.vis.Fft(0), 0.0f);
}

// On screen the spectrum steps once per FFT it is given, and a step that moves nothing is not
// drawn again: a steady tone must not send the same picture to the X server on every tick.
TEST(VisOnScreen, RepaintsOnlyWhenABarOrPeakMovesAndStepsOncePerData) {
  Vis v;
  v.vis.resize(12, 10);
  PaintCounter paints(&v.vis);
  v.vis.show();
  ASSERT_TRUE(WaitUntil([&] { return paints.count > 0; }, 5000));
  Flush();

  Fft tone{};
  tone[0] = 0.01f;  // 5 pixels
  paints.count = 0;
  v.vis.SetData(tone.data());
  ASSERT_TRUE(WaitUntil([&] { return paints.count > 0; }, 5000));
  EXPECT_EQ(v.vis.Bar(0), 5);

  // The same tone again and again: nothing moves, nothing is painted.
  paints.count = 0;
  for (int k = 0; k < 5; ++k) {
    v.vis.SetData(tone.data());
    Flush();
  }
  EXPECT_EQ(paints.count, 0);

  // Silence: the bar falls; one paint shows it. Paints that come without data (an expose) draw
  // the same frame instead of stepping it.
  v.vis.SetData(Fft{}.data());
  ASSERT_TRUE(WaitUntil([&] { return paints.count > 0; }, 5000));
  EXPECT_EQ(paints.count, 1);
  EXPECT_EQ(v.vis.Bar(0), 2);
  v.vis.repaint();
  v.vis.repaint();
  EXPECT_EQ(v.vis.Bar(0), 2);
  EXPECT_EQ(v.vis.Peak(0), 5);
  EXPECT_EQ(v.vis.Hold(0), 1);
  TDDBitmap32 shown;
  v.vis.RenderTo(shown);
  EXPECT_EQ(Column(shown, 0), ".....P...8");
}
