#pragma once

#include <httplib.h>

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

namespace vireo::service {

// httplib's task queue with a thread per connection, up to a limit, instead of a fixed pool of
// eight: connections that wait on a slow client do not keep the others waiting. Threads start
// when connections come and end when they are done; beyond the limit connections wait for a
// free thread. shutdown() returns when every connection has ended.
class ConnectionThreads : public httplib::TaskQueue {
 public:
  explicit ConnectionThreads(size_t limit) : limit_(limit) {}
  ~ConnectionThreads() override;

  void enqueue(std::function<void()> fn) override;
  void shutdown() override;

 private:
  void Work(std::function<void()> fn);

  const size_t limit_;
  std::mutex mutex_;  // guards running_, waiting_
  std::condition_variable allDone_;
  size_t running_ = 0;
  std::deque<std::function<void()>> waiting_;
};

}  // namespace vireo::service
