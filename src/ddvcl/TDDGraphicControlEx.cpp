#include "ddvcl/TDDGraphicControlEx.h"

namespace vireo {

void TDDGraphicControlEx::enterEvent(QEnterEvent* event) {
  QWidget::enterEvent(event);
  MouseEnter();
}

void TDDGraphicControlEx::leaveEvent(QEvent* event) {
  MouseLeave();
  QWidget::leaveEvent(event);
}

}  // namespace vireo
