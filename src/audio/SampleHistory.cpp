#include "audio/SampleHistory.h"

#include <algorithm>
#include <cstring>

namespace vireo {

// Not zeroed: only frames that were pushed are ever read, so the memory becomes resident as the
// ring fills, on the thread that fills it, instead of all at once where the stream is made.
SampleHistory::SampleHistory()
    : ring_(std::make_unique_for_overwrite<float[]>(static_cast<size_t>(kCapacityFrames) * 2)) {}

void SampleHistory::Reset() {
  std::lock_guard lock(mutex_);
  pushed_ = 0;
}

void SampleHistory::Push(const float* frames, int count) {
  std::lock_guard lock(mutex_);
  for (int done = 0; done < count;) {
    const auto at = static_cast<int>(pushed_ % kCapacityFrames);
    const int n = std::min(count - done, kCapacityFrames - at);
    std::memcpy(ring_.get() + static_cast<ptrdiff_t>(at) * 2,
                frames + static_cast<ptrdiff_t>(done) * 2,
                static_cast<size_t>(n) * 2 * sizeof(float));
    done += n;
    pushed_ += n;
  }
}

void SampleHistory::Replace(int64_t first, const float* frames, int count) {
  std::lock_guard lock(mutex_);
  const int64_t oldest = std::max<int64_t>(0, pushed_ - kCapacityFrames);
  const int64_t from = std::max(first, oldest);
  const int64_t to = std::min(first + count, pushed_);
  for (int64_t f = from; f < to;) {
    const auto at = static_cast<int>(f % kCapacityFrames);
    const int n = static_cast<int>(std::min<int64_t>(to - f, kCapacityFrames - at));
    std::memcpy(ring_.get() + static_cast<ptrdiff_t>(at) * 2,
                frames + static_cast<ptrdiff_t>(f - first) * 2,
                static_cast<size_t>(n) * 2 * sizeof(float));
    f += n;
  }
}

int64_t SampleHistory::Oldest() const {
  std::lock_guard lock(mutex_);
  return std::max<int64_t>(0, pushed_ - kCapacityFrames);
}

int64_t SampleHistory::End() const {
  std::lock_guard lock(mutex_);
  return pushed_;
}

// In at most two runs of the ring, zeros before and after what is held.
void SampleHistory::Copy(int64_t end, int count, float* out) const {
  std::lock_guard lock(mutex_);
  const int64_t oldest = std::max<int64_t>(0, pushed_ - kCapacityFrames);
  const int64_t first = end - count;
  const int64_t from = std::clamp(first, oldest, pushed_);
  const int64_t to = std::clamp(end, from, pushed_);
  const int64_t lead = std::clamp<int64_t>(from - first, 0, count);
  const int64_t tail = std::clamp<int64_t>(to - first, lead, count);
  std::fill(out, out + lead * 2, 0.0f);
  std::fill(out + tail * 2, out + static_cast<ptrdiff_t>(count) * 2, 0.0f);
  for (int64_t f = from; f < to;) {
    const auto at = static_cast<int>(f % kCapacityFrames);
    const int n = static_cast<int>(std::min<int64_t>(to - f, kCapacityFrames - at));
    std::memcpy(out + (f - first) * 2, ring_.get() + static_cast<ptrdiff_t>(at) * 2,
                static_cast<size_t>(n) * 2 * sizeof(float));
    f += n;
  }
}

}  // namespace vireo
