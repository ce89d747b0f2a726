#include "audio/NullOutput.h"

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "audio/AudioCodes.h"

namespace vireo {
namespace {

using Clock = std::chrono::steady_clock;

class NullSink : public IAudioSink {
 public:
  NullSink(bool realTime, std::shared_ptr<std::atomic<bool>> lost)
      : realTime_(realTime), lost_(std::move(lost)) {}

  int Write(const float*, int count) override {
    if (lost_->load()) return 0;
    std::unique_lock lock(mutex_);
    if (!realTime_) {
      written_ += count;
      played_ = written_;
      return count;
    }
    int taken = 0;
    while (taken < count) {
      const int n = RoomLocked(lock, count - taken);
      if (n <= 0) break;
      written_ += n;
      taken += n;
    }
    return taken;
  }

  int WaitRoom(int frames) override {
    if (lost_->load()) return 0;
    std::unique_lock lock(mutex_);
    if (!realTime_) return frames;
    return RoomLocked(lock, frames);
  }

  // Lock held: room for at least min(frames, the whole buffer), as much of `frames` as fits.
  int RoomLocked(std::unique_lock<std::mutex>& lock, int frames) {
    for (;;) {
      if (interrupted_) {
        interrupted_ = false;
        return 0;
      }
      Advance();
      const int64_t room = kBufferFrames - (written_ - played_);
      if (room >= std::min<int64_t>(frames, kBufferFrames))
        return static_cast<int>(std::min<int64_t>(room, frames));
      cv_.wait_for(lock, std::chrono::milliseconds(5));
    }
  }

  bool Drain() override {
    std::unique_lock lock(mutex_);
    for (;;) {
      Advance();
      if (played_ >= written_) return true;
      if (interrupted_) {
        interrupted_ = false;
        return false;
      }
      cv_.wait_for(lock, std::chrono::milliseconds(5));
    }
  }

  void Interrupt() override {
    std::lock_guard lock(mutex_);
    interrupted_ = true;
    cv_.notify_all();
  }

  void SetPaused(bool paused) override {
    std::lock_guard lock(mutex_);
    Advance();
    paused_ = paused;
    last_ = Clock::now();
  }

  void SetVolume(float) override {}  // nothing is heard

  void Flush() override {
    std::lock_guard lock(mutex_);
    written_ = played_ = 0;
    last_ = Clock::now();
  }

  int64_t PlayedFrames() const override {
    std::lock_guard lock(mutex_);
    const_cast<NullSink*>(this)->Advance();
    return played_;
  }

  bool Healthy() const override { return !lost_->load(); }

 private:
  static constexpr int64_t kBufferFrames = kOutputRate / 10;

  // Moves the clock on: while not paused, frames are heard at the output rate.
  void Advance() {
    const auto now = Clock::now();
    if (!realTime_ || paused_) {
      last_ = now;
      return;
    }
    const auto us = std::chrono::duration_cast<std::chrono::microseconds>(now - last_).count();
    const int64_t frames = us * kOutputRate / 1000000;
    if (frames <= 0) return;
    played_ = std::min(written_, played_ + frames);
    last_ += std::chrono::microseconds(frames * 1000000 / kOutputRate);
    if (played_ == written_) last_ = now;  // an empty buffer does not bank time
  }

  const bool realTime_;
  const std::shared_ptr<std::atomic<bool>> lost_;
  mutable std::mutex mutex_;  // guards every field below
  std::condition_variable cv_;
  bool paused_ = true;
  bool interrupted_ = false;
  int64_t written_ = 0;
  int64_t played_ = 0;
  Clock::time_point last_ = Clock::now();
};

}  // namespace

bool NullOutput::Init(QString*) {
  return true;
}

std::unique_ptr<IAudioSink> NullOutput::OpenSink() {
  if (lost_->load()) return nullptr;  // the device is gone for good
  return std::make_unique<NullSink>(realTime_, lost_);
}

}  // namespace vireo
