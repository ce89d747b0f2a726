#include "ddvcl/TDDPersistent.h"

namespace vireo {

void TDDPersistent::Lock() {
  m_lockCount.fetch_add(1);
  m_lock.lock();
}

void TDDPersistent::Unlock() {
  m_lock.unlock();
  m_lockCount.fetch_sub(1);
}

}  // namespace vireo
