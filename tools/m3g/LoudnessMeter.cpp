#include "LoudnessMeter.h"

#include <ebur128.h>

#include <algorithm>
#include <vector>

#include "audio/AudioCodes.h"
#include "audio/AudioDecoder.h"

std::optional<LoudnessMeter::Result> LoudnessMeter::Measure(const QString& path) {
  vireo::AudioDecoder::Opened opened = vireo::AudioDecoder::OpenFile(path);
  if (!opened.decoder) return std::nullopt;
  ebur128_state* state = ebur128_init(vireo::kOutputChannels, vireo::kOutputRate,
                                      EBUR128_MODE_I | EBUR128_MODE_SAMPLE_PEAK);
  if (!state) return std::nullopt;
  constexpr int kBlock = 4096;
  std::vector<float> block(static_cast<size_t>(kBlock) * 2);
  for (;;) {
    const int n = opened.decoder->Read(block.data(), kBlock);
    if (n <= 0) break;
    ebur128_add_frames_float(state, block.data(), static_cast<size_t>(n));
  }
  Result r{};
  if (ebur128_loudness_global(state, &r.loudnessLufs) != EBUR128_SUCCESS) {
    ebur128_destroy(&state);
    return std::nullopt;
  }
  double peak = 0;
  for (unsigned c = 0; c < vireo::kOutputChannels; ++c) {
    double p = 0;
    if (ebur128_sample_peak(state, c, &p) == EBUR128_SUCCESS) peak = std::max(peak, p);
  }
  r.peak = peak;
  ebur128_destroy(&state);
  return r;
}
