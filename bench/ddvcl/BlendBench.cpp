// Blending one 1000 x 1000 skin-sized image, row by row: the two row routines, the plain
// one-pixel-at-a-time loop they must equal, and QPainter's SourceOver on the same pixels.
// Rates are reported as items (pixels) per second of wall time: QPainter spreads large image
// draws over several threads, so its CPU time alone would overstate it.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <random>
#include <vector>

#include "ddvcl/Blend.h"

namespace {

constexpr int kSide = 1000;

// Skin-like pixels: a third transparent, a third opaque, the rest anywhere in between.
const std::vector<vireo::TColor32>& Source() {
  static const std::vector<vireo::TColor32> px = [] {
    std::vector<vireo::TColor32> v(std::size_t(kSide) * kSide);
    std::mt19937 rng(7);
    for (auto& p : v) {
      const std::uint32_t r = rng();
      const std::uint32_t kind = r % 3;
      const std::uint32_t a = kind == 0 ? 0 : kind == 1 ? 255 : (r >> 24);
      p = (rng() & 0x00FFFFFFu) | a << 24;
    }
    return v;
  }();
  return px;
}

std::vector<vireo::TColor32> Dest() {
  return std::vector<vireo::TColor32>(std::size_t(kSide) * kSide, 0xFF336699u);
}

template <class Row>
void RunRows(benchmark::State& state, Row row) {
  const auto& src = Source();
  auto dst = Dest();
  for (auto _ : state) {
    for (int y = 0; y < kSide; ++y)
      row(src.data() + std::size_t(y) * kSide, dst.data() + std::size_t(y) * kSide);
    benchmark::DoNotOptimize(dst.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * std::int64_t(kSide) * kSide);
}

void BM_BlendRow(benchmark::State& state) {
  RunRows(state, [](const auto* s, auto* d) { vireo::blend::BlendRow(s, d, kSide); });
}
void BM_BlendRowScalarLoop(benchmark::State& state) {
  RunRows(state, [](const auto* s, auto* d) { vireo::blend::BlendRowScalar(s, d, kSide); });
}
void BM_BlendRowMaster(benchmark::State& state) {
  RunRows(state, [](const auto* s, auto* d) { vireo::blend::BlendRowMaster(s, d, kSide, 200); });
}
void BM_BlendRowMasterScalarLoop(benchmark::State& state) {
  RunRows(state,
          [](const auto* s, auto* d) { vireo::blend::BlendRowMasterScalar(s, d, kSide, 200); });
}

// QPainter over the same straight-alpha pixels, as a skin would be drawn with it, and over the
// premultiplied form that is its fast path.
void RunPainter(benchmark::State& state, QImage::Format format, qreal opacity) {
  const auto& src = Source();
  const QImage srcImg = QImage(reinterpret_cast<const uchar*>(src.data()), kSide, kSide, kSide * 4,
                               QImage::Format_ARGB32)
                            .convertToFormat(format);
  QImage dst(kSide, kSide, format);
  dst.fill(QColor(0x33, 0x66, 0x99));
  for (auto _ : state) {
    QPainter p(&dst);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    p.setOpacity(opacity);
    p.drawImage(0, 0, srcImg);
    p.end();
    benchmark::DoNotOptimize(dst.bits());
  }
  state.SetItemsProcessed(state.iterations() * std::int64_t(kSide) * kSide);
}
void BM_QPainterSourceOver_ARGB32(benchmark::State& state) {
  RunPainter(state, QImage::Format_ARGB32, 1.0);
}
void BM_QPainterSourceOver_Premultiplied(benchmark::State& state) {
  RunPainter(state, QImage::Format_ARGB32_Premultiplied, 1.0);
}
void BM_QPainterSourceOverOpacity_ARGB32(benchmark::State& state) {
  RunPainter(state, QImage::Format_ARGB32, 200.0 / 255.0);
}

}  // namespace

BENCHMARK(BM_BlendRow)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_BlendRowScalarLoop)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_BlendRowMaster)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_BlendRowMasterScalarLoop)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_QPainterSourceOver_ARGB32)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_QPainterSourceOver_Premultiplied)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_QPainterSourceOverOpacity_ARGB32)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
