#include "audio/AudioStream.h"

#include <pthread.h>

#include <algorithm>
#include <cmath>

#include "audio/AudioDecoder.h"
#include "audio/AudioOutput.h"
#include "audio/FrequencyAnalyzer.h"
#include "audio/NetworkSource.h"

namespace vireo {

AudioStream::AudioStream(std::unique_ptr<AudioDecoder> decoder, std::unique_ptr<IAudioSink> sink)
    : decoder_(std::move(decoder)),
      sink_(std::move(sink)),
      floats_(static_cast<size_t>(kBlockFrames) * 2) {}

AudioStream::~AudioStream() {
  {
    std::lock_guard lock(mutex_);
    quit_ = true;
    cv_.notify_all();
  }
  if (NetworkSource* net = decoder_ ? decoder_->Network() : nullptr) net->Cancel();
  sink_->Interrupt();
  if (thread_.joinable()) thread_.join();
}

void AudioStream::Start(float volume, const std::array<int, kBandCount>& gains, EndHandler onEnd) {
  SetVolume(volume);
  equalizer_.SetGains(gains);
  onEnd_ = std::move(onEnd);
  active_ = true;
  thread_ = std::thread([this] { Run(); });
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
  if (NetworkSource* net = decoder_->Network()) {
    // Within what has arrived: a whole file, and a frame whose share of the length has come.
    if (!net->Seekable()) return false;
    const int64_t length = decoder_->LengthFrames();
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

int64_t AudioStream::PositionFrames() const {
  std::lock_guard lock(mutex_);
  if (seekPending_) return seekTarget_;
  return base_ + sink_->PlayedFrames();
}

int64_t AudioStream::LengthFrames() const {
  return decoder_->LengthFrames();
}
int64_t AudioStream::FileSize() const {
  return decoder_->FileSize();
}
NetworkSource* AudioStream::Network() const {
  return decoder_->Network();
}

uint64_t AudioStream::Generation() const {
  std::lock_guard lock(mutex_);
  return generation_;
}

void AudioStream::SetVolume(float factor) {
  volume_.store(factor);
  sink_->SetVolume(factor);
}

int64_t AudioStream::Analyze(FrequencyAnalyzer& analyzer, float* fft, uint32_t* wave) const {
  int64_t heard, position;
  {
    std::lock_guard lock(mutex_);
    heard = sink_->PlayedFrames();
    position = seekPending_ ? seekTarget_ : base_ + heard;
  }
  analyzer.Compute(history_, heard, fft, wave);
  return position;
}

void AudioStream::RenderBlock(int frames) {
  equalizer_.Process(floats_.data(), frames);
  history_.Push(floats_.data(), frames);
  blockFrames_ = frames;
  blockAt_ = 0;
}

void AudioStream::Run() {
  pthread_setname_np(pthread_self(), "vireo-render");
  for (;;) {
    {
      std::unique_lock lock(mutex_);
      cv_.wait(lock, [&] { return quit_ || seekPending_ || (active_ && !ended_); });
      if (quit_) return;
      if (seekPending_) {
        const int64_t target = seekTarget_;
        lock.unlock();
        const bool moved = decoder_->Seek(target);
        lock.lock();
        if (seekTarget_ == target) seekPending_ = false;
        if (!moved) continue;  // the input cannot go there: play on where it was
        sink_->Flush();
        history_.Reset();
        base_ = decoder_->PositionFrames();
        blockFrames_ = blockAt_ = 0;
        ended_ = false;
        continue;
      }
    }
    if (blockAt_ >= blockFrames_) {
      // Wait first, decode then: the block takes the equalizer's newest gains and goes straight
      // into the buffer, so a change is heard after the buffer, not after the buffer and a block.
      const int room = sink_->WaitRoom(kBlockFrames);
      if (room <= 0) {
        if (!sink_->Healthy()) ReportEnd();
        continue;
      }
      const int n = decoder_->Read(floats_.data(), room);
      if (n <= 0) {
        // Interrupted: look at the commands again. A sink that failed cannot drain at all.
        if (!sink_->Drain() && sink_->Healthy()) continue;
        ReportEnd();
        continue;
      }
      RenderBlock(n);
    }
    const int wanted = blockFrames_ - blockAt_;
    const int taken = sink_->Write(floats_.data() + static_cast<ptrdiff_t>(blockAt_) * 2, wanted);
    blockAt_ += taken;
    // A sink that took everything was working; only a short write can mean it failed. When the
    // sound server went away nothing more can be heard from this stream: it ends, so the player
    // moves on (and its next stream connects afresh) instead of showing a frozen "playing".
    if (taken < wanted && !sink_->Healthy()) ReportEnd();
  }
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
