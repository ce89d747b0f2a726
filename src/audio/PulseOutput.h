#pragma once

#include "audio/AudioOutput.h"

struct pa_threaded_mainloop;
struct pa_context;

namespace vireo {

// Output through a PulseAudio server (or PipeWire's PulseAudio service), found the usual way:
// PULSE_SERVER, the user's runtime folder, the desktop's settings. One connection per engine; one
// playback stream per sink, float stereo at 44100 Hz, about 500 ms of buffer, the
// volume set on the server's stream.
//
// Threading contract: that of IAudioOutput and IAudioSink. All server traffic runs on libpulse's
// own mainloop thread; every call here takes that loop's lock for the time of one request, so
// sinks may be used from the render thread and the UI thread at once.
class PulseOutput : public IAudioOutput {
 public:
  PulseOutput() = default;
  ~PulseOutput() override;
  PulseOutput(const PulseOutput&) = delete;
  PulseOutput& operator=(const PulseOutput&) = delete;

  bool Init(QString* reason) override;
  std::unique_ptr<IAudioSink> OpenSink() override;

 private:
  pa_threaded_mainloop* loop_ = nullptr;
  pa_context* context_ = nullptr;
};

}  // namespace vireo
