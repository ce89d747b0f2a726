#include "ddvcl/TDDCustomMap.h"

namespace vireo {

bool TDDCustomMap::SetSize(int newWidth, int newHeight) {
  if (newWidth < 0) newWidth = 0;
  if (newHeight < 0) newHeight = 0;
  if (newWidth == m_width && newHeight == m_height) return false;
  Reallocate(m_width, m_height, newWidth, newHeight);
  Changed();
  Resized();
  return true;
}

void TDDCustomMap::Resized() {
  if (OnResize) OnResize(this);
}

}  // namespace vireo
