#include "DeadlineStream.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <cstring>

namespace vireo::service {
namespace {

// How often a wait looks whether the server still listens.
constexpr auto kSlice = std::chrono::milliseconds(200);

void AddressOf(const sockaddr_storage& addr, std::string& ip, int& port) {
  char text[INET6_ADDRSTRLEN] = {};
  if (addr.ss_family == AF_INET) {
    const auto& a = reinterpret_cast<const sockaddr_in&>(addr);
    inet_ntop(AF_INET, &a.sin_addr, text, sizeof text);
    port = ntohs(a.sin_port);
  } else if (addr.ss_family == AF_INET6) {
    const auto& a = reinterpret_cast<const sockaddr_in6&>(addr);
    inet_ntop(AF_INET6, &a.sin6_addr, text, sizeof text);
    port = ntohs(a.sin6_port);
  }
  ip = text;
}

}  // namespace

DeadlineStream::DeadlineStream(socket_t sock, const std::atomic<socket_t>& listening,
                               std::chrono::milliseconds readTimeout,
                               std::chrono::milliseconds writeTimeout)
    : sock_(sock), listening_(listening), readTimeout_(readTimeout), writeTimeout_(writeTimeout) {}

bool DeadlineStream::WaitFor(short events, Clock::time_point until) const {
  for (;;) {
    if (listening_.load() == INVALID_SOCKET) return false;
    const auto now = Clock::now();
    if (now >= until) return false;
    const auto wait = std::min<Clock::duration>(until - now, kSlice);
    pollfd p{sock_, events, 0};
    const int n =
        ::poll(&p, 1, static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(wait).count()));
    if (n < 0 && errno != EINTR) return false;
    if (n > 0) return (p.revents & (events | POLLHUP | POLLERR)) != 0;
  }
}

bool DeadlineStream::WaitForRequest(std::chrono::milliseconds idle) {
  deadline_ = Clock::time_point::max();
  return begin_ < end_ || WaitFor(POLLIN, Clock::now() + idle);
}

bool DeadlineStream::is_readable() const {
  return begin_ < end_ || WaitFor(POLLIN, std::min(deadline_, Clock::now() + readTimeout_));
}

bool DeadlineStream::is_writable() const {
  return WaitFor(POLLOUT, Clock::now() + writeTimeout_);
}

ssize_t DeadlineStream::read(char* ptr, size_t size) {
  if (begin_ == end_) {
    if (!WaitFor(POLLIN, std::min(deadline_, Clock::now() + readTimeout_))) return -1;
    ssize_t n;
    do {
      n = ::recv(sock_, buffer_, sizeof buffer_, 0);
    } while (n < 0 && errno == EINTR);
    if (n <= 0) return n;
    begin_ = 0;
    end_ = static_cast<size_t>(n);
  }
  const size_t n = std::min(size, end_ - begin_);
  std::memcpy(ptr, buffer_ + begin_, n);
  begin_ += n;
  return static_cast<ssize_t>(n);
}

ssize_t DeadlineStream::write(const char* ptr, size_t size) {
  if (!is_writable()) return -1;
  ssize_t n;
  do {
    n = ::send(sock_, ptr, size, MSG_NOSIGNAL);
  } while (n < 0 && errno == EINTR);
  return n;
}

void DeadlineStream::get_remote_ip_and_port(std::string& ip, int& port) const {
  sockaddr_storage addr{};
  socklen_t len = sizeof addr;
  port = 0;
  ip.clear();
  if (::getpeername(sock_, reinterpret_cast<sockaddr*>(&addr), &len) == 0)
    AddressOf(addr, ip, port);
}

void DeadlineStream::get_local_ip_and_port(std::string& ip, int& port) const {
  sockaddr_storage addr{};
  socklen_t len = sizeof addr;
  port = 0;
  ip.clear();
  if (::getsockname(sock_, reinterpret_cast<sockaddr*>(&addr), &len) == 0)
    AddressOf(addr, ip, port);
}

std::string DeadlineStream::PeerAddress(socket_t sock) {
  sockaddr_storage addr{};
  socklen_t len = sizeof addr;
  std::string ip;
  int port = 0;
  if (::getpeername(sock, reinterpret_cast<sockaddr*>(&addr), &len) == 0)
    AddressOf(addr, ip, port);
  return ip;
}

}  // namespace vireo::service
