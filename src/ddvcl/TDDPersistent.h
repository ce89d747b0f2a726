#pragma once

#include <QRecursiveMutex>
#include <atomic>

#include "ddvcl/TDDNotifiablePersistent.h"

namespace vireo {

// Adds a lock for callers that share one bitmap between threads. Within the player only the
// destructor takes it, around the release of the pixel memory.
class TDDPersistent : public TDDNotifiablePersistent {
 public:
  void Lock();
  void Unlock();
  int LockCount() const { return m_lockCount.load(); }
  QRecursiveMutex& LockObject() { return m_lock; }

 private:
  QRecursiveMutex m_lock;
  std::atomic<int> m_lockCount{0};
};

}  // namespace vireo
