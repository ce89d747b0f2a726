#pragma once

#include <QByteArray>
#include <memory>
#include <mutex>

#include "audio/AudioOutput.h"

namespace vireo {

struct PulseConnection;

// Output through a PulseAudio server (or PipeWire's PulseAudio service), found the usual way:
// PULSE_SERVER as it was when the output was made, the user's runtime folder, the desktop's
// settings. One connection at a time per engine; one playback stream per sink, float stereo at
// 44100 Hz, about two seconds of buffer (what is queued can be replaced), the volume set on the
// server's stream.
//
// The connection is made at Init() and again by the next OpenSink() whenever it was lost or never
// came up (the sound server restarted, or started after the player), each time within the same
// deadline (OpenSink tries again every kRetryConnectMs until then, since a restarting server has
// no socket for a moment); a stream the server never confirms gives up within it too. A sink keeps the
// connection it was opened on, so a lost connection is freed with its last sink.
//
// Threading contract: that of IAudioOutput and IAudioSink. All server traffic runs on libpulse's
// own mainloop thread; every call here takes that loop's lock for the time of one request, so
// sinks may be used from the render thread and the UI thread at once. OpenSink() calls are
// serialised by the output's own lock.
class PulseOutput : public IAudioOutput {
 public:
  static constexpr int kConnectTimeoutMs = 3000;
  static constexpr int kRetryConnectMs = 100;

  // server: a server address as libpulse takes it ("unix:/run/.../native"); empty: the usual way.
  explicit PulseOutput(QByteArray server = {}, int timeoutMs = kConnectTimeoutMs);
  ~PulseOutput() override;
  PulseOutput(const PulseOutput&) = delete;
  PulseOutput& operator=(const PulseOutput&) = delete;

  bool Init(QString* reason) override;
  std::unique_ptr<IAudioSink> OpenSink() override;

 private:
  QByteArray server_;
  int timeoutMs_;
  std::mutex mutex_;  // guards connection_
  std::shared_ptr<PulseConnection> connection_;
};

}  // namespace vireo
