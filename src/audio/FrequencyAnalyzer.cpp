#include "audio/FrequencyAnalyzer.h"

#include <fftw3.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <mutex>
#include <numbers>

#include "audio/SampleHistory.h"

namespace vireo {
namespace {
std::mutex planMutex;  // FFTW's planner is not thread-safe; guards plan creation and destruction
}

FrequencyAnalyzer::FrequencyAnalyzer()
    : window_(kPoints), frames_(static_cast<size_t>(kPoints) * 2) {
  for (int i = 0; i < kPoints; ++i)
    window_[i] = 0.5f * (1.0f - std::cos(2 * std::numbers::pi_v<float> * i / kPoints));
  std::lock_guard lock(planMutex);
  in_ = fftwf_alloc_real(kPoints);
  auto* out = fftwf_alloc_complex(kPoints / 2 + 1);
  out_ = out;
  plan_ = fftwf_plan_dft_r2c_1d(kPoints, in_, out, FFTW_ESTIMATE);
}

FrequencyAnalyzer::~FrequencyAnalyzer() {
  std::lock_guard lock(planMutex);
  fftwf_destroy_plan(static_cast<fftwf_plan>(plan_));
  fftwf_free(in_);
  fftwf_free(out_);
}

void FrequencyAnalyzer::Compute(const SampleHistory& history, int64_t heardFrame, float* fft,
                                uint32_t* wave) {
  history.Copy(heardFrame, kPoints, frames_.data());
  ComputeFrames(frames_.data(), fft, wave);
}

void FrequencyAnalyzer::ComputeFrames(const float* stereo, float* fft, uint32_t* wave) {
  for (int i = 0; i < kPoints; ++i)
    in_[i] = 0.5f * (stereo[2 * i] + stereo[2 * i + 1]) * window_[i];
  fftwf_execute(static_cast<fftwf_plan>(plan_));
  const auto* out = static_cast<const fftwf_complex*>(out_);
  // A Hann window sums to N/2, so a sine of amplitude A peaks at A*N/4; 2/N brings that to A/2.
  constexpr float kScale = 2.0f / kPoints;
  // No overflow to guard against in these magnitudes: a plain root, not hypot's careful one.
  for (int k = 0; k < kFftBins; ++k)
    fft[k] = std::sqrt(out[k][0] * out[k][0] + out[k][1] * out[k][1]) * kScale;
  std::fill(fft + kFftBins, fft + kFftSingles, 0.0f);

  // The newest kWaveFrames frames as 16-bit stereo, in the byte order of raw sample data.
  int16_t samples[kWaveFrames * 2];
  const float* newest = stereo + static_cast<ptrdiff_t>(kPoints - kWaveFrames) * 2;
  for (int i = 0; i < kWaveFrames * 2; ++i)
    samples[i] = static_cast<int16_t>(std::lrint(std::clamp(newest[i], -1.0f, 1.0f) * 32767.0f));
  std::memcpy(wave, samples, sizeof samples);
  std::fill(wave + kWaveFrames, wave + kWaveWords, 0u);
}

}  // namespace vireo
