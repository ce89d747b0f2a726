#include "ConnectionThreads.h"

#include <thread>

namespace vireo::service {

ConnectionThreads::~ConnectionThreads() {
  shutdown();
}

void ConnectionThreads::enqueue(std::function<void()> fn) {
  std::unique_lock lock(mutex_);
  if (running_ >= limit_) {
    waiting_.push_back(std::move(fn));
    return;
  }
  ++running_;
  lock.unlock();
  std::thread([this, fn = std::move(fn)]() mutable { Work(std::move(fn)); }).detach();
}

void ConnectionThreads::Work(std::function<void()> fn) {
  for (;;) {
    fn();
    std::lock_guard lock(mutex_);
    if (waiting_.empty()) {
      --running_;
      // Notified under the lock: shutdown() cannot return, and free this, before the lock is
      // released, and this thread touches nothing of this after that.
      allDone_.notify_all();
      return;
    }
    fn = std::move(waiting_.front());
    waiting_.pop_front();
  }
}

void ConnectionThreads::shutdown() {
  std::unique_lock lock(mutex_);
  allDone_.wait(lock, [this] { return running_ == 0 && waiting_.empty(); });
}

}  // namespace vireo::service
