#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
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
// Gapless: a next track's decoder handed over with SetNext() is taken by the render thread the
// moment the current local file is decoded to its end, and its first frame is written right
// after the current one's last, into the same sink: nothing is reopened and nothing is lost.
// The seam handler is told the frame (in the sink's count) where the seam will be heard; the
// position stays on the current track up to it, and Adopt() makes the stream the next track's
// (position 0 at the seam). DiscardNext() undoes a seam not yet adopted: the current track
// plays on from what is heard and ends as it would have. The next track's own level (its
// levelling gain relative to the sink's volume) is applied to its samples from the seam on.
//
// Threading contract: every public method runs on the UI thread (the owner). The end handler
// runs on the render thread, once per end, with the control generation current at that moment;
// the owner compares it with Generation() to drop an end that a later seek or stop overtook. A
// sink that fails (the sound server went away) ends the stream the same way. The seam handler
// runs on the render thread, once per seam taken. The destructor stops and joins the render
// thread.
class AudioStream {
 public:
  using EndHandler = std::function<void(uint64_t generation)>;
  using SeamHandler = std::function<void()>;
  // Opens a new sink on the output (blocking, within the output's reconnect time); null when
  // the sound server is not there.
  using SinkSource = std::function<std::unique_ptr<IAudioSink>()>;

  AudioStream(std::unique_ptr<AudioDecoder> decoder, std::unique_ptr<IAudioSink> sink);
  ~AudioStream();
  AudioStream(const AudioStream&) = delete;
  AudioStream& operator=(const AudioStream&) = delete;

  // Where a new sink comes from when the sound server went away under this one (it restarted):
  // the stream goes on in the new sink from what was heard last, and ends only when none can be
  // had. Without it a lost sink ends the stream. Before Start().
  void SetSinkSource(SinkSource source) { sinkSource_ = std::move(source); }
  // Starts the render thread and playback at the given volume factor and band gains.
  void Start(float volume, const std::array<int, kBandCount>& gains, EndHandler onEnd);
  void Play();   // resume where it was
  void Pause();  // keep the position; also what a stop does
  // Seeks to an output frame; false when the input cannot (beyond what a network stream has
  // downloaded, or a stream that cannot seek at all).
  bool Seek(int64_t frame);

  // The next track: its decoder (opened off the UI thread) and the factor its samples are
  // scaled by. Replaces a next track not yet taken.
  void SetNext(std::unique_ptr<AudioDecoder> next, float gain, SeamHandler onSeam);
  // A next track is being opened: at the end of the input the render thread waits for it while
  // the sink still has more than kNextMarginFrames to play, instead of draining at once.
  void ExpectNext();
  // Drops the next track; a seam already written but not adopted is undone.
  void DiscardNext();
  // Frames until the seam is heard (0 or less once it was); nothing when no seam is pending.
  std::optional<int64_t> FramesUntilSeam() const;
  // The stream becomes the next track's from the seam on; false when there is no seam.
  bool Adopt();

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
  bool TakeNext();   // render thread, at the end of the input: the seam, when there is a next
  bool WaitForNext();  // render thread: TakeNext, after waiting for an expected next track
  // Render thread, when the sink has failed: a new sink, and a seek to what was heard last;
  // false when there is none (the stream ends).
  bool Recover();
  void Fail();  // render thread: Recover, else the end
  // Render thread, at the end of the input: waits until the sink has played what it was given,
  // by the clock the position is read from (a drain answers a buffer's worth later). False
  // when a command or a failed sink interrupted the wait.
  bool WaitHeard();
  static constexpr int kNextMarginFrames = kOutputRate / 5;
  static constexpr std::chrono::seconds kRecoverSpacing{2};
  // Render thread: scales frames of the block (from written-count `first` on) by the gain of
  // the track they belong to.
  void ApplyTrackGain(float* frames, int count, int64_t first) const;
  int64_t HeardLocked() const;  // the position, mutex held

  std::unique_ptr<AudioDecoder> decoder_;
  std::unique_ptr<IAudioSink> sink_;  // replaced by the render thread (Recover) under mutex_
  SinkSource sinkSource_;
  // Render thread: when the last new sink was had; a sink lost again at once is not replaced.
  std::chrono::steady_clock::time_point recovered_{};
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
  // The current track's facts for the owner (the decoder itself belongs to the render thread).
  int64_t length_ = -1, fileSize_ = -1;
  // The download the current track reads (read by the render thread's recovery unlocked).
  std::atomic<NetworkSource*> network_ = nullptr;
  // The next track and the seam.
  std::unique_ptr<AudioDecoder> next_;
  bool expecting_ = false;  // a next track is on its way
  float nextGain_ = 1.0f;
  SeamHandler onSeam_;
  std::unique_ptr<AudioDecoder> ending_;  // the current track's decoder, kept until adoption
  bool seamPending_ = false;              // a seam was written and not yet adopted
  int64_t seamFrame_ = 0;                 // in the sink's count of written frames
  bool freeEnding_ = false;               // adopted: the render thread frees ending_
  std::unique_ptr<AudioDecoder> dropped_;  // a next track to be freed by the render thread
  // Gains of the samples before and from `gainFrom_` (written count) on.
  float gainBefore_ = 1.0f, gainAfter_ = 1.0f;
  int64_t gainFrom_ = INT64_MAX;
};

}  // namespace vireo
