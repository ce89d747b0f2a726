#pragma once

#include "ddvcl/TDDButton.h"

namespace vireo {

// A two-state button: while Checked (and enabled) it shows its checked sprite set. Clicking does
// not toggle it; the window's OnClick handler decides.
class TDDCheckedButton : public TDDButton {
  Q_OBJECT
 public:
  explicit TDDCheckedButton(QWidget* parent = nullptr) : TDDButton(parent) {}

  std::int16_t CheckedX = 0, CheckedY = 0;
  std::int16_t CheckedPX = 0, CheckedPY = 0;
  std::int16_t CheckedHX = 0, CheckedHY = 0;

  bool Checked() const { return m_checked; }
  void SetChecked(bool checked);

 protected:
  Sprites CurrentSprites() const override;

 private:
  bool m_checked = false;
};

}  // namespace vireo
