#include "audio/SampleHistory.h"

#include <algorithm>
#include <cstring>

namespace vireo {

SampleHistory::SampleHistory() : ring_(static_cast<size_t>(kCapacityFrames) * 2, 0.0f) {}

void SampleHistory::Reset() {
  std::lock_guard lock(mutex_);
  pushed_ = 0;
}

void SampleHistory::Push(const float* frames, int count) {
  std::lock_guard lock(mutex_);
  for (int done = 0; done < count;) {
    const auto at = static_cast<int>(pushed_ % kCapacityFrames);
    const int n = std::min(count - done, kCapacityFrames - at);
    std::memcpy(ring_.data() + static_cast<ptrdiff_t>(at) * 2,
                frames + static_cast<ptrdiff_t>(done) * 2,
                static_cast<size_t>(n) * 2 * sizeof(float));
    done += n;
    pushed_ += n;
  }
}

void SampleHistory::Copy(int64_t end, int count, float* out) const {
  std::lock_guard lock(mutex_);
  const int64_t oldest = std::max<int64_t>(0, pushed_ - kCapacityFrames);
  for (int i = 0; i < count; ++i) {
    const int64_t f = end - count + i;
    if (f < oldest || f >= pushed_) {
      out[2 * i] = out[2 * i + 1] = 0.0f;
    } else {
      const auto at = static_cast<size_t>(f % kCapacityFrames) * 2;
      out[2 * i] = ring_[at];
      out[2 * i + 1] = ring_[at + 1];
    }
  }
}

}  // namespace vireo
