#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>

namespace vireo {

// Bookkeeping for detached request threads: how many run, and a bounded wait for them at exit
// so the process does not tear libcurl down under a request still in flight.
class RequestThreads {
 public:
  // The pools of the fire-and-forget requests, one per kind. Never destroyed: a detached request
  // may still finish during exit.
  static RequestThreads& Posts();
  static RequestThreads& Gets();

  void Start(std::function<void()> job);  // job must not throw out (it is wrapped anyway)
  int Running() const;
  bool WaitForAll(int timeoutMs);

 private:
  mutable std::mutex mutex_;  // guards running_
  std::condition_variable idle_;
  int running_ = 0;
};

}  // namespace vireo
