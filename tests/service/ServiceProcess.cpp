#include "ServiceProcess.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QRegularExpression>

namespace vireo::test {

bool ServiceProcess::Start(const QStringList& args, QByteArray* why) {
  Stop();
  process_ = std::make_unique<QProcess>();
  process_->start(QStringLiteral(VIREO_SERVICE_PATH),
                  QStringList{QStringLiteral("--port"), QStringLiteral("0")} + args);
  if (!process_->waitForStarted(5000)) {
    *why = "vireo-service did not start";
    return false;
  }
  QByteArray line;
  while (!line.contains('\n') && process_->waitForReadyRead(10000))
    line += process_->readAllStandardOutput();
  const auto m = QRegularExpression(QStringLiteral("http://127\\.0\\.0\\.1:(\\d+)/"))
                     .match(QString::fromUtf8(line));
  if (!m.hasMatch()) {
    *why = line + process_->readAllStandardError();
    return false;
  }
  port_ = m.captured(1).toInt();
  return true;
}

bool ServiceProcess::Stop() {
  if (!process_) return true;
  process_->terminate();  // SIGTERM: the service ends cleanly
  const bool ended = process_->waitForFinished(10000);
  const bool clean =
      ended && process_->exitStatus() == QProcess::NormalExit && process_->exitCode() == 0;
  log_ = process_->readAllStandardError();
  if (!ended) process_->kill(), process_->waitForFinished(2000);
  process_.reset();
  return clean;
}

int ConnectFrom(const char* from, int port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in local{};
  local.sin_family = AF_INET;
  ::inet_pton(AF_INET, from, &local.sin_addr);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(static_cast<uint16_t>(port));
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0 ||
      ::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

QByteArray RawRequest(int port, const QByteArray& request, const char* from) {
  const int fd = ConnectFrom(from, port);
  QByteArray answer;
  if (fd >= 0 &&
      ::send(fd, request.constData(), static_cast<size_t>(request.size()), 0) == request.size()) {
    timeval limit{5, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    char buf[4096];
    // Up to the end of the answer's body: a request the server cannot parse leaves the
    // connection open until its keep-alive time runs out.
    for (ssize_t n; (n = ::recv(fd, buf, sizeof buf, 0)) > 0;) {
      answer.append(buf, n);
      const qsizetype head = answer.indexOf("\r\n\r\n");
      if (head < 0) continue;
      const auto m = QRegularExpression(QStringLiteral("Content-Length: (\\d+)"))
                         .match(QString::fromLatin1(answer.left(head)));
      if (m.hasMatch() && answer.size() >= head + 4 + m.captured(1).toLongLong()) break;
    }
  }
  if (fd >= 0) ::close(fd);
  return answer;
}

}  // namespace vireo::test
