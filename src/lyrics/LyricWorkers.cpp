#include "lyrics/LyricWorkers.h"

#include <QCoreApplication>
#include <QSemaphore>
#include <atomic>
#include <memory>

#include "base/WorkerRegistry.h"

namespace vireo {

namespace {
const QString kGroup = QStringLiteral("lyric");
}

void LyricWorkers::Start(std::function<void()> job) {
  WorkerRegistry::Instance().Start(
      kGroup, [job = std::move(job)](WorkerJob&) { job(); }, "vireo-lyric");
}
int LyricWorkers::Running() {
  return WorkerRegistry::Instance().Running(kGroup);
}
bool LyricWorkers::WaitForAll(int timeoutMs) {
  return WorkerRegistry::Instance().WaitForAll(timeoutMs, kGroup);
}

void LyricWorkers::Post(const QPointer<QObject>& receiver, std::function<void()> fn) {
  QCoreApplication* app = QCoreApplication::instance();
  if (app == nullptr) return;
  // Posted to the application object so that every call from one thread keeps its order; the
  // receiver is checked on the UI side of the queue.
  QMetaObject::invokeMethod(
      app,
      [receiver, fn = std::move(fn)] {
        if (receiver) fn();
      },
      Qt::QueuedConnection);
}

void LyricWorkers::PostAndWait(const QPointer<QObject>& receiver, std::function<void()> fn,
                               const std::function<bool()>& stop) {
  QCoreApplication* app = QCoreApplication::instance();
  if (app == nullptr) return;
  auto done = std::make_shared<QSemaphore>();
  QMetaObject::invokeMethod(
      app,
      [receiver, fn = std::move(fn), done] {
        if (receiver) fn();
        done->release();
      },
      Qt::QueuedConnection);
  while (!done->tryAcquire(1, 50)) {
    if (!receiver || WorkerRegistry::Instance().Waiting() || WorkerJob::CurrentCancelled() ||
        QCoreApplication::closingDown() || (stop && stop()))
      return;
  }
}

}  // namespace vireo
