#pragma once

#include <atomic>
#include <memory>

#include "audio/AudioOutput.h"

namespace vireo {

// An output without a device, for tests that need no sound server and for benchmarks. In real
// time mode its sinks consume frames at 44100 per second through a clock with a 100 ms buffer, so
// playback takes as long as with a device; otherwise they take everything at once and count it
// as heard. Threading contract: that of IAudioOutput and IAudioSink.
class NullOutput : public IAudioOutput {
 public:
  explicit NullOutput(bool realTime = true) : realTime_(realTime) {}
  bool Init(QString* reason) override;
  std::unique_ptr<IAudioSink> OpenSink() override;

  // Stands for a sound server that went away: every sink opened so far, and every later one,
  // stops taking frames and reports itself unhealthy. Any thread.
  void Lose() { lost_->store(true); }

 private:
  bool realTime_;
  std::shared_ptr<std::atomic<bool>> lost_ = std::make_shared<std::atomic<bool>>(false);
};

}  // namespace vireo
