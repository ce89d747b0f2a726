#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

namespace vireo::test {

// A small HTTP/1.x server on 127.0.0.1 for tests. It records every request byte for byte and
// lets the test answer however it likes: a canned response, a slow trickle, a connection that
// is dropped halfway, or no answer at all. Each connection runs on its own thread; the
// destructor stops accepting, shuts every open connection down and joins the threads.
class LoopbackHttpServer {
 public:
  struct Request {
    std::string raw;          // request line, headers and body exactly as received
    std::string requestLine;  // e.g. "POST /mpost/x.asp HTTP/1.0"
    std::string method, target, version;
    std::vector<std::pair<std::string, std::string>> headers;  // in order, names as sent
    std::string body;
    // First header with this name (compared without case), or empty.
    std::string Header(std::string_view name) const;
    bool HasHeader(std::string_view name) const;
  };

  // The socket of one connection, for handlers that answer in pieces.
  class Connection {
   public:
    explicit Connection(int fd, const std::atomic<bool>& stopping) : fd_(fd), stopping_(stopping) {}
    bool Write(std::string_view bytes);  // false once the peer is gone
    bool Stopping() const { return stopping_.load(); }
    // Sleeps up to ms, returning early (false) when the server is stopping.
    bool Sleep(int ms) const;

   private:
    int fd_;
    const std::atomic<bool>& stopping_;
  };

  using Handler = std::function<void(const Request&, Connection&)>;

  explicit LoopbackHttpServer(Handler handler);
  ~LoopbackHttpServer();
  LoopbackHttpServer(const LoopbackHttpServer&) = delete;
  LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

  uint16_t Port() const { return port_; }
  std::string HostPort() const;                  // "127.0.0.1:port"
  std::string Url(std::string_view path) const;  // "http://127.0.0.1:port" + path
  std::vector<Request> Requests() const;         // copies, safe while the server runs
  size_t RequestCount() const;

  // A complete response with a status line, the given extra headers and, unless told not to,
  // Content-Length. Without Content-Length the body ends when the connection closes.
  static std::string Response(int status, std::string_view body,
                              const std::vector<std::pair<std::string, std::string>>& headers = {},
                              bool withContentLength = true);

  // A port on 127.0.0.1 with nothing listening on it (bound, then closed).
  static uint16_t ClosedPort();

 private:
  void AcceptLoop();
  void Serve(int fd);

  Handler handler_;
  int listenFd_ = -1;
  uint16_t port_ = 0;
  std::atomic<bool> stopping_{false};
  std::thread acceptThread_;
  mutable std::mutex mutex_;  // guards requests_, workers_, openFds_
  std::vector<Request> requests_;
  std::vector<std::thread> workers_;
  std::vector<int> openFds_;
};

// Accepts connections at the TCP level (the kernel completes the handshake) and never reads or
// answers: a host that has gone silent.
class SilentTcpServer {
 public:
  SilentTcpServer();
  ~SilentTcpServer();
  uint16_t Port() const { return port_; }

 private:
  int fd_ = -1;
  uint16_t port_ = 0;
};

}  // namespace vireo::test
