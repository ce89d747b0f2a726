#include "ddvcl/TDDNotifiablePersistent.h"

#include "ddvcl/EDDError.h"

namespace vireo {

void TDDNotifiablePersistent::Changed() {
  if (m_updateCount == 0 && OnChange) OnChange(this);
}

void TDDNotifiablePersistent::BeginUpdate() {
  ++m_updateCount;
}

void TDDNotifiablePersistent::EndUpdate() {
  if (m_updateCount <= 0) throw EDDError("Unpaired TDDNotifiablePersistent.EndUpdate");
  --m_updateCount;
}

}  // namespace vireo
