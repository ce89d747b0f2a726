#pragma once

#include <QString>
#include <cstdint>
#include <memory>

namespace vireo {

// One playback channel on the output device: interleaved 32-bit float stereo at 44100 Hz. The
// device scales the samples by the channel's volume and clips them to full scale, never wraps
// them. Samples above full scale (an equalizer boost) are clipped after the volume where the
// server mixes in float (PipeWire), before it where each channel is first converted to the
// device's format (a PulseAudio daemon on a 16-bit device).
//
// Threading contract:
// - WaitRoom(), Write() and Drain() are called by one thread only, the stream's render thread.
//   They block (WaitRoom and Write until the device has room, Drain until everything written was
//   heard). Interrupt() makes the WaitRoom(), Write() or Drain() under way, or else the next one,
//   return early; each call to Interrupt() is consumed by exactly one early return, so a wake-up
//   is never lost.
// - SetPaused(), Flush(), Interrupt(), SetVolume() and PlayedFrames() may be called from any
//   thread at any time, also while the render thread is blocked inside Write() or Drain(). None
//   of them blocks for longer than one round trip to the sound server; SetPaused(), Flush() and
//   SetVolume() take effect in the order they were called.
// - The sink is destroyed by its owner after the render thread has ended.
class IAudioSink {
 public:
  virtual ~IAudioSink() = default;

  // Waits until the device can take at least one of its requests' worth of frames (or `frames`,
  // when fewer) and returns how many it can take now, at most `frames`; a Write() of that many
  // does not block. The render thread renders just that much right before writing it, so it
  // wakes once per request and what it writes reflects the newest settings. 0 when interrupted
  // or failed.
  virtual int WaitRoom(int frames) = 0;
  // Hands frames to the device. Returns how many were taken: all of them unless interrupted or
  // the device failed (then fewer, possibly 0).
  virtual int Write(const float* frames, int count) = 0;
  // Waits until the written frames have been heard. False when interrupted or failed.
  virtual bool Drain() = 0;
  // Wakes a blocked Write() or Drain(); the call returns early.
  virtual void Interrupt() = 0;
  // A paused sink keeps what was written and plays nothing; Write() blocks once it is full.
  virtual void SetPaused(bool paused) = 0;
  // The factor every sample is multiplied by before it is heard (0 silences, above 1 amplifies).
  // It applies at once, also to what was written but not yet heard, so a volume change is heard
  // without waiting for the buffer. A new sink plays at 1.
  virtual void SetVolume(float factor) = 0;
  // Drops what was written but not yet heard and restarts the frame count at 0.
  virtual void Flush() = 0;
  // Frames heard since the sink was opened or last flushed (written minus what is still queued).
  virtual int64_t PlayedFrames() const = 0;
  // False once the connection to the device is lost.
  virtual bool Healthy() const = 0;

  // Render thread. The first written frame (counted as PlayedFrames() counts) that Replace() can
  // still change before it is heard, with a margin for the time the replacement takes to arrive;
  // -1 when this sink cannot replace what it was given.
  virtual int64_t ReplaceableFrom() const { return -1; }
  // Render thread. Replaces the written frames from `first` to the last written one (`count` of
  // them) with new ones, so a change of the sound (the equalizer) is heard without waiting for
  // the buffer; the count of written frames stays. A part the device took meanwhile is heard as
  // it was. False when nothing was replaced.
  virtual bool Replace(int64_t first, const float* frames, int count) {
    (void)first, (void)frames, (void)count;
    return false;
  }
};

// A connection to an output device, from which one sink per stream is opened.
//
// Threading contract: the output is created, initialised and destroyed on the UI thread; every
// sink it opened must be gone before it is destroyed. OpenSink() may be called from any thread
// (the opener thread uses it, so the UI thread never waits for the sound server); it returns a
// paused sink, or null when the device is gone.
class IAudioOutput {
 public:
  virtual ~IAudioOutput() = default;
  // Connects to the device; false (and a reason) when there is none.
  virtual bool Init(QString* reason) = 0;
  virtual std::unique_ptr<IAudioSink> OpenSink() = 0;
};

}  // namespace vireo
