#pragma once

#include "ddvcl/TDDGraphicControl.h"

namespace vireo {

// A skinned control that hears the pointer come and go (OnMouseEnter, OnMouseLeave).
class TDDGraphicControlEx : public TDDGraphicControl {
  Q_OBJECT
 public:
  explicit TDDGraphicControlEx(QWidget* parent = nullptr) : TDDGraphicControl(parent) {}

 protected:
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
};

}  // namespace vireo
