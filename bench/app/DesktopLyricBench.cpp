// The desktop lyrics' line: a new line rendered on a 1870 x 92 window (what a 1920-wide screen
// gets), and a repeated line, which renders nothing. Karaoke beside plain: a new karaoke line
// (both colourings and the word positions) and one frame of its fill (the columns the fill's
// edge crossed, painted at the display's rate) beside the same paint of a plain line, which only
// happens on an expose. The share of a second of karaoke playback: 60 frames plus a new karaoke
// line every 4 s (60 x BM_FrameKaraokeLine + BM_KaraokeNewLine / 4), against today's plain
// lines (BM_WindowShowTextNewLine / 4); the X server's share of the frames is not counted here.
#include <benchmark/benchmark.h>

#include <QApplication>

#include "app/lyrics/DesktopLyricPainter.h"
#include "app/lyrics/TPetrelDeskTopLrc.h"

namespace {

int argc = 1;
char arg0[] = "bench";
char* argv[] = {arg0, nullptr};

QApplication& App() {
  // Off the screen unless asked for a real one (QT_QPA_PLATFORM=xcb under a display counts the
  // frames' way to the X server too).
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
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

vireo::TLyricItem KaraokeLine(qint32 start) {
  vireo::TLyricItem item;
  item.Text = QStringLiteral("清晨的风 吹过窗台 一只小鸟 轻轻唱起来");
  item.Time = start;
  const int pos[] = {0, 5, 10, 15};
  for (int k = 0; k < 4; ++k) item.Words.append({start + k * 1000, pos[k]});
  return item;
}

void BM_KaraokeNewLine(benchmark::State& state) {
  App();
  vireo::TPetrelDeskTopLrc lyrics;
  lyrics.resize(1870, 92);
  const vireo::TLyricItem lines[2] = {KaraokeLine(0), KaraokeLine(10000)};
  int i = 0;
  for (auto _ : state) {
    const vireo::TLyricItem& line = lines[i++ & 1];
    lyrics.ShowLine(line.Text + QString::number(i & 1), line, line.Time + 4000, line.Time);
  }
  benchmark::DoNotOptimize(lyrics.GlyphRegion().rectCount());
}
BENCHMARK(BM_KaraokeNewLine)->Unit(benchmark::kMicrosecond);

// One frame: the strip of columns the fill's edge crossed (a few pixels at 60 frames a second)
// painted on the shown window.
void Frame(benchmark::State& state, bool karaoke) {
  App();
  vireo::TPetrelDeskTopLrc lyrics;
  lyrics.resize(1870, 92);
  lyrics.show();
  const vireo::TLyricItem line = KaraokeLine(0);
  if (karaoke)
    lyrics.ShowLine(line.Text, line, 4000, 0);
  else
    lyrics.ShowText(line.Text);
  QCoreApplication::processEvents();
  int x = 400;
  for (auto _ : state) {
    lyrics.repaint(QRect(x, 0, 8, 92));
    x = x >= 1400 ? 400 : x + 4;
  }
  if (karaoke && lyrics.FillRight() < 0) state.SkipWithError("not a karaoke line");
}

void BM_FramePlainLine(benchmark::State& state) {
  Frame(state, false);
}
BENCHMARK(BM_FramePlainLine)->Unit(benchmark::kMicrosecond);

void BM_FrameKaraokeLine(benchmark::State& state) {
  Frame(state, true);
}
BENCHMARK(BM_FrameKaraokeLine)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
