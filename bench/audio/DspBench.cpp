// Cost of the per-block work of the render thread and of one progress tick.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "audio/AudioCodes.h"
#include "audio/Equalizer.h"
#include "audio/SampleHistory.h"
#include "audio/FrequencyAnalyzer.h"

using namespace vireo;

namespace {

std::vector<float> Noise(int frames) {
  std::vector<float> v(static_cast<size_t>(frames) * 2);
  uint32_t x = 12345;
  for (float& s : v) {
    x = x * 1664525u + 1013904223u;
    s = (static_cast<float>(x >> 8) / 16777216.0f - 0.5f) * 0.5f;
  }
  return v;
}

// One second of audio through the equalizer, in the render thread's 512-frame blocks.
void EqualizerSecond(benchmark::State& state, std::array<int, kBandCount> gains) {
  Equalizer eq;
  eq.SetGains(gains);
  std::vector<float> block = Noise(kOutputRate);
  for (auto _ : state) {
    for (int at = 0; at < kOutputRate; at += 512)
      eq.Process(block.data() + 2 * at, std::min(512, kOutputRate - at));
    benchmark::DoNotOptimize(block.data());
  }
}

void BM_EqualizerFlatPerSecond(benchmark::State& s) {
  EqualizerSecond(s, {});
}
void BM_EqualizerTenBandsPerSecond(benchmark::State& s) {
  EqualizerSecond(s, {6, 4, 2, -1, -3, 2, 4, 6, -5, 8});
}
BENCHMARK(BM_EqualizerFlatPerSecond)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EqualizerTenBandsPerSecond)->Unit(benchmark::kMicrosecond);

void BM_ProgressTickSpectrum(benchmark::State& state) {
  SampleHistory history;
  std::vector<float> frames = Noise(4096);
  history.Push(frames.data(), 4096);
  FrequencyAnalyzer analyzer;
  std::vector<float> fft(kFftSingles);
  std::vector<uint32_t> wave(kWaveWords);
  for (auto _ : state) {
    analyzer.Compute(history, 4000, fft.data(), wave.data());
    benchmark::DoNotOptimize(fft.data());
  }
}
BENCHMARK(BM_ProgressTickSpectrum)->Unit(benchmark::kMicrosecond);

}  // namespace
