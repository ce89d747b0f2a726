#include "ddvcl/TDDCheckedButton.h"

namespace vireo {

void TDDCheckedButton::SetChecked(bool checked) {
  m_checked = checked;
  Paint();
}

TDDButton::Sprites TDDCheckedButton::CurrentSprites() const {
  if (!m_checked || !isEnabled()) return TDDButton::CurrentSprites();
  return {QPoint(CheckedX, CheckedY), QPoint(CheckedPX, CheckedPY), QPoint(CheckedHX, CheckedHY)};
}

}  // namespace vireo
