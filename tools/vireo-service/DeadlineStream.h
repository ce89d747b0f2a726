#pragma once

#include <httplib.h>

#include <atomic>
#include <chrono>

namespace vireo::service {

// One accepted connection as httplib reads and writes it, with a deadline for the whole
// request. httplib's own stream restarts its read timeout at every byte, so a client sending
// one byte every few seconds held a worker for as long as it liked; here the request line,
// headers and body together must arrive before the deadline set by StartRequest. Reads are
// buffered (httplib reads headers a byte at a time). Every wait also ends when the server
// stops listening, so a stop never waits on a slow client.
class DeadlineStream : public httplib::Stream {
 public:
  using Clock = std::chrono::steady_clock;

  DeadlineStream(socket_t sock, const std::atomic<socket_t>& listening,
                 std::chrono::milliseconds readTimeout, std::chrono::milliseconds writeTimeout);

  // Waits up to idle for the first byte of the next request; false when none came, the peer
  // closed, or the server stopped.
  bool WaitForRequest(std::chrono::milliseconds idle);
  void StartRequest(Clock::time_point deadline) { deadline_ = deadline; }

  bool is_readable() const override;
  bool is_writable() const override;
  ssize_t read(char* ptr, size_t size) override;
  ssize_t write(const char* ptr, size_t size) override;
  void get_remote_ip_and_port(std::string& ip, int& port) const override;
  void get_local_ip_and_port(std::string& ip, int& port) const override;
  socket_t socket() const override { return sock_; }

  // The peer's address as text ("127.0.0.1", "::1"), empty when it cannot be had.
  static std::string PeerAddress(socket_t sock);

 private:
  // Polls for events until the time limit; true when they came.
  bool WaitFor(short events, Clock::time_point until) const;

  socket_t sock_;
  const std::atomic<socket_t>& listening_;
  std::chrono::milliseconds readTimeout_, writeTimeout_;
  Clock::time_point deadline_ = Clock::time_point::max();
  char buffer_[4096];
  size_t begin_ = 0, end_ = 0;
};

}  // namespace vireo::service
