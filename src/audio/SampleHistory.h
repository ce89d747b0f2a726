#pragma once

#include <cstdint>
#include <mutex>
#include <vector>

namespace vireo {

// The last frames a stream handed to its output, after the equalizer and before the volume, kept
// so that the spectrum and the wave show what is being heard now rather than what was decoded
// ahead. Frames are numbered from the last Reset(); the output's heard-frame count uses the same
// numbering.
//
// Threading contract: Push() and Reset() come from the render thread, Copy() from the UI thread;
// a short lock guards the ring (held only to copy at most a few thousand floats).
class SampleHistory {
 public:
  static constexpr int kCapacityFrames = 32768;  // far more than any output buffer holds

  SampleHistory();
  void Reset();
  void Push(const float* frames, int count);
  // Copies count stereo frames ending just before frame `end` into out; frames not (or no longer)
  // held are zero. Never allocates.
  void Copy(int64_t end, int count, float* out) const;

 private:
  mutable std::mutex mutex_;  // guards ring_ and pushed_
  std::vector<float> ring_;
  int64_t pushed_ = 0;
};

}  // namespace vireo
