#include "SeamMeter.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <numbers>

namespace vireo::test {

Seam Seam::Inspect(const QByteArray& raw, int hz, double amplitude) {
  const auto* s = reinterpret_cast<const int16_t*>(raw.constData());
  const qsizetype frames = raw.size() / 4;
  const int threshold = static_cast<int>(amplitude * 32767 / 10);
  qsizetype first = -1, last = -1;
  for (qsizetype i = 0; i < frames; ++i)
    if (std::abs(s[2 * i]) > threshold) {
      if (first < 0) first = i;
      last = i;
    }
  Seam seam;
  if (first < 0) return seam;
  seam.toneFrames = last - first;
  seam.toneStep = static_cast<int>(amplitude * 32767 * 2 * std::numbers::pi * hz / 44100);
  // Inside the tone, away from its fades in and out.
  for (qsizetype at = first + 441; at + 44 < last - 441; at += 44) {
    int peak = 0;
    for (qsizetype i = at; i < at + 44; ++i) peak = std::max(peak, std::abs(int(s[2 * i])));
    if (peak < amplitude * 32767 / 3) ++seam.quietMs;
  }
  for (qsizetype i = first + 441; i + 1 < last - 441; ++i)
    seam.largestStep = std::max(seam.largestStep, std::abs(s[2 * (i + 1)] - s[2 * i]));
  return seam;
}

double Seam::ToneAmplitude(const QByteArray& raw, long long first, int frames, double hz) {
  const auto* x = reinterpret_cast<const int16_t*>(raw.constData()) + first * 2;
  double re = 0, im = 0;
  for (int i = 0; i < frames; ++i) {
    const double w = 2 * std::numbers::pi * hz * i / 44100.0;
    re += x[2 * i] / 32768.0 * std::cos(w);
    im += x[2 * i] / 32768.0 * std::sin(w);
  }
  return 2 * std::hypot(re, im) / frames;
}

}  // namespace vireo::test
