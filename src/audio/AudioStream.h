#pragma once

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "audio/AudioCodes.h"
#include "audio/Equalizer.h"
#include "audio/SampleHistory.h"

namespace vireo {

class AudioDecoder;
class IAudioSink;
class NetworkSource;
class FrequencyAnalyzer;

// One playing stream: a decoder, its output sink and the render thread between them, which
// decodes a block, runs the equalizer, keeps the block for the spectrum and writes it to the
// sink. The volume is the sink's (applied, and clipped, on the sound server), so a change is heard
// at once instead of after the buffer. So is an equalizer change where the sink can replace what
// it queued: the render thread keeps the decoded frames and renders the queued ones again with
// the new gains (elsewhere it is heard once the buffer has played). Only about the sink's buffer
// is ever decoded ahead of what is heard.
//
// Threading contract: every public method runs on the UI thread (the owner). The end handler
// runs on the render thread, once per end, with the control generation current at that moment;
// the owner compares it with Generation() to drop an end that a later seek or stop overtook. A
// sink that fails (the sound server went away) ends the stream the same way. The destructor
// stops and joins the render thread.
class AudioStream {
 public:
  using EndHandler = std::function<void(uint64_t generation)>;

  AudioStream(std::unique_ptr<AudioDecoder> decoder, std::unique_ptr<IAudioSink> sink);
  ~AudioStream();
  AudioStream(const AudioStream&) = delete;
  AudioStream& operator=(const AudioStream&) = delete;

  // Starts the render thread and playback at the given volume factor and band gains.
  void Start(float volume, const std::array<int, kBandCount>& gains, EndHandler onEnd);
  void Play();   // resume where it was
  void Pause();  // keep the position; also what a stop does
  // Seeks to an output frame; false when the input cannot (beyond what a network stream has
  // downloaded, or a stream that cannot seek at all).
  bool Seek(int64_t frame);

  int64_t PositionFrames() const;  // what is being heard now
  int64_t LengthFrames() const;    // -1 when unknown
  int64_t FileSize() const;        // -1 when unknown
  uint64_t Generation() const;
  NetworkSource* Network() const;

  void SetVolume(float factor);
  float Volume() const { return volume_.load(); }
  void SetGains(const std::array<int, kBandCount>& gains);

  // Spectrum and wave of what is being heard now. Returns the position, as PositionFrames(), from
  // the same answer of the sink (one question to the sound server per progress tick).
  int64_t Analyze(FrequencyAnalyzer& analyzer, float* fft, uint32_t* wave) const;

 private:
  // The most rendered at once: a second, a whole request of the sound server (the first fill
  // takes two), so each request takes one decode and one write.
  static constexpr int kBlockFrames = kOutputRate;
  static constexpr int kFirstBlockFrames = kOutputRate / 4;
  // Input the equalizer runs over before the frames it renders again, to take up its state:
  // its slowest band has died away to nothing long before a quarter second.
  static constexpr int kWarmFrames = kOutputRate / 4;
  void Run();
  void Render();
  void RenderBlock(int frames);
  void Rerender();   // render thread: what is queued (and the block's rest) with the new gains
  void ReportEnd();  // render thread: the end (or a lost sink) is reported once

  std::unique_ptr<AudioDecoder> decoder_;
  std::unique_ptr<IAudioSink> sink_;
  Equalizer equalizer_;
  SampleHistory history_;  // what the sink was given
  SampleHistory input_;    // the same before the equalizer
  EndHandler onEnd_;
  std::thread thread_;
  std::atomic<float> volume_{1.0f};  // the factor last handed to the sink

  // Render thread only: the block being written.
  std::unique_ptr<float[]> floats_;  // not zeroed: made on the UI thread, filled before use
  int blockFrames_ = 0, blockAt_ = 0;
  int64_t written_ = 0;      // frames the sink took since the last flush
  std::vector<float> redo_;  // Rerender()'s frames, allocated at the first change of gains

  mutable std::mutex mutex_;  // guards the fields below
  std::condition_variable cv_;
  bool quit_ = false;
  bool active_ = false;  // playing, not paused
  bool ended_ = false;   // the end was reached (and reported)
  bool seekPending_ = false;
  bool regain_ = false;  // the gains changed: render what is queued again
  int64_t seekTarget_ = 0;
  int64_t base_ = 0;  // frame the sink's heard count starts from
  uint64_t generation_ = 0;
};

}  // namespace vireo
