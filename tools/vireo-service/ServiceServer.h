#pragma once

#include <httplib.h>

#include <chrono>
#include <map>
#include <mutex>
#include <string>

namespace vireo::service {

// httplib's server with limits that hold against slow and idle clients: each connection has a
// thread of its own (up to kThreads), a request must arrive whole within kRequestTime, an idle
// connection is closed after kIdleTime, and one address may hold at most kPerAddress
// connections at once; beyond that it is answered 503 at once. So a client that trickles bytes
// or opens sockets and says nothing costs one thread each for a bounded time, and cannot keep
// others from being answered.
class ServiceServer : public httplib::Server {
 public:
  static constexpr size_t kThreads = 256;
  static constexpr int kPerAddress = 16;
  static constexpr std::chrono::seconds kRequestTime{15};
  static constexpr std::chrono::seconds kIdleTime{5};
  static constexpr std::chrono::seconds kWriteTime{30};

  ServiceServer();
  // httplib listens with a backlog of 5: a burst of connections overflowed it, and a client
  // whose handshake was dropped waited a second or more for the retry. Call after binding.
  void WidenBacklog();

 private:
  bool process_and_close_socket(socket_t sock) override;
  // Counts a connection of the address in; false when it already holds the most it may.
  bool Admit(const std::string& address);
  void Leave(const std::string& address);

  std::mutex mutex_;  // guards open_
  std::map<std::string, int> open_;
};

}  // namespace vireo::service
