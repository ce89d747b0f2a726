#include "TestEnv.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>

namespace vireo::test {

QString DataPath(const QString& name) {
  return QStringLiteral(VIREO_TEST_DATA_DIR "/") + name;
}

bool WaitUntil(const std::function<bool()>& pred, int timeoutMs) {
  QDeadlineTimer deadline(timeoutMs);
  while (!pred()) {
    if (deadline.hasExpired()) return pred();
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QThread::msleep(2);
  }
  return true;
}

void Pump(int ms) {
  QDeadlineTimer deadline(ms);
  while (!deadline.hasExpired()) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QThread::msleep(2);
  }
}

}  // namespace vireo::test
