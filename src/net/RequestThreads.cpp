#include "net/RequestThreads.h"

#include <chrono>
#include <thread>

namespace vireo {

RequestThreads& RequestThreads::Posts() {
  static auto* threads = new RequestThreads;
  return *threads;
}

RequestThreads& RequestThreads::Gets() {
  static auto* threads = new RequestThreads;
  return *threads;
}

void RequestThreads::Start(std::function<void()> job) {
  {
    std::lock_guard lock(mutex_);
    ++running_;
  }
  std::thread([this, job = std::move(job)] {
    try {
      job();
    } catch (...) {
      // A request thread never takes the process down.
    }
    std::lock_guard lock(mutex_);
    if (--running_ == 0) idle_.notify_all();
  }).detach();
}

int RequestThreads::Running() const {
  std::lock_guard lock(mutex_);
  return running_;
}

bool RequestThreads::WaitForAll(int timeoutMs) {
  std::unique_lock lock(mutex_);
  return idle_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                        [this] { return running_ == 0; });
}

}  // namespace vireo
