// The desktop lyrics' line: a new line rendered on a 1870 x 92 window (what a 1920-wide screen
// gets), and a repeated line, which renders nothing.
#include <benchmark/benchmark.h>

#include <QApplication>

#include "app/DesktopLyricPainter.h"
#include "app/TPetrelDeskTopLrc.h"

namespace {

int argc = 1;
char arg0[] = "bench";
char* argv[] = {arg0, nullptr};

QApplication& App() {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  static QApplication app(argc, argv);
  return app;
}

void BM_ShowTextNewLine(benchmark::State& state) {
  App();
  vireo::DesktopLyricStyle style;
  const QString lines[2] = {QStringLiteral("清晨的风吹过窗台"), QStringLiteral("一只小鸟轻轻唱起来")};
  int i = 0;
  for (auto _ : state) {
    QImage image = vireo::DesktopLyricPainter::Render(lines[i++ & 1], style, 1870, 92);
    benchmark::DoNotOptimize(image.constBits());
  }
}
BENCHMARK(BM_ShowTextNewLine)->Unit(benchmark::kMicrosecond);

// The whole of a new line in the window: the rendering and the glyph region that takes the mouse.
void BM_WindowShowTextNewLine(benchmark::State& state) {
  App();
  vireo::TPetrelDeskTopLrc lyrics;
  lyrics.resize(1870, 92);
  const QString lines[2] = {QStringLiteral("清晨的风吹过窗台"), QStringLiteral("一只小鸟轻轻唱起来")};
  int i = 0;
  for (auto _ : state) lyrics.ShowText(lines[i++ & 1]);
  benchmark::DoNotOptimize(lyrics.GlyphRegion().rectCount());
}
BENCHMARK(BM_WindowShowTextNewLine)->Unit(benchmark::kMicrosecond);

void BM_ShowTextRepeatedLine(benchmark::State& state) {
  App();
  vireo::TPetrelDeskTopLrc lyrics;
  lyrics.resize(1870, 92);
  lyrics.ShowText(QStringLiteral("清晨的风吹过窗台"));
  for (auto _ : state) lyrics.ShowText(QStringLiteral("清晨的风吹过窗台"));
  if (lyrics.RenderCount() != 1) state.SkipWithError("a repeated line was rendered again");
}
BENCHMARK(BM_ShowTextRepeatedLine)->Unit(benchmark::kNanosecond);

}  // namespace

BENCHMARK_MAIN();
