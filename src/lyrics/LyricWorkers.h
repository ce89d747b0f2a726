#pragma once

#include <QObject>
#include <QPointer>
#include <functional>

namespace vireo {

// The worker threads of the lyric module: jobs of the worker registry's "lyric" group, each
// running one job and ending by itself, cancelled and waited for by the registry's Shutdown().
class LyricWorkers {
 public:
  static void Start(std::function<void()> job);
  static int Running();
  static bool WaitForAll(int timeoutMs);

  // Runs fn on the UI thread by a queued call, skipped when the receiver is gone by then.
  // Calls posted from one thread run in the order they were posted.
  static void Post(const QPointer<QObject>& receiver, std::function<void()> fn);
  // The same, but waits until fn has run (or was skipped), or until stop() holds, the receiver
  // is gone, someone waits for workers (WaitForAll, Shutdown), the job was cancelled or the
  // application is closing, checked every 50 ms.
  static void PostAndWait(const QPointer<QObject>& receiver, std::function<void()> fn,
                          const std::function<bool()>& stop);
};

}  // namespace vireo
