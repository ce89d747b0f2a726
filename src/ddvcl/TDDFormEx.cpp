#include "ddvcl/TDDFormEx.h"

#include <QPainter>
#include <exception>

#include "ddvcl/TDDWindow.h"

namespace vireo {

TDDFormEx::TDDFormEx(QWidget* parent) : TDDForm(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
}

const TDDBitmap32& TDDFormEx::BackBuffer() const {
  if (m_frame) m_frame->RenderIntoForm();
  return m_backBuffer;
}

TDDBitmap32& TDDFormEx::BackBuffer() {
  if (m_frame) m_frame->RenderIntoForm();
  return m_backBuffer;
}

void TDDFormEx::SetFrame(TDDWindow* frame) {
  m_frame = frame;
}

void TDDFormEx::paintEvent(QPaintEvent*) {
  QPainter p(this);
  try {
    BackBuffer().CopyToDC(p, 0, 0);
  } catch (const std::exception&) {
    // No memory for the frame: this paint is skipped, the next one tries again.
  }
  if (OnPaint) OnPaint(this, p);
}

}  // namespace vireo
