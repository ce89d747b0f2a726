#include "audio/AudioStream.h"

#include <pthread.h>

#include <algorithm>
#include <chrono>
#include <cmath>

#include "audio/AudioDecoder.h"
#include "audio/AudioOutput.h"
#include "audio/FrequencyAnalyzer.h"
#include "audio/NetworkSource.h"
#include "base/Logging.h"

namespace vireo {

AudioStream::AudioStream(std::unique_ptr<AudioDecoder> decoder, std::unique_ptr<IAudioSink> sink)
    : decoder_(std::move(decoder)),
      sink_(std::move(sink)),
      floats_(std::make_unique_for_overwrite<float[]>(static_cast<size_t>(kBlockFrames) * 2)),
      length_(decoder_->LengthFrames()),
      fileSize_(decoder_->FileSize()),
      network_(decoder_->Network()) {}

AudioStream::~AudioStream() {
  {
    std::lock_guard lock(mutex_);
    quit_ = true;
    cv_.notify_all();
    sink_->Interrupt();
  }
  if (NetworkSource* net = network_) net->Cancel();
  if (thread_.joinable()) thread_.join();
}

void AudioStream::Start(float volume, const std::array<int, kBandCount>& gains, EndHandler onEnd) {
  SetVolume(volume);
  equalizer_.SetGains(gains);
  onEnd_ = std::move(onEnd);
  active_ = true;
  thread_ = std::thread([this] { Run(); });
  std::lock_guard lock(mutex_);
  sink_->SetPaused(false);
}

void AudioStream::Play() {
  std::lock_guard lock(mutex_);
  ++generation_;
  active_ = true;
  cv_.notify_all();
  sink_->SetPaused(false);
}

void AudioStream::Pause() {
  std::lock_guard lock(mutex_);
  ++generation_;
  active_ = false;
  sink_->SetPaused(true);
}

bool AudioStream::Seek(int64_t frame) {
  frame = std::max<int64_t>(0, frame);
  if (NetworkSource* net = network_) {
    // Within what has arrived: a whole file, and a frame whose share of the length has come.
    if (!net->Seekable()) return false;
    const int64_t length = LengthFrames();
    const int64_t size = net->ContentLength();
    if (length <= 0 || size <= 0) return false;
    const double share = static_cast<double>(frame) / static_cast<double>(length);
    if (!net->Finished() && share * static_cast<double>(size) > static_cast<double>(net->Arrived()))
      return false;
  }
  std::lock_guard lock(mutex_);
  ++generation_;
  seekPending_ = true;
  seekTarget_ = frame;
  cv_.notify_all();
  sink_->Interrupt();
  return true;
}

int64_t AudioStream::HeardLocked() const {
  const int64_t position = base_ + sink_->PlayedFrames();
  // Up to the seam the current track is heard; past it, until adopted, its end.
  return seamPending_ ? std::min(position, base_ + seamFrame_) : position;
}

int64_t AudioStream::PositionFrames() const {
  std::lock_guard lock(mutex_);
  if (seekPending_) return seekTarget_;
  return HeardLocked();
}

int64_t AudioStream::LengthFrames() const {
  std::lock_guard lock(mutex_);
  return length_;
}
int64_t AudioStream::FileSize() const {
  std::lock_guard lock(mutex_);
  return fileSize_;
}
NetworkSource* AudioStream::Network() const {
  return network_;
}

void AudioStream::SetNext(std::unique_ptr<AudioDecoder> next, float gain, SeamHandler onSeam) {
  std::lock_guard lock(mutex_);
  if (next_) dropped_ = std::move(next_);
  next_ = std::move(next);
  expecting_ = false;
  nextGain_ = gain;
  onSeam_ = std::move(onSeam);
  cv_.notify_all();
}

void AudioStream::ExpectNext() {
  std::lock_guard lock(mutex_);
  expecting_ = true;
}

void AudioStream::DiscardNext() {
  {
    std::lock_guard lock(mutex_);
    expecting_ = false;
    if (next_) dropped_ = std::move(next_);
    if (!seamPending_ || seekPending_) return;
    // The next track is in the sink already: the current one plays on from what is heard (the
    // render thread brings its decoder back and flushes the rest).
    seekTarget_ = HeardLocked();
    seekPending_ = true;
    ++generation_;
    cv_.notify_all();
    sink_->Interrupt();
  }
}

std::optional<int64_t> AudioStream::FramesUntilSeam() const {
  std::lock_guard lock(mutex_);
  if (!seamPending_ || seekPending_) return std::nullopt;
  return seamFrame_ - sink_->PlayedFrames();
}

bool AudioStream::Adopt() {
  std::lock_guard lock(mutex_);
  if (!seamPending_ || seekPending_) return false;
  base_ = -seamFrame_;
  seamPending_ = false;
  freeEnding_ = true;
  length_ = decoder_->LengthFrames();
  fileSize_ = decoder_->FileSize();
  network_ = decoder_->Network();
  ended_ = false;
  cv_.notify_all();
  return true;
}

bool AudioStream::TakeNext() {
  SeamHandler notify;
  {
    std::lock_guard lock(mutex_);
    if (!next_ || seamPending_ || network_ || quit_) return false;
    ending_ = std::move(decoder_);
    decoder_ = std::move(next_);
    seamPending_ = true;
    seamFrame_ = written_;
    gainBefore_ = gainFrom_ == INT64_MAX ? gainBefore_ : gainAfter_;  // the current track's
    gainAfter_ = nextGain_;
    gainFrom_ = written_;
    notify = onSeam_;
  }
  if (notify) notify();
  return true;
}

bool AudioStream::WaitForNext() {
  {
    std::unique_lock lock(mutex_);
    while (expecting_ && !next_ && !quit_ && !seekPending_ && active_ &&
           written_ - sink_->PlayedFrames() > kNextMarginFrames)
      cv_.wait_for(lock, std::chrono::milliseconds(10));
  }
  return TakeNext();
}

void AudioStream::ApplyTrackGain(float* frames, int count, int64_t first) const {
  if (gainBefore_ == 1.0f && gainAfter_ == 1.0f) return;
  for (int i = 0; i < count; ++i) {
    const float g = first + i >= gainFrom_ ? gainAfter_ : gainBefore_;
    frames[2 * i] *= g;
    frames[2 * i + 1] *= g;
  }
}

uint64_t AudioStream::Generation() const {
  std::lock_guard lock(mutex_);
  return generation_;
}

void AudioStream::SetGains(const std::array<int, kBandCount>& gains) {
  equalizer_.SetGains(gains);
  std::lock_guard lock(mutex_);
  regain_ = true;
  cv_.notify_all();
  sink_->Interrupt();
}

void AudioStream::SetVolume(float factor) {
  volume_.store(factor);
  std::lock_guard lock(mutex_);
  sink_->SetVolume(factor);
}

int64_t AudioStream::Analyze(FrequencyAnalyzer& analyzer, float* fft, uint32_t* wave) const {
  int64_t heard, position;
  {
    std::lock_guard lock(mutex_);
    heard = sink_->PlayedFrames();
    position = seekPending_ ? seekTarget_ : HeardLocked();
  }
  analyzer.Compute(history_, heard, fft, wave);
  return position;
}

// In slices that stay in the processor's cache across the three passes over them.
void AudioStream::RenderBlock(int frames) {
  constexpr int kSlice = 4096;
  for (int at = 0; at < frames; at += kSlice) {
    float* slice = floats_.get() + static_cast<ptrdiff_t>(at) * 2;
    const int n = std::min(kSlice, frames - at);
    input_.Push(slice, n);
    equalizer_.Process(slice, n);
    ApplyTrackGain(slice, n, written_ + at);
    history_.Push(slice, n);
  }
  blockFrames_ = frames;
  blockAt_ = 0;
}

// The render thread's entry: nothing escapes it. A failure (a decoder that threw, memory) ends
// the stream as its end would, so the player moves on.
void AudioStream::Run() {
  pthread_setname_np(pthread_self(), "vireo-render");
  try {
    Render();
  } catch (const std::exception& e) {
    qCWarning(lcAudio) << "render thread failed:" << e.what();
    ReportEnd();
  } catch (...) {
    qCWarning(lcAudio) << "render thread failed";
    ReportEnd();
  }
}

void AudioStream::Render() {
  for (;;) {
    std::unique_ptr<AudioDecoder> unused, unusedNext;  // freed outside the lock
    {
      std::unique_lock lock(mutex_);
      cv_.wait(lock, [&] { return quit_ || seekPending_ || regain_ || (active_ && !ended_); });
      if (freeEnding_) {
        unused = std::move(ending_);
        freeEnding_ = false;
      }
      unusedNext = std::move(dropped_);
      if (quit_) return;
      if (seekPending_) {
        const int64_t target = seekTarget_;
        // A seam not adopted is undone: the current track's decoder comes back, and what of
        // the next track the sink holds goes with the flush below.
        bool restored = false;
        if (seamPending_) {
          unusedNext = std::move(decoder_);
          decoder_ = std::move(ending_);
          seamPending_ = false;
          gainAfter_ = gainBefore_;
          gainFrom_ = INT64_MAX;
          restored = true;
        }
        lock.unlock();
        unused.reset();
        unusedNext.reset();
        const bool moved = decoder_->Seek(target);
        lock.lock();
        if (seekTarget_ == target) seekPending_ = false;
        if (!moved && !restored) continue;  // the input cannot go there: play on where it was
        sink_->Flush();
        history_.Reset();
        input_.Reset();
        written_ = 0;
        base_ = moved ? decoder_->PositionFrames() : target;
        blockFrames_ = blockAt_ = 0;
        ended_ = false;
        // Everything from here on is the current track's.
        gainBefore_ = gainAfter_ = gainFrom_ == INT64_MAX ? gainBefore_ : gainAfter_;
        gainFrom_ = INT64_MAX;
        continue;
      }
      if (regain_) {
        regain_ = false;
        lock.unlock();
        Rerender();
        continue;
      }
    }
    if (blockAt_ >= blockFrames_) {
      // Wait first, decode then: the block takes the equalizer's newest gains and goes straight
      // into the buffer. The first block after a start or a seek is short, so the first sound
      // waits for a quarter second of decoding (or of download), not for a whole block.
      const int room = sink_->WaitRoom(written_ == 0 ? kFirstBlockFrames : kBlockFrames);
      if (room <= 0) {
        if (!sink_->Healthy()) Fail();
        continue;
      }
      const int n = decoder_->Read(floats_.get(), room);
      if (n <= 0 && WaitForNext()) continue;  // the next track follows in the same sink
      if (n <= 0) {
        // Interrupted: look at the commands again. A sink that failed cannot drain at all.
        if (!WaitHeard() && sink_->Healthy()) continue;
        if (sink_->Healthy())
          ReportEnd();
        else
          Fail();
        continue;
      }
      RenderBlock(n);
    }
    const int wanted = blockFrames_ - blockAt_;
    const int taken = sink_->Write(floats_.get() + static_cast<ptrdiff_t>(blockAt_) * 2, wanted);
    blockAt_ += taken;
    written_ += taken;
    // A sink that took everything was working; only a short write can mean it failed. When the
    // sound server went away nothing more can be heard from this stream: it ends, so the player
    // moves on (and its next stream connects afresh) instead of showing a frozen "playing".
    if (taken < wanted && !sink_->Healthy()) Fail();
  }
}

void AudioStream::Rerender() {
  const int64_t end = written_ + (blockFrames_ - blockAt_);
  const int64_t replaceable = sink_->ReplaceableFrom();
  const int64_t from =
      std::clamp(replaceable < 0 ? written_ : replaceable, input_.Oldest(), written_);
  const int64_t warmFrom = std::max(input_.Oldest(), from - kWarmFrames);
  const auto warm = static_cast<int>(from - warmFrom);
  const auto count = static_cast<int>(end - from);
  if (count <= 0) return;
  redo_.resize(static_cast<size_t>(warm + count) * 2);
  input_.Copy(end, warm + count, redo_.data());
  float* fresh = redo_.data() + static_cast<ptrdiff_t>(warm) * 2;
  equalizer_.Rerender(redo_.data(), warm, fresh, count);
  ApplyTrackGain(fresh, count, from);
  const auto queued = static_cast<int>(written_ - from);
  if (queued > 0) sink_->Replace(from, fresh, queued);
  std::copy(fresh + static_cast<ptrdiff_t>(queued) * 2, fresh + static_cast<ptrdiff_t>(count) * 2,
            floats_.get() + static_cast<ptrdiff_t>(blockAt_) * 2);
  history_.Replace(from, fresh, count);
}

bool AudioStream::WaitHeard() {
  constexpr int64_t kTailFrames = kOutputRate / 200;  // 5 ms: what a clock answer may lag
  constexpr auto kStall = std::chrono::milliseconds(400);
  auto lastMove = std::chrono::steady_clock::now();
  int64_t lastPlayed = -1;
  for (;;) {
    {
      std::unique_lock lock(mutex_);
      if (quit_ || seekPending_ || regain_) return false;
      const int64_t played = sink_->PlayedFrames();
      if (played >= written_ - kTailFrames) return true;
      const auto now = std::chrono::steady_clock::now();
      if (played != lastPlayed || !active_) {
        lastPlayed = played;
        lastMove = now;
      } else if (now - lastMove > kStall) {
        break;  // the clock stands still while playing: let the sink say when it is done
      }
      const auto left = std::chrono::milliseconds((written_ - played) * 1000 / kOutputRate);
      cv_.wait_for(lock, std::clamp(left, std::chrono::milliseconds(1),
                                    std::chrono::milliseconds(20)));
    }
    if (!sink_->Healthy()) return false;
  }
  return sink_->Drain();
}

void AudioStream::Fail() {
  if (!Recover()) ReportEnd();
}

bool AudioStream::Recover() {
  if (!sinkSource_ || network_) return false;  // a stream's download cannot be heard again
  const auto now = std::chrono::steady_clock::now();
  if (recovered_ != std::chrono::steady_clock::time_point{} && now - recovered_ < kRecoverSpacing)
    return false;  // lost again at once: the server is not really back
  int64_t heard;
  {
    std::lock_guard lock(mutex_);
    if (quit_) return false;
    heard = HeardLocked();
  }
  std::unique_ptr<IAudioSink> fresh = sinkSource_();
  if (!fresh || !fresh->Healthy()) return false;
  recovered_ = std::chrono::steady_clock::now();
  std::unique_ptr<IAudioSink> lost;
  {
    std::lock_guard lock(mutex_);
    if (quit_) return false;
    qCInfo(lcAudio) << "the sound server came back: playing on from frame" << heard;
    lost = std::move(sink_);
    sink_ = std::move(fresh);
    sink_->SetVolume(volume_.load());
    sink_->SetPaused(!active_);
    if (!seekPending_) {
      seekPending_ = true;
      seekTarget_ = heard;
    }
    cv_.notify_all();
  }
  return true;  // the lost sink goes here, outside the lock
}

void AudioStream::ReportEnd() {
  uint64_t generation;
  {
    std::lock_guard lock(mutex_);
    if (quit_ || seekPending_) return;
    ended_ = true;
    active_ = false;
    generation = generation_;
  }
  if (onEnd_) onEnd_(generation);
}

}  // namespace vireo
