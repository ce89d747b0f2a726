// One paint of a 30-row playlist must cost the same for a short list and a very long one: only
// the visible rows are composed. Measured: composing the row area into a bitmap (RenderTo), a
// whole synchronous repaint of the shown control with its scroll bar on the offscreen platform
// (what a model change costs the UI thread), and a paint of a page never shown before (every
// text laid out anew). CPU time is the figure to read on a busy machine.
#include <benchmark/benchmark.h>

#include <QApplication>

#include "ddvcl/TDDPlaylist.h"
#include "ddvcl/TDDScrollBar.h"

using namespace vireo;

namespace {

// A list styled like the main window's: 12-pixel font, "nn:ss", a skinned scroll bar, a few
// selected rows and the playing row on the page shown, scrolled to the middle.
void Build(TDDPlaylist& list, int n) {
  list.resize(320, 30 * TDDPlaylist::ItemHeight);
  QFont font(QStringLiteral("Tahoma"));
  font.setPixelSize(12);
  list.SetFont(font);
  list.SetTimeFormat(QStringLiteral("nn:ss"));
  list.SetSelectionColor(0xFF316AC5u);
  list.SetAutoHideScrollBar(true);
  list.SetScrollBarWidth(12);
  TDDBitmap32 sheet(48, 40);
  sheet.Clear(0xC0808080u);
  list.ScrollBar()->SetImage(sheet);
  list.ScrollBar()->SetTrackPiece({0, 0, 12, 40});
  list.ScrollBar()->NormalX = 12;
  list.ScrollBar()->SliderW = 12;
  list.ScrollBar()->SliderH = 30;
  {
    TDDPlaylistItems::Update update(list.Items());
    for (int i = 0; i < n; ++i) {
      TDDPlaylistItem& item = list.Items().Add();
      item.Title = QStringLiteral("Track number %1 with a fairly long title").arg(i);
      item.Artist = QStringLiteral("歌手 %1").arg(i % 97);
      item.Caption = item.Title + QStringLiteral(" - ") + item.Artist;
      item.LongTime = (120 + i % 300) / 86400.0;
    }
  }
  const int top = n / 2 > 15 ? n / 2 - 15 : 0;
  list.SetTopIndex(top);
  for (int i = top + 3; i < top + 7 && i < n; ++i) list.Model().SetSelected(i, true);
  list.Model().SetCurrentItem(std::min(top + 5, n - 1));
  // The first paint loads the fonts (and the fallback font for the Chinese names): not measured.
  TDDBitmap32 warm;
  list.RenderTo(warm);
}

void BM_PlaylistCompose(benchmark::State& state) {
  TDDPlaylist list;
  Build(list, int(state.range(0)));
  TDDBitmap32 out;
  for (auto _ : state) {
    list.RenderTo(out);
    benchmark::DoNotOptimize(out.Bits());
  }
}

void BM_PlaylistRepaint(benchmark::State& state) {
  TDDPlaylist list;
  Build(list, int(state.range(0)));
  list.show();
  QApplication::processEvents();
  for (auto _ : state) list.repaint();
}

// The worst case: every paint shows 30 rows never drawn before (a page down through the list),
// so each caption, number and length is laid out anew.
void BM_PlaylistComposeNewPage(benchmark::State& state) {
  TDDPlaylist list;
  const int n = int(state.range(0));
  Build(list, n);
  TDDBitmap32 out;
  int top = 0;
  for (auto _ : state) {
    top = top + 30 >= n - 30 ? 0 : top + 30;
    list.SetTopIndex(top);
    list.RenderTo(out);
    benchmark::DoNotOptimize(out.Bits());
  }
}

}  // namespace

BENCHMARK(BM_PlaylistComposeNewPage)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PlaylistCompose)->Arg(100)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PlaylistRepaint)->Arg(100)->Arg(100000)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
