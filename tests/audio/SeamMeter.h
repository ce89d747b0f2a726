#pragma once

#include <QByteArray>

namespace vireo::test {

// What a recording (16-bit stereo at 44100 Hz) shows of a tone of `hz` at `amplitude` (0..1)
// that was played as two files joined: silence inside it and steps larger than its own.
struct Seam {
  int quietMs = 0;      // 1 ms windows inside the tone whose peak is below a third of it
  int largestStep = 0;  // between two neighbouring samples (left channel)
  int toneStep = 0;     // the largest step the tone itself makes
  long long toneFrames = 0;

  static Seam Inspect(const QByteArray& raw, int hz, double amplitude);
  // The amplitude (0..1) of one frequency over `frames` frames from `first` on (left channel),
  // by correlation.
  static double ToneAmplitude(const QByteArray& raw, long long first, int frames, double hz);
};

}  // namespace vireo::test
