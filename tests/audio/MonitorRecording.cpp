#include "MonitorRecording.h"

#include <QFile>
#include <QStringList>

namespace vireo::test {

bool MonitorRecording::Start(const QByteArray& server, const QString& path) {
  path_ = path;
  parec_.setStandardOutputFile(path);
  QStringList args = {QStringLiteral("--device=null.monitor"), QStringLiteral("--format=s16le"),
                      QStringLiteral("--rate=44100"), QStringLiteral("--channels=2"),
                      QStringLiteral("--latency-msec=20")};
  if (!server.isEmpty()) args.prepend(QStringLiteral("--server=") + QString::fromUtf8(server));
  parec_.start(QStringLiteral("parec"), args);
  return parec_.waitForStarted(5000);
}

QByteArray MonitorRecording::Stop() {
  if (parec_.state() != QProcess::NotRunning) {
    parec_.terminate();
    parec_.waitForFinished(3000);
  }
  QFile f(path_);
  return !path_.isEmpty() && f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray MonitorRecording::Peek() const {
  QFile f(path_);
  return !path_.isEmpty() && f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace vireo::test
