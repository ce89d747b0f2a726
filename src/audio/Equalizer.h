#pragma once

#include <array>
#include <atomic>

#include "audio/AudioCodes.h"

namespace vireo {

// Ten peaking filters at the player's band centres, each 5 semitones wide, on interleaved float
// stereo at 44100 Hz. A gain change glides to its new value over a few tens of milliseconds, so
// moving a band while music plays never clicks. A band at 0 dB is skipped entirely: a flat
// equalizer costs nothing.
//
// Threading contract: SetGains() may be called from any thread (the gains are atomics);
// Process() belongs to one thread, the stream's render thread.
class Equalizer {
 public:
  Equalizer();
  void SetGains(const std::array<int, kBandCount>& gainsDb);
  void Process(float* frames, int count);
  // Renders again frames that this filter already processed, now with the newest gains: the
  // filter goes back to the gains it had, runs over `warm` (the input just before `frames`,
  // overwritten) to take up the state it had there, glides to the newest gains over `frames`, and
  // carries on from their end. A change of gains is then heard in what was rendered ahead, too.
  // Render thread only.
  void Rerender(float* warm, int warmCount, float* frames, int count);

  // The filter's response in dB at a frequency for the given gains (for tests and displays).
  static double ResponseDb(const std::array<int, kBandCount>& gainsDb, double hz);

 private:
  struct Band {
    double b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
    double z1[2] = {0, 0}, z2[2] = {0, 0};
    float currentDb = 0;
  };
  static void Design(Band& band, int index, double gainDb);
  void ProcessBand(Band& band, float* frames, int count);
  void ProcessCascade(float* frames, int count);

  std::array<std::atomic<int>, kBandCount> target_;
  std::array<Band, kBandCount> bands_;
};

}  // namespace vireo
