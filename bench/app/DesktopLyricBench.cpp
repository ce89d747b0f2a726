// The desktop lyrics' line: a new line rendered on a 1870 x 92 window (what a 1920-wide screen
// gets), and a repeated line, which renders nothing. Karaoke beside plain: a new karaoke line
// (both colourings and the word positions) and one frame of its fill (the columns the fill's
// edge crossed, painted at the display's rate) beside the same paint of a plain line, which only
// happens on an expose. The share of a second of karaoke playback: 60 frames plus a new karaoke
// line every 4 s (60 x BM_FrameKaraokeLine + BM_KaraokeNewLine / 4), against today's plain
// lines (BM_WindowShowTextNewLine / 4); the X server's share of the frames is not counted here.
// BM_PlaybackSecond* measure that share directly: seconds of real playback, frames and all.
// Each glyph is drawn once and then blitted (DesktopGlyphCache): the *NewLine figures are of
// glyphs drawn before, as most of a song's are; BM_KaraokeNewLineColdGlyphs draws every glyph
// anew, as the first line of a song with none of its characters seen yet.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QWindow>
#include <ctime>

#include "app/lyrics/DesktopGlyphCache.h"
#include "app/lyrics/DesktopLyricPainter.h"
#include "app/lyrics/TPetrelDeskTopLrc.h"
#include "ddvcl/TDDFrameClock.h"

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

// On a real display the window takes its paints only once the X server has mapped it.
void WaitExposed(QWidget& w) {
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < 5000 && !(w.windowHandle() && w.windowHandle()->isExposed()))
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  QCoreApplication::processEvents();
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

// New karaoke lines, two in turn; coldGlyphs: every glyph drawn anew for each.
void KaraokeNewLines(benchmark::State& state, bool coldGlyphs) {
  App();
  vireo::TPetrelDeskTopLrc lyrics;
  lyrics.resize(1870, 92);
  vireo::TLyricItem lines[2] = {KaraokeLine(0), KaraokeLine(10000)};
  lines[1].Text += QStringLiteral("啊");
  int i = 0;
  for (auto _ : state) {
    if (coldGlyphs) vireo::DesktopGlyphCache::Shared().Clear();
    const vireo::TLyricItem& line = lines[i++ & 1];
    lyrics.ShowLine(line.Text, line, line.Time + 4000, line.Time);
  }
  if (lyrics.FillRight() < 0) state.SkipWithError("not a karaoke line");
  benchmark::DoNotOptimize(lyrics.GlyphRegion().rectCount());
}
void BM_KaraokeNewLine(benchmark::State& state) {
  KaraokeNewLines(state, false);
}
BENCHMARK(BM_KaraokeNewLine)->Unit(benchmark::kMicrosecond);
void BM_KaraokeNewLineColdGlyphs(benchmark::State& state) {
  KaraokeNewLines(state, true);
}
BENCHMARK(BM_KaraokeNewLineColdGlyphs)->Unit(benchmark::kMicrosecond);

// One frame: the strip of columns the fill's edge crossed (a few pixels at 60 frames a second)
// painted on the shown window.
void Frame(benchmark::State& state, bool karaoke) {
  App();
  vireo::TPetrelDeskTopLrc lyrics;
  lyrics.resize(1870, 92);
  lyrics.show();
  WaitExposed(lyrics);
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

// A second of playback as the player gives it: the window shown, the engine's progress ticks
// every 50 ms (TDDFrameClock::Pulse), every third with the position (ShowLine with the lyric
// view's current line), a new line every 4 s (each line's five words
// fill it in 4 s), and the event loop running the frames in between, for real time. Reported:
// the thread's CPU milliseconds per second of playback (cpu_ms_per_s) and the frames that moved
// the fill (frames_per_s). Under QT_QPA_PLATFORM=xcb on a display the frames' way to the X
// server counts too; the X server's own work does not.
double ThreadCpuMs() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

vireo::TLyricItem FiveWordLine(qint32 start, int n) {
  vireo::TLyricItem item;
  const QString words[5] = {QStringLiteral("清晨的风"), QStringLiteral("吹过窗台"),
                            QStringLiteral("一只小鸟"), QStringLiteral("轻轻唱起"),
                            QStringLiteral("分享快乐")};
  item.Text = QStringLiteral("第%1行 ").arg(n);
  item.Time = start;
  for (int k = 0; k < 5; ++k) {
    item.Words.append({start + k * 800, int(item.Text.size())});
    item.Text += words[k] + QLatin1Char(' ');
  }
  item.Words.append({start + 4000, int(item.Text.size())});
  return item;
}

void Playback(benchmark::State& state, bool karaoke) {
  App();
  vireo::TPetrelDeskTopLrc lyrics;
  lyrics.resize(1870, 92);
  lyrics.show();
  WaitExposed(lyrics);
  qint32 position = 0;
  QElapsedTimer clock;
  auto tick = [&] {
    const int n = position / 4000;
    vireo::TLyricItem line = FiveWordLine(n * 4000, n + 1);
    if (!karaoke) line.Words.clear();
    lyrics.ShowLine(line.Text, line, n * 4000 + 4000, position);
  };
  QTimer ticks;
  ticks.setTimerType(Qt::PreciseTimer);
  int count = 0;
  QObject::connect(&ticks, &QTimer::timeout, [&] {
    // The engine's progress every 50 ms; every third brings the line.
    if (++count % 3 == 0) {
      position = qint32(clock.elapsed());
      tick();
    }
    vireo::TDDFrameClock::Pulse();
  });
  clock.start();
  tick();
  ticks.start(50);
  const int frames0 = lyrics.FrameCount();
  double cpu = 0, wall = 0;
  for (auto _ : state) {
    const double c0 = ThreadCpuMs();
    QElapsedTimer second;
    second.start();
    QEventLoop loop;
    QTimer::singleShot(1000, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
    cpu += ThreadCpuMs() - c0;
    wall += double(second.elapsed());
  }
  state.counters["cpu_ms_per_s"] = cpu * 1000.0 / std::max(1.0, wall);
  state.counters["frames_per_s"] = (lyrics.FrameCount() - frames0) * 1000.0 / std::max(1.0, wall);
  if (karaoke && lyrics.FillRight() < 0) state.SkipWithError("not a karaoke line");
}

void BM_PlaybackSecondPlain(benchmark::State& state) {
  Playback(state, false);
}
BENCHMARK(BM_PlaybackSecondPlain)->Unit(benchmark::kMillisecond)->Iterations(8);

void BM_PlaybackSecondKaraoke(benchmark::State& state) {
  Playback(state, true);
}
BENCHMARK(BM_PlaybackSecondKaraoke)->Unit(benchmark::kMillisecond)->Iterations(8);

}  // namespace

BENCHMARK_MAIN();
