#include "TestEnv.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
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

QByteArray PlayerSettingsXml(const QString& windowElements) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<MainConfig><Window>" +
         windowElements.toUtf8() +
         "</Window><Lyrics><LRCLIB URL=\"http://127.0.0.1:9\"/></Lyrics>"
         "<Library><ARCHIVE URL=\"http://127.0.0.1:9\"/></Library></MainConfig>\n";
}

bool WritePlayerSettings(const QString& dataDir, const QString& windowElements) {
  QDir().mkpath(dataDir);
  QFile f(QDir(dataDir).filePath(QStringLiteral("Vireo.xml")));
  return f.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
         f.write(PlayerSettingsXml(windowElements)) > 0;
}

}  // namespace vireo::test
