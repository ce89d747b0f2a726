#include "ddvcl/TDDFormEx.h"

#include <QPainter>

namespace vireo {

TDDFormEx::TDDFormEx(QWidget* parent) : TDDForm(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void TDDFormEx::paintEvent(QPaintEvent*) {
  QPainter p(this);
  m_backBuffer.CopyToDC(p, 0, 0);
  if (OnPaint) OnPaint(this, p);
}

}  // namespace vireo
