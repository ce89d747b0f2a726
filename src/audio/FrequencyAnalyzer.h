#pragma once

#include <cstdint>
#include <vector>

#include "audio/AudioCodes.h"

namespace vireo {

class SampleHistory;

// The spectrum and wave data the progress event carries: a 1024-point FFT of the channels mixed
// to mono, through a Hann window, whose 512 magnitudes are scaled so that a full-scale sine's
// peak bin reads about 0.5; and 2048 bytes of the same moment as 16-bit stereo.
//
// Threading contract: created and used on the UI thread only (FFTW plans are made at
// construction, which is not thread-safe across plans). Compute() never allocates.
class FrequencyAnalyzer {
 public:
  static constexpr int kPoints = 1024;

  FrequencyAnalyzer();
  ~FrequencyAnalyzer();
  FrequencyAnalyzer(const FrequencyAnalyzer&) = delete;
  FrequencyAnalyzer& operator=(const FrequencyAnalyzer&) = delete;

  // fft: kFftSingles floats; wave: kWaveWords words. Both are fully written.
  void Compute(const SampleHistory& history, int64_t heardFrame, float* fft, uint32_t* wave);
  // The same on frames the caller holds (kPoints stereo frames, oldest first).
  void ComputeFrames(const float* stereo, float* fft, uint32_t* wave);

 private:
  std::vector<float> window_;
  std::vector<float> frames_;  // kPoints stereo frames
  float* in_ = nullptr;
  void* out_ = nullptr;   // fftwf_complex[kPoints / 2 + 1]
  void* plan_ = nullptr;  // fftwf_plan
};

}  // namespace vireo
