#pragma once

#include <cstdint>
#include <memory>
#include <mutex>

namespace vireo {

// The last frames a stream handed to its output, kept so that the spectrum and the wave show what
// is being heard now rather than what was decoded ahead (after the equalizer), and so that what is
// still queued on the server can be rendered again with new equalizer gains (before it). Frames
// are numbered from the last Reset(); the output's heard-frame count uses the same numbering.
//
// Threading contract: Push(), Replace() and Reset() come from the render thread, Copy() from the
// UI thread or the render thread; a short lock guards the ring (held only to copy the frames
// asked for).
class SampleHistory {
 public:
  // Nearly three seconds: more than the output's whole buffer (two) and a block.
  static constexpr int kCapacityFrames = 131072;

  SampleHistory();
  void Reset();
  void Push(const float* frames, int count);
  // Overwrites the frames from `first` on with `count` new ones, as far as they are held; frames
  // past the newest pushed are not added.
  void Replace(int64_t first, const float* frames, int count);
  // The oldest frame still held, and the frame after the newest.
  int64_t Oldest() const;
  int64_t End() const;
  // Copies count stereo frames ending just before frame `end` into out; frames not (or no longer)
  // held are zero. Never allocates.
  void Copy(int64_t end, int count, float* out) const;

 private:
  mutable std::mutex mutex_;  // guards ring_ and pushed_
  std::unique_ptr<float[]> ring_;
  int64_t pushed_ = 0;
};

}  // namespace vireo
