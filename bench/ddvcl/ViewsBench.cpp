// The two views redrawn on every progress tick: one spectrum frame of 129 bars, and lyric position
// updates with and without a new render of the lines.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <cmath>
#include <vector>

#include "ddvcl/TDDLrcShow.h"
#include "ddvcl/TDDVIS.h"

using namespace vireo;

namespace {

// A 387 x 41 drawing: 129 bars of 2 pixels with a pixel between them, a gradient bar sprite as tall
// as the drawing and a 2 x 1 peak, as the bundled skins lay it out.
struct Spectrum {
  TDDVIS vis;
  std::vector<std::vector<float>> frames;
  Spectrum() {
    const int w = 129 * 3, h = 41;
    TDDBitmap32 sheet(w + 8, h);
    sheet.Clear(0xFF101820u);
    for (int y = 0; y < h; ++y) {
      const TColor32 c = 0xFF000000u | TColor32(255 - y * 5) << 16 | TColor32(y * 5) << 8;
      sheet.SetPixel(w, y, c);
      sheet.SetPixel(w + 1, y, c);
    }
    sheet.SetPixel(w + 4, 0, 0xFFFFFFFFu);
    sheet.SetPixel(w + 5, 0, 0xFFFFFFFFu);
    vis.SetImage(sheet);
    vis.SetBarPiece({std::int16_t(w), 0, 2, std::int16_t(h)});
    vis.SetPeakPiece({std::int16_t(w + 4), 0, 2, 1});
    vis.SetBackgroundPiece({0, 0, std::int16_t(w), std::int16_t(h)});
    vis.resize(w, h);
    // Music-like spectra: loud low bins, moving from frame to frame.
    for (int f = 0; f < 16; ++f) {
      std::vector<float> fft(TDDVIS::kFftSingles, 0.0f);
      for (int i = 0; i < 512; ++i)
        fft[std::size_t(i)] = float(0.08 * std::fabs(std::sin(i * 0.3 + f)) / (1.0 + i * 0.05));
      frames.push_back(std::move(fft));
    }
  }
};

void BM_VisFrame(benchmark::State& state) {
  Spectrum s;
  TDDBitmap32 frame;
  std::size_t k = 0;
  for (auto _ : state) {
    s.vis.SetData(s.frames[k++ % s.frames.size()].data());  // not shown: copies only
    s.vis.DrawFrame(frame);
    benchmark::DoNotOptimize(frame.Bits());
  }
}

// The whole paint of the control: its buffer, the frame, the copy.
void BM_VisPaint(benchmark::State& state) {
  Spectrum s;
  TDDBitmap32 shown;
  std::size_t k = 0;
  for (auto _ : state) {
    s.vis.SetData(s.frames[k++ % s.frames.size()].data());
    s.vis.RenderTo(shown);
    benchmark::DoNotOptimize(shown.Bits());
  }
}

// A 300 x 120 lyric view with 100 lines, 3 s apart.
struct Lyric {
  TDDLrcShow view;
  QImage shown;
  Lyric() {
    QString text;
    for (int i = 0; i < 100; ++i)
      text += QStringLiteral("[%1:%2.00]第 %3 行 the words of line %3\n")
                  .arg(i * 3 / 60, 2, 10, QLatin1Char('0'))
                  .arg(i * 3 % 60, 2, 10, QLatin1Char('0'))
                  .arg(i);
    view.resize(300, 120);
    view.SetLrcSpace(4);
    view.SetBGColor(0x000000);
    view.SetLrcColor(0xC0C0C0);
    view.SetLrcCurrColor(0x00FFFF);
    view.SetLrc(text);
    view.SetLengthTime(300000);
    view.SetPosTime(150001);
    view.RenderTo(shown);
  }
};

// Positions inside one line: the lines stay rendered, only the copy moves.
void BM_LrcPositionNoRender(benchmark::State& state) {
  Lyric l;
  const int renders = l.view.RenderCount();
  int k = 0;
  for (auto _ : state) {
    l.view.SetPosTime(150001 + (k++ % 2900));
    l.view.RenderTo(l.shown);
    benchmark::DoNotOptimize(l.shown.constBits());
  }
  if (l.view.RenderCount() != renders) state.SkipWithError("the lines were rendered again");
}

// The setter alone (the copy to the screen follows at the next paint).
void BM_LrcSetPosTimeOnly(benchmark::State& state) {
  Lyric l;
  int k = 0;
  for (auto _ : state) l.view.SetPosTime(150001 + (k++ % 2900));
}

// Every update enters a new line: all 101 lines are rendered again.
void BM_LrcPositionWithRender(benchmark::State& state) {
  Lyric l;
  int k = 0;
  for (auto _ : state) {
    l.view.SetPosTime((k++ % 2) ? 150001 : 153001);
    l.view.RenderTo(l.shown);
    benchmark::DoNotOptimize(l.shown.constBits());
  }
  state.counters["renders"] = l.view.RenderCount();
}

}  // namespace

BENCHMARK(BM_VisFrame)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_VisPaint)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LrcPositionNoRender)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LrcSetPosTimeOnly)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LrcPositionWithRender)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
