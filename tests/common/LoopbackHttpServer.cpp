#include "LoopbackHttpServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <stdexcept>

namespace vireo::test {
namespace {

bool EqualNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

int ListenOnLoopback(uint16_t& port, int backlog) {
  int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) throw std::runtime_error("socket failed");
  int one = 1;
  ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = 0;
  if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
      ::listen(fd, backlog) != 0) {
    ::close(fd);
    throw std::runtime_error("bind/listen on 127.0.0.1 failed");
  }
  socklen_t len = sizeof addr;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
  port = ntohs(addr.sin_port);
  return fd;
}

// Reads one request: headers up to the blank line, then Content-Length bytes of body.
bool ReadRequest(int fd, const std::atomic<bool>& stopping, LoopbackHttpServer::Request& req) {
  std::string buf;
  size_t headerEnd = std::string::npos;
  size_t need = 0;
  char chunk[4096];
  for (;;) {
    if (headerEnd != std::string::npos && buf.size() >= headerEnd + 4 + need) break;
    pollfd p{fd, POLLIN, 0};
    int r = ::poll(&p, 1, 100);
    if (stopping.load()) return false;
    if (r <= 0) continue;
    ssize_t n = ::recv(fd, chunk, sizeof chunk, 0);
    if (n <= 0) return false;
    buf.append(chunk, static_cast<size_t>(n));
    if (headerEnd == std::string::npos) {
      headerEnd = buf.find("\r\n\r\n");
      if (headerEnd == std::string::npos) continue;
      // Parse the head now to learn the body length.
      std::string head = buf.substr(0, headerEnd);
      size_t lineEnd = head.find("\r\n");
      req.requestLine = head.substr(0, lineEnd);
      size_t s1 = req.requestLine.find(' ');
      size_t s2 = req.requestLine.rfind(' ');
      if (s1 != std::string::npos && s2 > s1) {
        req.method = req.requestLine.substr(0, s1);
        req.target = req.requestLine.substr(s1 + 1, s2 - s1 - 1);
        req.version = req.requestLine.substr(s2 + 1);
      }
      size_t pos = lineEnd == std::string::npos ? head.size() : lineEnd + 2;
      while (pos < head.size()) {
        size_t e = head.find("\r\n", pos);
        if (e == std::string::npos) e = head.size();
        std::string line = head.substr(pos, e - pos);
        size_t colon = line.find(':');
        if (colon != std::string::npos) {
          std::string value = line.substr(colon + 1);
          value.erase(0, value.find_first_not_of(' '));
          req.headers.emplace_back(line.substr(0, colon), value);
        }
        pos = e + 2;
      }
      std::string cl = req.Header("Content-Length");
      need = cl.empty() ? 0 : std::stoul(cl);
    }
  }
  req.raw = buf.substr(0, headerEnd + 4 + need);
  req.body = buf.substr(headerEnd + 4, need);
  return true;
}

}  // namespace

std::string LoopbackHttpServer::Request::Header(std::string_view name) const {
  for (const auto& [k, v] : headers)
    if (EqualNoCase(k, name)) return v;
  return {};
}

bool LoopbackHttpServer::Request::HasHeader(std::string_view name) const {
  return std::any_of(headers.begin(), headers.end(),
                     [&](const auto& h) { return EqualNoCase(h.first, name); });
}

bool LoopbackHttpServer::Connection::Write(std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t n = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

bool LoopbackHttpServer::Connection::Sleep(int ms) const {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (std::chrono::steady_clock::now() < end) {
    if (stopping_.load()) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(std::min(ms, 10)));
  }
  return !stopping_.load();
}

LoopbackHttpServer::LoopbackHttpServer(Handler handler) : handler_(std::move(handler)) {
  listenFd_ = ListenOnLoopback(port_, 64);
  acceptThread_ = std::thread([this] { AcceptLoop(); });
}

LoopbackHttpServer::~LoopbackHttpServer() {
  stopping_.store(true);
  ::shutdown(listenFd_, SHUT_RDWR);
  acceptThread_.join();
  ::close(listenFd_);
  std::vector<std::thread> workers;
  {
    std::lock_guard lock(mutex_);
    for (int fd : openFds_) ::shutdown(fd, SHUT_RDWR);
    workers.swap(workers_);
  }
  for (auto& t : workers) t.join();
}

std::string LoopbackHttpServer::HostPort() const {
  return "127.0.0.1:" + std::to_string(port_);
}

std::string LoopbackHttpServer::Url(std::string_view path) const {
  return "http://" + HostPort() + std::string(path);
}

std::vector<LoopbackHttpServer::Request> LoopbackHttpServer::Requests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

size_t LoopbackHttpServer::RequestCount() const {
  std::lock_guard lock(mutex_);
  return requests_.size();
}

void LoopbackHttpServer::AcceptLoop() {
  while (!stopping_.load()) {
    pollfd p{listenFd_, POLLIN, 0};
    if (::poll(&p, 1, 50) <= 0) continue;
    int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) continue;
    std::lock_guard lock(mutex_);
    openFds_.push_back(fd);
    workers_.emplace_back([this, fd] { Serve(fd); });
  }
}

void LoopbackHttpServer::Serve(int fd) {
  Request req;
  if (ReadRequest(fd, stopping_, req)) {
    {
      std::lock_guard lock(mutex_);
      requests_.push_back(req);
    }
    Connection conn(fd, stopping_);
    try {
      handler_(req, conn);
    } catch (...) {
      // A failing handler only drops the connection.
    }
  }
  std::lock_guard lock(mutex_);
  openFds_.erase(std::remove(openFds_.begin(), openFds_.end(), fd), openFds_.end());
  ::shutdown(fd, SHUT_RDWR);
  ::close(fd);
}

std::string LoopbackHttpServer::Response(
    int status, std::string_view body,
    const std::vector<std::pair<std::string, std::string>>& headers, bool withContentLength) {
  std::string out =
      "HTTP/1.1 " + std::to_string(status) + (status < 400 ? " OK" : " Error") + "\r\n";
  for (const auto& [k, v] : headers) out += k + ": " + v + "\r\n";
  if (withContentLength) out += "Content-Length: " + std::to_string(body.size()) + "\r\n";
  out += "Connection: close\r\n\r\n";
  out.append(body);
  return out;
}

uint16_t LoopbackHttpServer::ClosedPort() {
  uint16_t port = 0;
  int fd = ListenOnLoopback(port, 1);
  ::close(fd);
  return port;
}

SilentTcpServer::SilentTcpServer() {
  fd_ = ListenOnLoopback(port_, 16);
}

SilentTcpServer::~SilentTcpServer() {
  ::close(fd_);
}

}  // namespace vireo::test
