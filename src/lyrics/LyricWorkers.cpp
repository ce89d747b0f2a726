#include "lyrics/LyricWorkers.h"

#include <QCoreApplication>
#include <QSemaphore>
#include <atomic>
#include <memory>

#include "net/RequestThreads.h"

namespace vireo {
namespace {
RequestThreads& Threads() {
  // Never destroyed: a detached worker may still be finishing while the process exits.
  static auto* threads = new RequestThreads;
  return *threads;
}
// Set while someone waits for the workers: the UI thread is then not running its queue, so a
// worker must not wait for it.
std::atomic<int> waitingForAll{0};
}  // namespace

void LyricWorkers::Start(std::function<void()> job) {
  Threads().Start(std::move(job));
}
int LyricWorkers::Running() {
  return Threads().Running();
}
bool LyricWorkers::WaitForAll(int timeoutMs) {
  ++waitingForAll;
  const bool idle = Threads().WaitForAll(timeoutMs);
  --waitingForAll;
  return idle;
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
    if (!receiver || waitingForAll.load() > 0 || QCoreApplication::closingDown() ||
        (stop && stop()))
      return;
  }
}

}  // namespace vireo
