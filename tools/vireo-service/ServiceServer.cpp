#include "ServiceServer.h"

#include <sys/socket.h>
#include <unistd.h>

#include "ConnectionThreads.h"
#include "DeadlineStream.h"

namespace vireo::service {

ServiceServer::ServiceServer() {
  new_task_queue = [] { return new ConnectionThreads(kThreads); };
}

void ServiceServer::WidenBacklog() {
  // listen() again on a listening socket only changes its backlog.
  ::listen(svr_sock_, 1024);
}

bool ServiceServer::Admit(const std::string& address) {
  std::lock_guard lock(mutex_);
  int& n = open_[address];
  if (n >= kPerAddress) return false;
  ++n;
  return true;
}

void ServiceServer::Leave(const std::string& address) {
  std::lock_guard lock(mutex_);
  const auto it = open_.find(address);
  if (it != open_.end() && --it->second <= 0) open_.erase(it);
}

bool ServiceServer::process_and_close_socket(socket_t sock) {
  const std::string address = DeadlineStream::PeerAddress(sock);
  bool ok = false;
  if (!Admit(address)) {
    // One short answer that never waits on the peer, then the connection is closed.
    static constexpr char kBusy[] =
        "HTTP/1.1 503 Service Unavailable\r\nContent-Type: text/plain; charset=utf-8\r\n"
        "Content-Length: 39\r\nConnection: close\r\n\r\n"
        "too many connections from your address\n";
    [[maybe_unused]] const ssize_t sent =
        ::send(sock, kBusy, sizeof kBusy - 1, MSG_NOSIGNAL | MSG_DONTWAIT);
  } else {
    DeadlineStream stream(sock, svr_sock_, std::chrono::milliseconds(kRequestTime),
                          std::chrono::milliseconds(kWriteTime));
    for (size_t left = keep_alive_max_count_; left > 0; --left) {
      if (!stream.WaitForRequest(kIdleTime)) break;
      stream.StartRequest(DeadlineStream::Clock::now() + kRequestTime);
      bool closed = false;
      ok = process_request(stream, left == 1, closed, nullptr);
      if (!ok || closed) break;
    }
    Leave(address);
  }
  ::shutdown(sock, SHUT_RDWR);
  ::close(sock);
  return ok;
}

}  // namespace vireo::service
