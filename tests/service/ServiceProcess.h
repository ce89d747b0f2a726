#pragma once

#include <QByteArray>
#include <QProcess>
#include <QStringList>
#include <memory>

namespace vireo::test {

// A vireo-service process of the test, on a free loopback port.
class ServiceProcess {
 public:
  ~ServiceProcess() { Stop(); }
  // Starts it with --port 0 and the arguments, and waits for its first line; false (with what
  // it printed) when it did not come up.
  bool Start(const QStringList& args, QByteArray* why);
  // Ends it with SIGTERM; true when it ended cleanly (exit code 0). The log is kept.
  bool Stop();
  bool Running() const { return process_ && process_->state() == QProcess::Running; }
  int Port() const { return port_; }
  QByteArray Base() const { return "http://127.0.0.1:" + QByteArray::number(port_); }
  // What it wrote to stderr (one line per request) up to Stop.
  const QByteArray& Log() const { return log_; }

 private:
  std::unique_ptr<QProcess> process_;
  int port_ = 0;
  QByteArray log_;
};

// Connects from the given loopback address (any of 127.0.0.0/8), or -1.
int ConnectFrom(const char* from, int port);
// One request exactly as given (no client tidies the path), the whole answer back.
QByteArray RawRequest(int port, const QByteArray& request, const char* from = "127.0.0.1");
inline int StatusOf(const QByteArray& answer) {
  return answer.mid(9, 3).toInt();
}

}  // namespace vireo::test
